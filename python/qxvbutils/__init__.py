"""Python access to the QXVBUtils library.

Classes are created by ProgID or class identifier, and their members are
called late-bound as attributes::

    import qxvbutils
    utilities = qxvbutils.create("QXVBUtils.QXUtilities")
    info = utilities.QXSaveErrInfo(5, "a", "b")
    print(info.Number, info.Description)

See docs/PYTHON.md for the conversions, by-reference arguments, events and
errors.
"""

from . import _native
from ._native import (
    Collection,
    Empty,
    ErrorValue,
    Missing,
    Nothing,
    Object,
    Record,
    advise,
    create,
    put,
    unadvise,
    unload,
)

__all__ = [
    "Array",
    "AutomationError",
    "Bytes",
    "Collection",
    "Empty",
    "ErrorValue",
    "Missing",
    "Nothing",
    "Object",
    "Record",
    "advise",
    "create",
    "put",
    "unadvise",
    "unload",
]


class AutomationError(Exception):
    """An automation error raised by the library (or by a call into it)."""

    def __init__(self, number, source="", description="", helpfile="", helpcontext=0):
        super().__init__(number, source, description, helpfile, helpcontext)
        self.number = number
        self.source = source
        self.description = description
        self.helpfile = helpfile
        self.helpcontext = helpcontext

    def __str__(self):
        return f"{self.description} (error {self.number} from {self.source})"


class MemberNotFound(AutomationError, AttributeError):
    """Error 438 for an attribute the object has no member for; also an
    AttributeError, so hasattr() and getattr() with a default work."""


class Array(list):
    """A library array: a list that keeps its lower bound and whether its
    items are Strings ("String") or Variants ("Variant")."""

    __slots__ = ("lbound", "vartype")

    def __init__(self, items=(), lbound=0, vartype="Variant"):
        super().__init__(items)
        if vartype not in ("String", "Variant"):
            raise ValueError("vartype is 'String' or 'Variant'")
        self.lbound = lbound
        self.vartype = vartype

    @property
    def ubound(self):
        return self.lbound + len(self) - 1

    def __repr__(self):
        return f"Array({list.__repr__(self)}, lbound={self.lbound}, vartype={self.vartype!r})"


class Bytes(bytes):
    """A byte array whose lower bound is not 0."""

    def __new__(cls, data=b"", lbound=0):
        self = super().__new__(cls, data)
        self.lbound = lbound
        return self

    def __repr__(self):
        return f"Bytes({bytes.__repr__(self)}, lbound={self.lbound})"


_native._register(AutomationError, MemberNotFound, Array, Bytes)

_class_names = frozenset(_native.class_names())


def __getattr__(name):
    # The library's class names, as the type stubs declare them, are the
    # one wrapper type at run time.
    if name in _class_names:
        return Object
    raise AttributeError(f"module 'qxvbutils' has no attribute {name!r}")
