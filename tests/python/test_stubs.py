"""The type stubs generated from the member tables."""

import ast
import pathlib

import qxvbutils

STUBS = pathlib.Path(qxvbutils.__file__).with_suffix(".pyi")


def stub_classes():
    tree = ast.parse(STUBS.read_text())
    return {node.name: node for node in tree.body if isinstance(node, ast.ClassDef)}


def members_of(node):
    return {item.name: item for item in node.body if isinstance(item, ast.FunctionDef)}


def test_every_class_of_the_catalogue_has_a_stub_class():
    classes = stub_classes()
    assert (STUBS.parent / "py.typed").exists()
    for name in ("QXUtilities", "QX_ADO_Utilities", "QXFileManager", "Connection", "Recordset"):
        assert name in classes
        assert [b.id for b in classes[name].bases] == ["Object"]


def test_members_carry_their_parameters_defaults_and_types():
    members = members_of(stub_classes()["QXUtilities"])
    save = members["QXSaveErrInfo"].args
    assert [a.arg for a in save.args] == [
        "self",
        "v_lngNumber",
        "v_strSource",
        "v_strDescription",
        "v_strHelpFile",
        "v_varHelpContextID",
    ]
    assert [ast.unparse(a.annotation) for a in save.args[1:4]] == ["int", "str", "str"]
    assert len(save.defaults) == 2
    # Members with by-reference parameters answer a tuple.
    assert ast.unparse(members["QXUnQuote"].returns) == "tuple[Any, ...]"


def test_properties_are_properties_with_setters():
    connection = stub_classes()["Connection"]
    decorated = [
        (item.name, ast.unparse(item.decorator_list[0]))
        for item in connection.body
        if isinstance(item, ast.FunctionDef) and item.decorator_list
    ]
    assert ("ConnectionString", "property") in decorated
    assert ("ConnectionString", "ConnectionString.setter") in decorated
    assert ("State", "property") in decorated
    assert ("State", "State.setter") not in decorated


def test_create_is_overloaded_per_progid():
    text = STUBS.read_text()
    assert (
        'def create(progid: Literal["QXVBUtils.QXUtilities", '
        '"{72FD17F3-5B74-4EDA-B97C-C777D234B264}"]) -> QXUtilities: ...'
    ) in text
    assert "def create(progid: str) -> Object: ..." in text
    # Names the stubs declare exist at run time, as the one wrapper type.
    assert qxvbutils.QXUtilities is qxvbutils.Object
