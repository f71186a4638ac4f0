/* Configuration of Python's headers for 64-bit Windows (LLP64: long is 32
 * bits, wchar_t 16), for extension modules on the stable ABI: the Windows
 * build puts this file beside links to the host's Python headers, where
 * Python.h's #include "pyconfig.h" finds it first. Only what the headers of
 * the limited API read; the values are those of CPython's own Windows build. */
#ifndef MSGDEF_WINDOWS_PYCONFIG_H
#define MSGDEF_WINDOWS_PYCONFIG_H

#if !defined(_WIN64)
#  error "64-bit Windows only"
#endif
#if !defined(Py_LIMITED_API)
#  error "the stable ABI only: define Py_LIMITED_API"
#endif

#define MS_WIN32
#define MS_WIN64
#define MS_WINDOWS
#define NT_THREADS
#define WITH_THREAD

/* Extension modules import the interpreter's functions from its DLL and
 * export their init function. */
#define HAVE_DECLSPEC_DLL
#define Py_ENABLE_SHARED 1

#define PLATFORM "win32"
#define HAVE_STDDEF_H 1
#define HAVE_WCHAR_H 1
#define DOUBLE_IS_LITTLE_ENDIAN_IEEE754 1
#define PY_LITTLE_ENDIAN 1

#define SIZEOF_SHORT 2
#define SIZEOF_INT 4
#define SIZEOF_LONG 4
#define SIZEOF_LONG_LONG 8
#define SIZEOF_FLOAT 4
#define SIZEOF_DOUBLE 8
#define SIZEOF_VOID_P 8
#define SIZEOF_SIZE_T 8
#define SIZEOF_TIME_T 8
#define SIZEOF_OFF_T 4
#define SIZEOF_FPOS_T 8
#define SIZEOF_HKEY 8
#define SIZEOF_WCHAR_T 2
#define SIZEOF__BOOL 1
#define SIZEOF_PID_T SIZEOF_INT
#define ALIGNOF_SIZE_T 8
#define ALIGNOF_LONG 4
#define ALIGNOF_MAX_ALIGN_T 8

#endif
