"""Events of library objects delivered to Python sink objects."""

import pytest

import qxvbutils


class ImportSink:
    """Takes the file manager's events: by their names, or with "On" before
    the name, as sinks written for other automation clients are."""

    def __init__(self):
        self.seen = []

    def ProgressBarInit(self, low, high):
        self.seen.append(("init", low, high))

    def OnProgressBar(self, value):
        self.seen.append(("progress", value))

    def ResetProgressBar(self):
        self.seen.append(("reset",))


@pytest.fixture
def files(tmp_path):
    paths = []
    for n in range(3):
        path = tmp_path / f"file{n}.txt"
        path.write_text(f"contents {n}\n")
        paths.append(str(path))
    return paths


@pytest.fixture
def manager(repository):
    _, connection_string = repository
    fm = qxvbutils.create("QXVBUtils.QXFileManager")
    fm.Init_New_noADO("Tests", connection_string, 0)
    return fm


def stored_names(connection_string):
    connection = qxvbutils.create("ADODB.Connection")
    connection.Open(connection_string)
    rows, _ = connection.Execute("SELECT Name FROM Files ORDER BY Name")
    names = []
    while not rows.EOF:
        names.append(rows.Collect("Name"))
        rows.MoveNext()
    connection.Close()
    return names


def test_import_events_reach_the_sink_in_order(manager, files):
    sink = ImportSink()
    cookie = qxvbutils.advise(manager, sink)
    assert cookie >= 1
    manager.ImportFiles(qxvbutils.Collection(files))
    assert sink.seen == [("init", 0, 3), ("progress", 1), ("progress", 2), ("progress", 3), ("reset",)]
    qxvbutils.unadvise(manager, cookie)
    manager.ImportFiles(qxvbutils.Collection(files[:1]))
    assert len(sink.seen) == 5


def test_events_without_a_handler_are_passed_over(manager, files):
    class OnlyReset:
        resets = 0

        def ResetProgressBar(self):
            OnlyReset.resets += 1

    qxvbutils.advise(manager, OnlyReset())
    manager.ImportFiles(qxvbutils.Collection(files))
    assert OnlyReset.resets == 1


def test_an_exception_in_a_sink_is_raised_after_the_call_completes(manager, files, repository):
    class Failing:
        def ProgressBar(self, value):
            raise RuntimeError(f"sink failed at {value}")

    qxvbutils.advise(manager, Failing())
    with pytest.raises(RuntimeError, match="sink failed at 1"):
        manager.ImportFiles(qxvbutils.Collection(files))
    # The import itself went on to the end.
    assert stored_names(repository[1]) == ["file0.txt", "file1.txt", "file2.txt"]


def test_objects_without_events_refuse_a_sink():
    with pytest.raises(qxvbutils.AutomationError) as raised:
        qxvbutils.advise(qxvbutils.create("QXVBUtils.QXUtilities"), ImportSink())
    assert raised.value.number == 0x80040200 - (1 << 32)
