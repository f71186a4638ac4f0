"""Generic base of every Python message and service class.

A message class declares only ``_TYPE`` (package, folder, type name, snake
name, type support module) and ``_FIELDS`` (name, ROS type, module of a
nested type); both are written at build time from the C field lists. The
metaclass turns the table into slots, checked properties and the
``_fields_and_field_types`` mapping that generic tools read, and gives every
class a metaclass of its own (``Metaclass_<Type>``) whose
``__import_type_support__()`` loads the extension module and stores its
capsules as ``_CREATE_ROS_MESSAGE``, ``_DESTROY_ROS_MESSAGE``,
``_CONVERT_FROM_PY``, ``_CONVERT_TO_PY`` and ``_TYPE_SUPPORT`` (a service:
``_TYPE_SUPPORT`` only), where the Python client library looks for them.

Assignment rules (the C conversion applies the same ones):
  boolean           bool only                               else TypeError
  integers          int, within the field's width           TypeError / OverflowError
  float, double     float or int (stored as float); a finite value that
                    would round to infinity as float32      OverflowError
  string            str without NUL characters              TypeError / ValueError
  nested message    an instance of the nested class         TypeError

Construction is a function written for each class from its table: a field
not given takes its default straight into its slot (zero, empty, or a new
nested message), a given one goes through the checks above. The C
conversion reads and writes the slots by the names in ``_SLOT_NAMES`` (one per
field, in table order, interned); what it stores comes from a C message and is
valid.
"""

import importlib
import math
import operator
import os
import struct
import sys

_INTEGER_RANGES = {
    'uint8': (0, 2**8 - 1),
    'int16': (-2**15, 2**15 - 1),
    'uint16': (0, 2**16 - 1),
    'int32': (-2**31, 2**31 - 1),
    'uint32': (0, 2**32 - 1),
    'int64': (-2**63, 2**63 - 1),
}

_CAPSULES = (
    ('_CREATE_ROS_MESSAGE', 'create_ros_message'),
    ('_DESTROY_ROS_MESSAGE', 'destroy_ros_message'),
    ('_CONVERT_FROM_PY', 'convert_from_py'),
    ('_CONVERT_TO_PY', 'convert_to_py'),
    ('_TYPE_SUPPORT', 'type_support'),
)


def _type_name(value):
    return type(value).__name__


def _resolve(module, name):
    return getattr(importlib.import_module(module), name)


def _qualified_name(cls):
    """package.folder.Type, the name by which users import an interface class."""
    package, folder, type_name = cls._TYPE[:3]
    return f'{package}.{folder}.{type_name}'


# Folders made known to the DLL loader, kept for the life of the process.
_DLL_DIRECTORIES = {}


def _add_dll_directories(package):
    """Windows: Python 3.8 and later load an extension module's DLLs from the
    folders named with os.add_dll_directory, not from PATH. Named here before
    a package's type support is imported: the install's bin folder (beside
    Lib/site-packages/<package>/) and every folder on PATH, where ROS 2 on
    Windows keeps its DLLs. Elsewhere the loader needs nothing of this."""
    add = getattr(os, 'add_dll_directory', None)
    if add is None:
        return
    here = os.path.dirname(os.path.abspath(sys.modules[package].__file__))
    folders = [os.path.join(here, os.pardir, os.pardir, os.pardir, 'bin')]
    folders += os.environ.get('PATH', '').split(os.pathsep)
    for folder in folders:
        folder = os.path.normpath(folder) if folder else ''
        if folder and folder not in _DLL_DIRECTORIES and os.path.isdir(folder):
            _DLL_DIRECTORIES[folder] = add(folder)


def _restore(cls, values):
    """Rebuilds a pickled message: the class and its field values."""
    return cls(**values)


