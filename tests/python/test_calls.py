"""Late-bound calls from Python: methods, properties, by-reference
arguments, named arguments, and what goes wrong as a caller meets it."""

import sqlite3
import threading
import time

import pytest

import qxvbutils


@pytest.fixture
def utilities():
    return qxvbutils.create("QXVBUtils.QXUtilities")


def hresult(code):
    """An HRESULT as the signed number automation errors carry."""
    return code - (1 << 32) if code & 0x80000000 else code


def error_number(call):
    with pytest.raises(qxvbutils.AutomationError) as raised:
        call()
    return raised.value.number


def test_create_takes_a_progid_or_class_identifier_in_any_case():
    by_id = qxvbutils.create("{72FD17F3-5B74-4EDA-B97C-C777D234B264}")
    assert repr(by_id).startswith("<qxvbutils.Object QXUtilities")
    assert qxvbutils.create("qxvbutils.qxutilities").QXMax(1, 2)[0] == 2
    with pytest.raises(qxvbutils.AutomationError) as raised:
        qxvbutils.create("No.SuchClass")
    assert raised.value.number == 429
    # Classes handed out only by other classes cannot be created.
    assert error_number(lambda: qxvbutils.create("QXVBUtils.QX_RegistryKey")) == 429


def test_member_names_ignore_case_and_are_listed(utilities):
    assert utilities.qxcompareversionstrings("1.2", "1.10") == utilities.QXCompareVersionStrings(
        "1.2", "1.10"
    )
    assert "QXSaveErrInfo" in dir(utilities)
    assert utilities.QXSaveErrInfo.parameters[:3] == (
        "v_lngNumber",
        "v_strSource",
        "v_strDescription",
    )


def test_by_reference_arguments_come_back_after_the_result(utilities):
    result, text = utilities.QXUnQuote('"quoted"')
    assert (result, text) == ("quoted", '"quoted"')
    ado = qxvbutils.create("QXVBUtils.QX_ADO_Utilities")
    result, changed = ado.QX_ADO_WriteItemInConnectionString("Data Source", "srv", "Provider=X;")
    assert "Data Source=srv" in changed
    # A member without by-reference parameters answers its result alone.
    assert utilities.QXCompareVersionStrings("2", "1") == 1


def test_named_arguments_are_matched_to_parameters(utilities):
    info = utilities.QXSaveErrInfo(5, "s", "d", v_varhelpcontextid=7)
    assert (info.HelpFile, info.HelpContextID) == ("", 7)
    assert error_number(lambda: utilities.QXSaveErrInfo(5, "s", "d", nosuch=1)) == hresult(0x80020004)
    assert error_number(lambda: utilities.QXSaveErrInfo(5, "s", "d", v_strSource="x")) == 450


def test_wrong_argument_counts_and_types_raise_the_library_errors(utilities):
    assert error_number(lambda: utilities.QXSaveErrInfo(5)) == 449
    assert error_number(lambda: utilities.QXSaveErrInfo(5, "a", "b", "c", 1, 2)) == 450
    assert error_number(lambda: utilities.QXSaveErrInfo("five", "a", "b")) == 13
    assert error_number(lambda: utilities.QXSaveErrInfo(object(), "a", "b")) == 13
    # Missing leaves an optional argument out; a required one raises 449.
    assert utilities.QXSaveErrInfo(5, "a", "b", qxvbutils.Missing).HelpFile == ""
    assert error_number(lambda: utilities.QXSaveErrInfo(qxvbutils.Missing, "a", "b")) == 449


def test_an_unknown_member_is_error_438_and_an_attribute_error(utilities):
    with pytest.raises(AttributeError) as raised:
        utilities.NoSuchMember
    assert isinstance(raised.value, qxvbutils.AutomationError)
    assert raised.value.number == 438
    assert not hasattr(utilities, "NoSuchMember")
    assert getattr(utilities, "NoSuchMember", "fallback") == "fallback"
    with pytest.raises(AttributeError):
        utilities.NoSuchProperty = 1


def test_automation_errors_carry_all_five_parts(utilities):
    with pytest.raises(qxvbutils.AutomationError) as raised:
        utilities.QX_Util_FixAuditID("")
    e = raised.value
    assert (e.number, e.source, e.helpfile, e.helpcontext) == (45489, "QX_Util_FixAuditID", "", 0)
    assert str(e) == f"{e.description} (error 45489 from QX_Util_FixAuditID)"
    helper = qxvbutils.create("QXVBUtils.QX_ErrorHelper")
    helper.WrapStoredError(1234, "Src", "Desc", "help.chm", 77)
    with pytest.raises(qxvbutils.AutomationError) as raised:
        helper.ReRaise()
    e = raised.value
    assert (e.number, e.source, e.helpfile, e.helpcontext) == (1234, "Src", "help.chm", 77)
    assert 'Description="Desc"' in e.description


