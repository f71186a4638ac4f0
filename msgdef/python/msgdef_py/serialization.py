"""CDR serialization of messages, as the middleware puts them on the wire.

serialize_message(msg) -> bytes: a CDR encapsulation header (00 01 00 00,
little-endian) followed by the message body, written by the type's Fast-CDR
C serializer. deserialize_message(data, cls) reads such bytes (either byte
order) back into a new instance of cls; data that is not a message of cls
(bad header, truncated, invalid values) raises ValueError.
"""

from msgdef_py import _cdr
from msgdef_py.message import Message


def _is_message_class(cls):
    return isinstance(cls, type) and issubclass(cls, Message) and hasattr(cls, '_FIELDS')


def _interface_name(cls):
    package, folder, type_name = cls._TYPE[:3]
    return f'{package}.{folder}.{type_name}'


def _class_name(cls):
    return cls.__qualname__ if cls.__module__ == 'builtins' else f'{cls.__module__}.{cls.__qualname__}'


def _described(value):
    """What a caller passed, in words: the class itself, or an instance of what."""
    if _is_message_class(value):
        return f'the class {_interface_name(value)} itself'
    if _is_message_class(type(value)):
        return f'a {_interface_name(type(value))} message'
    if isinstance(value, type) and hasattr(value, '_TYPE'):
        return f'the service class {_interface_name(value)}'
    if isinstance(value, type):
        return f'the class {_class_name(value)}'
    return f'a value of type {_class_name(type(value))}'


def _with_type_support(cls):
    if type(cls)._TYPE_SUPPORT is None:
        type(cls).__import_type_support__()
    return cls


def serialize_message(msg):
    if not _is_message_class(type(msg)):
        hint = f' (an instance, e.g. {msg.__name__}())' if _is_message_class(msg) else ''
        raise TypeError(f'serialize_message() needs a message{hint}, got {_described(msg)}')
    _with_type_support(type(msg))
    return _cdr.serialize(msg)


def deserialize_message(data, cls):
    if not _is_message_class(cls):
        hint = ''
        if _is_message_class(type(cls)):
            hint = f' (the class, e.g. {type(cls).__name__}, not an instance)'
        raise TypeError(f'deserialize_message() needs a message class{hint}, '
                        f'got {_described(cls)}')
    return _cdr.deserialize(data, _with_type_support(cls))