class _FieldRule:
    """Checks and normalises the values of one field."""

    def __init__(self, owner, name, ros_type, nested_module):
        self.where = f'{owner}.{name}'
        self.ros_type = ros_type
        self.nested_module = nested_module
        self._nested_class = None
        if nested_module:
            self.check = self._check_nested
        elif ros_type in ('boolean', 'string'):
            self.check = getattr(self, '_check_' + ros_type)
        elif ros_type in ('float', 'double'):
            self.check = self._check_float
        else:
            self.check = self._check_integer

    def nested_class(self):
        if self._nested_class is None:
            self._nested_class = _resolve(self.nested_module, self.ros_type.split('/')[-1])
        return self._nested_class

    def default(self):
        if self.nested_module:
            return self.nested_class()()
        if self.ros_type == 'boolean':
            return False
        if self.ros_type == 'string':
            return ''
        if self.ros_type in ('float', 'double'):
            return 0.0
        return 0

    # check(value): the rule of the field's kind, chosen once.

    def _check_nested(self, value):
        cls = self.nested_class()
        if not isinstance(value, cls):
            raise TypeError(f'{self.where} must be {_qualified_name(cls)}, '
                            f'not {_type_name(value)}')
        return value

    def _check_boolean(self, value):
        if not isinstance(value, bool):
            raise TypeError(f'{self.where} must be bool, not {_type_name(value)}')
        return value

    def _check_string(self, value):
        if not isinstance(value, str):
            raise TypeError(f'{self.where} must be str, not {_type_name(value)}')
        if '\0' in value:
            raise ValueError(f'{self.where} must not contain NUL characters')
        return value

    def _check_float(self, value):
        if isinstance(value, bool) or not isinstance(value, (float, int)):
            raise TypeError(f'{self.where} must be float, not {_type_name(value)}')
        number = float(value)  # OverflowError for an int beyond double
        if self.ros_type == 'float' and math.isfinite(number):
            try:
                struct.pack('<f', number)
            except OverflowError:
                raise OverflowError(f'{self.where}: {value!r} does not fit in float32') \
                    from None
        return number

    def _check_integer(self, value):
        low, high = _INTEGER_RANGES[self.ros_type]
        if not isinstance(value, int):
            raise TypeError(f'{self.where} must be int, not {_type_name(value)}')
        if not low <= value <= high:
            raise OverflowError(f'{self.where}: {value!r} does not fit in {self.ros_type}')
        return int(value)


_MISSING = object()


def _positional_arguments(self, args):
    raise TypeError(f'{_qualified_name(type(self))}() takes field values as keywords '
                    f'only ({", ".join(self._RULES)}), not {len(args)} positional '
                    f'argument{"s" if len(args) > 1 else ""}')


def _no_such_fields(self, unknown):
    raise TypeError(f'{type(self).__name__}() has no field(s) {", ".join(sorted(unknown))}')


def _constructor(rules):
    """__init__ of a message class: keyword arguments only, one per field."""
    namespace = {'_MISSING': _MISSING, '_no_such_fields': _no_such_fields,
                 '_positional_arguments': _positional_arguments}
    keywords = ''.join(f'{field}=_MISSING, ' for field in rules)
    lines = [f'def __init__(_self, /, *_args, {keywords}**_unknown):',
             '    if _args:',
             '        _positional_arguments(_self, _args)',
             '    if _unknown:',
             '        _no_such_fields(_self, _unknown)']
    for index, (field, rule) in enumerate(rules.items()):
        namespace[f'_check_{index}'] = rule.check
        if rule.nested_module:
            default = f'_new_{index}()'
            namespace[f'_new_{index}'] = _first_nested(rule, namespace, f'_new_{index}')
        else:
            default = repr(rule.default())
        lines.append(f'    _self._{field} = {default} if {field} is _MISSING '
                     f'else _check_{index}({field})')
    exec('\n'.join(lines), namespace)  # noqa: S102 - text made from the field table only
    return namespace['__init__']


