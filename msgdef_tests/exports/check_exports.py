"""Compares the names a shared library exports with the exact expected list.

ELF libraries: the dynamic symbol table (nm -D). Windows DLLs: the export
table (objdump -p, given as the third argument), whose C++ names are demangled
like nm's, so that one list serves both platforms. The lists are written for
LP64 (64-bit Linux); 64-bit Windows is LLP64, where size_t and int64_t are
long long, so a DLL's C++ names are expected with those types.

MSVC-ABI DLLs (llvm-readobj given as the third argument, llvm-undname beside
it): C++ names are MSVC-decorated; undecorated, they are compared with the
list's declarations by name and parameters (MSVC spells the return type, the
class keys and the calling convention, nm does not). Their imports must name
the UCRT and no GCC runtime (nor msvcrt.dll, MinGW's C runtime).

A list may also name what the library takes from Python ("imports: <name>"
lines): then its Python imports are exactly those (on Linux the undefined
Py*/_Py* symbols, on Windows the names imported from python3.dll).

Windows Python modules and conversion libraries (--limited-api <python3.def>
--resolver <emulator> <resolve_imports.exe>): from Python they import only
python3.dll, and from it only names that the .def lists (the stable ABI of
Python 3.8); every name they import from another DLL is found there by the
Windows loader, which resolve_imports checks under the emulator."""
import argparse
import os
import re
import subprocess
import sys

LP64_LONG = re.compile(r'(?<!long )\b(unsigned )?long\b(?! long)')


def for_llp64(name):
    return LP64_LONG.sub(lambda m: (m.group(1) or '') + 'long long', name) if '(' in name else name


def exported_elf(path):
    out = subprocess.run(['nm', '-D', '--defined-only', '-C', path],
                         check=True, capture_output=True, text=True).stdout
    names = set()
    for line in out.splitlines():
        parts = line.split(None, 2)
        if len(parts) == 3:
            names.add(parts[2])
    return names


def exported_dll(path, objdump):
    out = subprocess.run([objdump, '-p', path],
                         check=True, capture_output=True, text=True).stdout
    raw, in_table = [], False
    for line in out.splitlines():
        if line.startswith('[Ordinal/Name Pointer] Table'):
            in_table = True
        elif in_table and not line.strip():
            break
        elif in_table:
            raw.append(line.split(']', 1)[1].strip())
    if not raw:
        return set()
    demangled = subprocess.run(['c++filt'], input='\n'.join(raw) + '\n',
                               check=True, capture_output=True, text=True).stdout
    return set(demangled.splitlines())


MSVC_SPELLING = [(re.compile(r'\b(class|struct|enum|union) '), ''),
                 (re.compile(r'\b__(cdecl|ptr64) ?'), ''),
                 (re.compile(r'\bunsigned __int64\b'), 'unsigned long long'),
                 (re.compile(r'\b__int64\b'), 'long long'),
                 (re.compile(r'\(void\)'), '()')]


def declared_name(name):
    """The qualified name and parameters of a declaration, spaces dropped."""
    for pattern, replacement in MSVC_SPELLING:
        name = pattern.sub(replacement, name)
    depth, end = 0, len(name)
    for i, c in enumerate(name):
        if c == '<':
            depth += 1
        elif c == '>':
            depth -= 1
        elif c == '(' and depth == 0:
            end = i
            break
    depth, start = 0, 0
    for i in range(end - 1, -1, -1):
        c = name[i]
        if c == '>':
            depth += 1
        elif c == '<':
            depth -= 1
        elif c == ' ' and depth == 0:
            start = i + 1
            break
    return re.sub(r'\s+', '', name[start:])


def exported_msvc_dll(path, readobj):
    out = subprocess.run([readobj, '--coff-exports', path],
                         check=True, capture_output=True, text=True).stdout
    raw = re.findall(r'^  Name: (\S+)$', out, re.M)
    decorated = [n for n in raw if n.startswith('?')]
    undname = os.path.join(os.path.dirname(readobj), 'llvm-undname')
    plain = subprocess.run([undname], input='\n'.join(decorated) + '\n',
                           check=True, capture_output=True, text=True).stdout
    undecorated = [l for l in plain.splitlines() if l.strip() and not l.startswith('?')]
    if len(undecorated) != len(decorated):
        print('llvm-undname could not read every decorated name')
        return None
    return {n for n in raw if not n.startswith('?')} | {declared_name(n) for n in undecorated}


GCC_RUNTIME = re.compile(r'^(libstdc\+\+|libgcc|libwinpthread)', re.I)


