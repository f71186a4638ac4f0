"""Compares the names a shared library exports with the exact expected list.

ELF libraries: the dynamic symbol table (nm -D). Windows DLLs: the export
table (objdump -p, given as the third argument), whose C++ names are demangled
like nm's, so that one list serves both platforms. The lists are written for
LP64 (64-bit Linux); 64-bit Windows is LLP64, where size_t and int64_t are
long long, so a DLL's C++ names are expected with those types."""
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


def main(library, expected_file, objdump=None):
    with open(expected_file) as f:
        expected = {l.strip() for l in f if l.strip() and not l.startswith('#')}
    if objdump:
        expected = {for_llp64(name) for name in expected}
        actual = exported_dll(library, objdump)
    else:
        actual = exported_elf(library)
    missing, extra = sorted(expected - actual), sorted(actual - expected)
    for name in missing:
        print('missing:', name)
    for name in extra:
        print('unexpected:', name)
    print(f'{len(actual)} exported, {len(expected)} expected')
    return 1 if missing or extra else 0


if __name__ == '__main__':
    sys.exit(main(*sys.argv[1:]))