def test_properties_read_write_and_set(tmp_path):
    database = tmp_path / "plain.db"
    connection = qxvbutils.create("ADODB.Connection")
    connection.ConnectionString = f"Provider=QXVB.SQLite;Data Source={database};Create=True"
    assert connection.ConnectionString.endswith("Create=True")
    connection.CommandTimeout = 7
    assert connection.CommandTimeout == 7
    connection.Open()
    assert connection.State == 1
    connection.Execute("CREATE TABLE t (Name TEXT, Size INTEGER)")
    connection.Execute("INSERT INTO t VALUES ('a', 1), ('b', 2)")
    records = qxvbutils.create("ADODB.Recordset")
    records.ActiveConnection = connection  # an object: Set
    assert records.ActiveConnection == connection
    records.CursorLocation = 3
    records.Open("SELECT Name, Size FROM t ORDER BY Name", qxvbutils.Missing, 1, 3)
    assert records.Collect("Name") == "a"
    assert records.Fields["Size"].Value == 1
    assert records.Fields.Count == 2 and records.Fields[0].Name == "Name"
    # A property with parameters is assigned through put.
    qxvbutils.put(records, "Collect", "Size", 10)
    records.Update()
    records.MoveNext()
    assert (records.Collect("Name"), records.EOF) == ("b", False)
    records.Close()
    # Execute's RecordsAffected is by reference: the recordset comes first.
    rows, _ = connection.Execute("SELECT Size FROM t WHERE Name = 'a'")
    assert rows.Collect(0) == 10
    connection.Close()


def test_objects_of_a_closed_repository_raise_clear_errors(repository):
    _, connection_string = repository
    connection = qxvbutils.create("ADODB.Connection")
    connection.Open(connection_string)
    records, _ = connection.Execute("SELECT Name FROM Files")
    connection.Close()
    with pytest.raises(qxvbutils.AutomationError) as raised:
        connection.Execute("SELECT 1")
    assert raised.value.number == 3704
    assert "closed" in raised.value.description
    with pytest.raises(qxvbutils.AutomationError):
        records.MoveNext()


def test_objects_belong_to_the_thread_that_made_them(utilities):
    outcome = {}

    def other_thread():
        try:
            utilities.QXMax(1, 2)
        except qxvbutils.AutomationError as e:
            outcome["error"] = e
        # The thread's own objects work there.
        outcome["own"] = qxvbutils.create("QXVBUtils.QXUtilities").QXMax(1, 2)[0]

    worker = threading.Thread(target=other_thread)
    worker.start()
    worker.join()
    assert outcome["error"].number == hresult(0x8001010E)
    assert "another thread" in outcome["error"].description
    assert outcome["own"] == 2


def test_an_object_dropped_on_another_thread_is_released_on_its_own():
    kept = []

    def make():
        kept.append(qxvbutils.create("QXVBUtils.QXUtilities"))

    worker = threading.Thread(target=make)
    worker.start()
    worker.join()
    kept.clear()  # the last reference goes on this thread: no crash, no error
    assert qxvbutils.create("QXVBUtils.QXUtilities").QXMax(3, 4)[0] == 4


def test_objects_made_before_the_library_unloaded_are_refused():
    def in_thread():
        before = qxvbutils.create("QXVBUtils.QXUtilities")
        qxvbutils.unload()
        try:
            before.QXMax(1, 2)
        except qxvbutils.AutomationError as e:
            return e.number, qxvbutils.create("QXVBUtils.QXUtilities").QXMax(1, 2)[0]
        return None

    result = []
    worker = threading.Thread(target=lambda: result.append(in_thread()))
    worker.start()
    worker.join()
    assert result == [(hresult(0x800401FD), 2)]


def test_calls_that_wait_leave_the_interpreter_to_other_threads(repository):
    path, connection_string = repository
    blocker = sqlite3.connect(path, isolation_level=None)
    blocker.execute("BEGIN EXCLUSIVE")
    connection = qxvbutils.create("ADODB.Connection")
    connection.Open(connection_string)
    connection.CommandTimeout = 2
    ticks = []
    stop = threading.Event()

    def count():
        while not stop.is_set():
            ticks.append(1)
            time.sleep(0.01)

    counter = threading.Thread(target=count)
    counter.start()
    started = time.monotonic()
    try:
        with pytest.raises(qxvbutils.AutomationError) as raised:
            connection.Execute("INSERT INTO Files (Name, Version, Activity) VALUES ('x', 1, 'A')")
    finally:
        stop.set()
        counter.join()
        blocker.execute("ROLLBACK")
        blocker.close()
    waited = time.monotonic() - started
    assert waited >= 1.5
    assert "locked" in raised.value.description
    # The counting thread ran all along the wait.
    assert len(ticks) > waited * 30
    connection.Close()