def _first_nested(rule, namespace, name):
    """Resolves a nested class on first use, then stands aside for the class itself."""
    def first():
        cls = rule.nested_class()
        namespace[name] = cls
        return cls()
    return first


def _field_property(name, rule):
    slot = '_' + name
    check = rule.check

    def set(self, value):
        setattr(self, slot, check(value))

    return property(operator.attrgetter(slot), set, doc=f'{rule.ros_type} field {name!r}')


class InterfaceMeta(type):
    """Metaclass of messages and services; each class gets a subclass of it."""

    def __new__(mcs, name, bases, namespace):
        if '_TYPE' not in namespace:  # the generic bases themselves
            return super().__new__(mcs, name, bases, namespace)
        package, folder, type_name, snake, support = namespace['_TYPE']
        owner = f'{package}.{folder}.{type_name}'
        fields = namespace.get('_FIELDS')
        if fields is not None:
            rules = {field: _FieldRule(owner, field, ros_type, nested)
                     for field, ros_type, nested in fields}
            namespace['__slots__'] = tuple('_' + field for field in rules)
            namespace['_RULES'] = rules
            namespace['_fields_and_field_types'] = {
                field: rule.ros_type for field, rule in rules.items()}
            for field, rule in rules.items():
                namespace[field] = _field_property(field, rule)
            namespace['__init__'] = _constructor(rules)
        per_type = type(f'Metaclass_{type_name}', (mcs,), {
            attribute: None for attribute, _ in _CAPSULES})
        cls = super().__new__(per_type, name, bases, namespace)
        if fields is not None:
            # The names of the slot descriptors themselves, interned by the class.
            cls._SLOT_NAMES = tuple(cls.__dict__[slot].__name__ for slot in namespace['__slots__'])
        per_type._CLASS = cls
        return cls

    @classmethod
    def __import_type_support__(meta):
        cls = meta.__dict__.get('_CLASS')
        if cls is None:
            raise TypeError(f'{meta.__name__} is the generic metaclass of no type')
        package, folder, type_name, snake, support = cls._TYPE
        _add_dll_directories(package)
        module = importlib.import_module(support)
        if hasattr(cls, '_FIELDS'):
            for attribute, operation in _CAPSULES:
                setattr(meta, attribute, getattr(module, f'{operation}_msg__{folder}__{snake}'))
            nested = [rule.nested_class() for rule in cls._RULES.values() if rule.nested_module]
        else:
            meta._TYPE_SUPPORT = getattr(module, f'type_support_srv__{folder}__{snake}')
            nested = [cls.Request, cls.Response]
        for other in nested:
            if type(other)._TYPE_SUPPORT is None:
                type(other).__import_type_support__()


class Message(metaclass=InterfaceMeta):
    """Keyword construction with zero defaults (each class's own __init__),
    checked fields, equality, repr."""

    __slots__ = ()

    @classmethod
    def get_fields_and_field_types(cls):
        return dict(cls._fields_and_field_types)

    def __reduce__(self):
        # Slots and keyword-only construction: pickle (every protocol) and
        # copy rebuild a message from its class and field values.
        return _restore, (type(self), {field: getattr(self, field) for field in self._RULES})

    def __eq__(self, other):
        if type(other) is not type(self):
            return NotImplemented
        return all(getattr(self, field) == getattr(other, field) for field in self._RULES)

    __hash__ = None  # mutable

    def __repr__(self):
        package, folder, type_name = self._TYPE[:3]
        values = ', '.join(f'{field}={getattr(self, field)!r}' for field in self._RULES)
        return f'{package}.{folder}.{type_name}({values})'


class Service(metaclass=InterfaceMeta):
    """A pair of Request and Response message classes; not instantiated."""

    __slots__ = ()

    def __init__(self, *args, **kwargs):
        raise NotImplementedError(f'{_qualified_name(type(self))} is a service class, not '
                                  f'instantiated: use its Request and Response classes')
