"""Scripts as a caller writes them, one for each subsystem, checked against
what lands on disk, in the repository or in the registry store."""

import os
import pathlib
import socket
import xml.etree.ElementTree as ElementTree

import qxvbutils

HKEY_CURRENT_USER = 0x80000001 - (1 << 32)
REG_SZ = 1
REG_DWORD = 4


def test_settings_round_trip_through_the_profile(sandbox):
    utilities = qxvbutils.create("QXVBUtils.QXUtilities")
    ok, _, _ = utilities.QXSetSetting("Colour", "blue", "Tour")
    assert ok is True
    ok, _, value, _ = utilities.QXGetSetting("Colour", "", 100, "Tour")
    assert (ok, value) == (True, "blue")
    # The length passed in bounds the answer.
    assert utilities.QXGetSetting("Colour", "", 3, "Tour")[2] == "blu"
    profile = pathlib.Path(os.environ["XDG_CONFIG_HOME"]) / "Brackwell/Quillane/Quillane.ini"
    assert "[Tour]\r\nColour=blue\r\n" in profile.read_bytes().decode()


def test_a_registry_branch_as_xml(tool):
    registry = qxvbutils.create("QXVBUtils.QX_Registry")
    registry.QX_Reg_WriteSetting(HKEY_CURRENT_USER, "Colour", REG_SZ, "blue", "Tour", "Window")
    registry.QX_Reg_WriteSetting(HKEY_CURRENT_USER, "Width", REG_DWORD, 640, "Tour", "Window")
    branch = registry.QX_Reg_ReadBranchAsXML(HKEY_CURRENT_USER, "Tour", "")
    key = ElementTree.fromstring(branch).find("Key")
    assert key.get("Section") == "Software\\Brackwell\\Quillane\\Tour"
    values = {v.get("Name"): (v.get("Type"), v.get("Data")) for v in key.iter("Value")}
    assert values == {"Colour": ("1", "blue"), "Width": ("4", "640")}
    # Written back under another application name, and seen from the shell.
    registry.QX_Reg_WriteBranchFromXML(HKEY_CURRENT_USER, branch, "Copy", "")
    assert registry.QX_Reg_ReadSetting(HKEY_CURRENT_USER, "Width", "Copy", "Window") == "640"
    shown = tool("qxreg", "query", "HKCU\\Software\\Brackwell\\Quillane\\Copy\\Window", "Colour")
    assert shown.returncode == 0 and "blue" in shown.stdout


def test_an_xml_document_and_its_nodes_through_the_helper():
    document = qxvbutils.create("MSXML2.DOMDocument.6.0")
    helper = qxvbutils.create("QXVBUtils.QX_XMLHelper")
    root, document = helper.QX_XML_AddOrSetRoot(document, "Model")
    entity, _, _ = helper.QX_XML_AddNode(document, root, "Entity")
    helper.QX_XML_AddAttribute(document, entity, "Name", "Customer")
    helper.QX_XML_AddOrSetAttribute(document, entity, "Name", "Client")
    assert document.xml.strip() == '<Model><Entity Name="Client"/></Model>'
    assert document.selectSingleNode("//Entity").getAttribute("Name") == "Client"


def test_a_repository_made_by_qxrepo_is_recognised(repository, tool):
    path, connection_string = repository
    ado = qxvbutils.create("QXVBUtils.QX_ADO_Utilities")
    assert ado.QX_ADO_IsDatabaseQXVersion(connection_string, 514, 0) == (True, 514)
    assert "version 514" in tool("qxrepo", "info", path).stdout
    connection = ado.QX_ADO_OpenConnection(connection_string)
    rows, _ = connection.Execute("SELECT Value FROM QXProperties WHERE Name = 'Professional'")
    assert rows.Collect(0) in (1, "1")


def test_a_file_store_import_and_export(repository, tmp_path):
    _, connection_string = repository
    source = tmp_path / "in"
    (source / "Images").mkdir(parents=True)
    notes = source / "notes.txt"
    notes.write_bytes(b"Model notes\r\n")
    picture = source / "Images" / "diagram.png"
    picture.write_bytes(os.urandom(50_000))
    manager = qxvbutils.create("QXVBUtils.QXFileManager")
    manager.Init_New_noADO("Tests", connection_string, 0)
    manager.ImportFiles(qxvbutils.Collection([str(notes), str(picture)]))
    manager.ImportFiles(qxvbutils.Collection([str(notes)]))
    ado = qxvbutils.create("QXVBUtils.QX_ADO_Utilities")
    for stored, original in (("notes.txt", notes), ("Images\\diagram.png", picture)):
        target = tmp_path / "out" / stored.replace("\\", "_")
        target.parent.mkdir(exist_ok=True)
        ado.QX_ADO_ExportFile(stored, connection_string, str(target))
        assert target.read_bytes() == original.read_bytes()
    connection = ado.QX_ADO_OpenConnection(connection_string)
    rows, _ = connection.Execute("SELECT Version, Activity FROM Files WHERE Name = 'notes.txt'")
    assert (rows.Collect("Version"), rows.Collect("Activity")) == (2, "C")


def test_folders_and_temporary_files(tmp_path):
    files = qxvbutils.create("QXVBUtils.QX_File_Utils")
    source = tmp_path / "tree"
    (source / "sub").mkdir(parents=True)
    (source / "sub" / "a.txt").write_text("a")
    files.QX_File_FolderCopy(str(source), str(tmp_path / "copy"), False)
    assert (tmp_path / "copy" / "sub" / "a.txt").read_text() == "a"
    assert files.QX_File_Name(str(source / "sub" / "a.txt")) == "a.txt"
    temporary = files.QX_File_CreateTempFolder("pytest")
    assert pathlib.Path(temporary).is_dir()


def test_text_rules_and_sorting():
    utilities = qxvbutils.create("QXVBUtils.QXUtilities")
    assert utilities.QXQuoteIfNeeded("two words")[0] == '"two words"'
    items = []
    for key in ("pear", "Apple", "fig"):
        item = qxvbutils.create("QXVBUtils.clsSortData")
        item.Key = key
        item.Data = key.upper()
        items.append(item)
    _, ordered = utilities.QuickSort(items)
    assert [i.Data for i in ordered] == ["APPLE", "FIG", "PEAR"]


def test_network_host_name():
    network = qxvbutils.create("QXVBUtils.QX_NetworkParams")
    assert network.QX_NP_GetHostName().lower() == socket.gethostname().split(".")[0].lower()
