#!/usr/bin/env python3
"""Writes python3.def: the names that Python's headers declare, with the
limited API of Python 3.8 selected (Py_LIMITED_API=0x03080000), for 64-bit
Windows. It is the list of what an extension module on the stable ABI may
import from python3.dll, the DLL every Windows CPython since 3.5 ships, which
forwards to its python3X.dll; the Windows build makes its import library from
it. Run it again (and commit the result) when the headers it reads change:

  limited_api.py <Python include folder> <64-bit Windows C compiler> > python3.def

Declarations are found by the headers' own import markers: a function is
declared `__declspec(dllimport) <type> <name>(...)`, data
`__declspec(dllimport) <type> <name>`."""
import os
import re
import subprocess
import sys
import tempfile

LIMITED_API = '0x03080000'
# __declspec(dllimport) as MSVC and clang spell it, __attribute__((dllimport)) as GCC does.
MARK = re.compile(r'__declspec\(dllimport\)|__attribute__\(\(dllimport\)\)')

# Names that Python 3.11's headers declare without a version guard although
# they joined the stable ABI after Python 3.8 (in 3.9 or 3.10).
LATER = {
    'PyAIter_Check', 'PyCMethod_New', 'PyErr_SetInterruptEx', 'PyFrame_GetCode',
    'PyFrame_GetLineNumber', 'PyGC_Disable', 'PyGC_Enable', 'PyGC_IsEnabled',
    'PyInterpreterState_Get', 'PyIter_Send', 'PyModule_AddObjectRef', 'PyModule_AddType',
    'PyObject_CallNoArgs', 'PyObject_GC_IsFinalized', 'PyObject_GC_IsTracked',
    'PyObject_GetAIter', 'PyThreadState_GetFrame', 'PyThreadState_GetID',
    'PyThreadState_GetInterpreter', 'PyType_FromModuleAndSpec', 'PyType_GetModule',
    'PyType_GetModuleState', 'PyUnicode_AsUTF8AndSize', 'Py_EnterRecursiveCall',
    'Py_GenericAlias', 'Py_GenericAliasType', 'Py_Is', 'Py_IsFalse', 'Py_IsNone', 'Py_IsTrue',
    'Py_LeaveRecursiveCall', 'Py_NewRef', 'Py_XNewRef', '_Py_DecRef', '_Py_IncRef',
}


def declarations(include, compiler):
    here = os.path.dirname(os.path.abspath(__file__))
    with tempfile.TemporaryDirectory() as folder:
        # Python.h finds pyconfig.h beside itself: a folder of links to the
        # headers, with the Windows configuration in place of the host's.
        headers = os.path.join(folder, 'include')
        os.mkdir(headers)
        for entry in os.listdir(include):
            if entry != 'pyconfig.h':
                os.symlink(os.path.join(include, entry), os.path.join(headers, entry))
        os.symlink(os.path.join(here, 'pyconfig.h'), os.path.join(headers, 'pyconfig.h'))
        source = os.path.join(folder, 'all.c')
        with open(source, 'w') as f:
            f.write('#define PY_SSIZE_T_CLEAN\n#include <Python.h>\n')
        text = subprocess.run(
            [compiler, '-E', '-P', f'-DPy_LIMITED_API={LIMITED_API}', '-I', headers, source],
            check=True, capture_output=True, text=True).stdout
    return ' '.join(text.split())


def exported_names(text):
    """Functions and data by the marker that each declaration carries."""
    functions, data = set(), set()
    for piece in MARK.split(text)[1:]:
        declaration = piece.split(';', 1)[0]
        pointer = re.match(r'[\w\s*]*?\(\s*\*\s*(\w+)\s*\)', declaration)
        if pointer:  # a pointer to a function, e.g. PyOS_InputHook
            data.add(pointer.group(1))
        elif '(' in declaration:
            functions.add(re.findall(r'\w+', declaration.split('(', 1)[0])[-1])
        else:
            data.add(re.findall(r'\w+', declaration.split('[', 1)[0])[-1])
    return functions, data


def main(include, compiler):
    functions, data = exported_names(declarations(include, compiler))
    print('; Stable ABI of Python 3.8 (limited API 0x03080000) as Python\'s headers')
    print('; declare it for 64-bit Windows; written by limited_api.py.')
    print('LIBRARY python3.dll')
    print('EXPORTS')
    for name in sorted((functions | data) - LATER):
        print(f'  {name}' + (' DATA' if name in data else ''))
    return 0


if __name__ == '__main__':
    sys.exit(main(*sys.argv[1:]))
