"""CDR serialization of messages, as the middleware puts them on the wire.

serialize_message(msg) -> bytes: a CDR encapsulation header (00 01 00 00,
little-endian) followed by the message body, written by the type's Fast-CDR
C serializer. deserialize_message(data, cls) reads such bytes (either byte
order) back into a new instance of cls; data that is not a message of cls
(bad header, truncated, invalid values) raises ValueError.
"""

from msgdef_py import _cdr
from msgdef_py.message import Message


def _message_class(cls):
    if not (isinstance(cls, type) and issubclass(cls, Message) and hasattr(cls, '_FIELDS')):
        raise TypeError(f'expected a message class, not {cls!r}')
    if type(cls)._TYPE_SUPPORT is None:
        type(cls).__import_type_support__()
    return cls


def serialize_message(msg):
    _message_class(type(msg))
    return _cdr.serialize(msg)


def deserialize_message(data, cls):
    return _cdr.deserialize(data, _message_class(cls))