def imports_msvc_runtime(path, readobj):
    out = subprocess.run([readobj, '--coff-imports', path],
                         check=True, capture_output=True, text=True).stdout
    dlls = {n.lower() for n in re.findall(r'^  Name: (\S+)$', out, re.M)}
    good = True
    for dll in sorted(dlls):
        if GCC_RUNTIME.match(dll):
            print('imports the GCC runtime:', dll)
            good = False
    if not dlls & {'ucrtbase.dll'} and not any(d.startswith('api-ms-win-crt-') for d in dlls):
        print('imports no UCRT:', ', '.join(sorted(dlls)))
        good = False
    if 'msvcrt.dll' in dlls:
        print("imports the system's msvcrt.dll rather than the UCRT")
        good = False
    return good


def imports(path, reader):
    """{DLL name (lower case): [imported names]} of a Windows binary."""
    out = subprocess.run([reader, '--coff-imports' if 'readobj' in reader else '-p', path],
                         check=True, capture_output=True, text=True).stdout
    table, dll = {}, None
    for line in out.splitlines():
        line = line.strip()
        found = re.match(r'(?:Name|DLL Name): (\S+)$', line)
        if found:
            dll = found.group(1).lower()
            table.setdefault(dll, [])
        elif dll and line.startswith('Symbol: '):  # llvm-readobj: "Symbol: <name> (<hint>)"
            table[dll].append(line.split()[1])
        elif dll and re.match(r'[0-9a-f]+\s+\d+\s+\S+$', line):  # objdump: "<vma> <hint> <name>"
            table[dll].append(line.split()[2])
        elif not line:
            dll = None
    return table


def python_imports(library, reader):
    if reader:
        return set(imports(library, reader).get('python3.dll', []))
    out = subprocess.run(['nm', '-D', '--undefined-only', library],
                         check=True, capture_output=True, text=True).stdout
    return {line.split()[-1] for line in out.splitlines() if re.match(r'_?Py', line.split()[-1])}


def python_imports_good(library, reader, limited_api, resolver):
    with open(limited_api) as f:
        allowed = set(re.findall(r'^  (\w+)', f.read(), re.M))
    good = True
    table = imports(library, reader)
    for dll in sorted(table):
        if re.fullmatch(r'python3\d+(_d)?\.dll', dll):
            print(f'imports {dll}, one version of Python, rather than python3.dll')
            good = False
    outside = sorted(set(table.get('python3.dll', [])) - allowed)
    for name in outside:
        print('imports from python3.dll what the stable ABI of Python 3.8 lacks:', name)
    pairs = [f'{dll}!{name}' for dll, names in sorted(table.items())
             if dll != 'python3.dll' for name in names]
    result = subprocess.run([*resolver, *pairs], capture_output=True, text=True)
    if result.returncode != 0:
        print('imports the loader does not resolve:', result.stdout + result.stderr)
    print(f"{len(table.get('python3.dll', []))} names from python3.dll, "
          f'{len(pairs)} from {len(table) - 1} other DLLs')
    return good and not outside and result.returncode == 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('library')
    parser.add_argument('expected_file')
    parser.add_argument('--reader', help='objdump or llvm-readobj: the library is a Windows DLL')
    parser.add_argument('--limited-api', help='python3.def: the names python3.dll may give')
    parser.add_argument('--resolver', nargs=2, metavar=('EMULATOR', 'RESOLVE_IMPORTS'))
    args = parser.parse_args()
    library, reader = args.library, args.reader
    with open(args.expected_file) as f:
        expected = {l.strip() for l in f if l.strip() and not l.startswith('#')}
    from_python = {l.split(None, 1)[1] for l in expected if l.startswith('imports: ')}
    expected -= {'imports: ' + name for name in from_python}
    good = True
    if from_python:
        taken = python_imports(library, reader)
        for name in sorted(taken ^ from_python):
            print('takes from Python' if name in taken else 'does not take from Python', name)
        good = taken == from_python
    if args.limited_api:
        good = python_imports_good(library, reader, args.limited_api, args.resolver) and good
    if reader and 'readobj' in os.path.basename(reader):
        expected = {declared_name(for_llp64(name)) for name in expected}
        actual = exported_msvc_dll(library, reader)
        if actual is None or not imports_msvc_runtime(library, reader):
            return 1
    elif reader:
        expected = {for_llp64(name) for name in expected}
        actual = exported_dll(library, reader)
    else:
        actual = exported_elf(library)
    missing, extra = sorted(expected - actual), sorted(actual - expected)
    for name in missing:
        print('missing:', name)
    for name in extra:
        print('unexpected:', name)
    print(f'{len(actual)} exported, {len(expected)} expected')
    return 1 if missing or extra or not good else 0


if __name__ == '__main__':
    sys.exit(main())
