"""Values across the boundary, both ways. QXSaveErrInfo copies its help
context into the record unchanged, whatever its type, so it carries any
value into the library and back out."""

import datetime

import pytest

import qxvbutils


@pytest.fixture(scope="module")
def utilities():
    return qxvbutils.create("QXVBUtils.QXUtilities")


@pytest.fixture(scope="module")
def echo(utilities):
    return lambda value: utilities.QXSaveErrInfo(0, "", "", "", value).HelpContextID


def test_scalars_keep_their_values(echo):
    assert echo("text with ünïcödé ✓") == "text with ünïcödé ✓"
    assert echo(42) == 42 and type(echo(42)) is int
    assert echo(-(2**31)) == -(2**31)
    assert echo(True) is True and echo(False) is False
    assert echo(2.5) == 2.5
    assert echo(None) is None
    assert echo(qxvbutils.Empty) is qxvbutils.Empty
    assert echo(qxvbutils.ErrorValue(5)) == qxvbutils.ErrorValue(5)


def test_integers_beyond_a_long_travel_as_doubles_while_exact(echo):
    assert echo(2**31) == 2**31 and type(echo(2**31)) is float
    assert echo(2**53) == float(2**53)
    with pytest.raises(qxvbutils.AutomationError) as raised:
        echo(2**53 + 1)
    assert raised.value.number == 6


def test_text_that_is_not_utf8_survives_the_round_trip(echo):
    # Lone surrogates stand for bytes that are not UTF-8.
    assert echo("a\udcffb") == "a\udcffb"


def test_byte_arrays_keep_their_lower_bound(echo):
    assert echo(b"\x00\x01\xff") == b"\x00\x01\xff"
    assert type(echo(b"x")) is bytes
    assert echo(bytearray(b"ab")) == b"ab"
    shifted = echo(qxvbutils.Bytes(b"abc", lbound=1))
    assert isinstance(shifted, qxvbutils.Bytes)
    assert shifted == b"abc" and shifted.lbound == 1


def test_arrays_keep_their_lower_bound_and_item_type(echo):
    plain = echo([1, "a", None, [2.5]])
    assert isinstance(plain, qxvbutils.Array)
    assert plain == [1, "a", None, [2.5]]
    assert plain.lbound == 0 and plain.vartype == "Variant"
    strings = echo(qxvbutils.Array(["x", "y"], lbound=5, vartype="String"))
    assert strings == ["x", "y"]
    assert (strings.lbound, strings.ubound, strings.vartype) == (5, 6, "String")
    assert echo(()) == []


def test_dates_come_back_as_datetime(echo):
    moment = datetime.datetime(2024, 2, 29, 13, 45, 7)
    assert echo(moment) == moment
    assert echo(datetime.date(1899, 12, 30)) == datetime.datetime(1899, 12, 30)
    # Before the epoch the time of day still counts forward.
    assert echo(datetime.datetime(1800, 1, 1, 6, 0)) == datetime.datetime(1800, 1, 1, 6, 0)
    assert echo(datetime.time(18, 30)) == datetime.datetime(1899, 12, 30, 18, 30)


def test_an_aware_datetime_is_taken_in_local_time(echo):
    moment = datetime.datetime(2024, 6, 1, 12, 0, tzinfo=datetime.timezone.utc)
    local = moment.astimezone().replace(tzinfo=None)
    assert echo(moment) == local


def test_records_are_objects_with_attributes(utilities, echo):
    info = utilities.QXSaveErrInfo(5, "a", "b")
    assert info._typename == "QXErrInfo"
    assert info._fields == ("Number", "Source", "Description", "HelpFile", "HelpContextID")
    assert (info.Number, info.source, info.HelpContextID) == (5, "a", "")
    info.Description = "changed"
    assert info._asdict()["Description"] == "changed"
    with pytest.raises(AttributeError):
        info.NoSuchField
    assert echo(info) == info
    made = qxvbutils.Record("Import_File", Name="/tmp/a.txt", Rename="")
    assert echo(made).Name == "/tmp/a.txt"
    assert repr(made) == "Import_File(Name='/tmp/a.txt', Rename='')"


def test_objects_come_back_as_the_same_object(utilities, echo):
    assert echo(utilities) == utilities
    assert echo(qxvbutils.Nothing) is None
    other = qxvbutils.create("QXVBUtils.QXUtilities")
    assert echo(other) != utilities


def test_collections_are_sized_iterable_and_indexed_by_key(echo):
    files = qxvbutils.Collection(["a.txt", "b.txt"])
    assert len(files) == 2 and list(files) == ["a.txt", "b.txt"]
    assert files[1] == "a.txt"  # numbered from 1, as Item is
    keyed = qxvbutils.Collection({"First": 1, "second": [2]})
    assert keyed["first"] == 1 and keyed["SECOND"] == [2]
    assert keyed.keys() == ["First", "second"]
    keyed.Add("three", "Third")
    assert len(keyed) == 3 and keyed.Count() == 3
    back = echo(keyed)
    assert isinstance(back, qxvbutils.Collection) and back == keyed
    with pytest.raises(qxvbutils.AutomationError) as raised:
        keyed["missing"]
    assert raised.value.number == 5
    with pytest.raises(qxvbutils.AutomationError) as raised:
        keyed[4]
    assert raised.value.number == 9
    # Truth is a container's: an empty Collection is false.
    assert not qxvbutils.Collection() and qxvbutils.Collection([0])


def test_values_python_has_no_counterpart_for_are_type_mismatches(echo):
    for value in ({"a": 1}, {1, 2}, object(), 1j):
        with pytest.raises(qxvbutils.AutomationError) as raised:
            echo(value)
        assert raised.value.number == 13


def test_base64_takes_and_gives_byte_arrays(utilities):
    encoded, data = utilities.QX_Util_EncodeBase64(b"\x00hello\xff")
    assert data == b"\x00hello\xff"
    assert utilities.QX_Util_DecodeBase64(encoded) == b"\x00hello\xff"
