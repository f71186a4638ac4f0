"""Writes an MSVC-style import library for Windows DLLs from their export tables.

  import_library.py <llvm bin folder> <out.lib> <dll>... [--without <dll>...]

Each DLL's exports are read with llvm-readobj; an export whose address lies
outside the code sections is marked DATA (reached through __imp_<name> only),
a forwarded export takes the kind of its target when that DLL is at hand.
llvm-dlltool makes one import library per DLL and llvm-lib joins them, so that
one library name (as MSVC names it) can stand for several DLLs. Names that
the DLLs after --without export are left out: Wine's ucrtbase.dll also
exports what MSVC's programs import from vcruntime140.dll."""
import os
import re
import subprocess
import sys
import tempfile


def read_dll(readobj, path):
    out = subprocess.run([readobj, '--coff-exports', '--sections', path],
                         check=True, capture_output=True, text=True).stdout
    code_ranges, exports = [], []
    for block in re.findall(r'Section \{(.*?)\n  \}', out, re.S):
        if 'IMAGE_SCN_CNT_CODE' in block:
            start = int(re.search(r'VirtualAddress: (0x[0-9A-F]+)', block).group(1), 16)
            size = int(re.search(r'VirtualSize: (0x[0-9A-F]+)', block).group(1), 16)
            code_ranges.append((start, start + size))
    for block in re.findall(r'Export \{(.*?)\n\}', out, re.S):
        name = re.search(r'Name: (\S*)', block)
        if not name or not name.group(1):
            continue
        rva = re.search(r'RVA: (0x[0-9A-F]+)', block)
        forward = re.search(r'ForwardedTo: (\S+)', block)
        if rva:
            address = int(rva.group(1), 16)
            is_code = any(lo <= address < hi for lo, hi in code_ranges)
            exports.append((name.group(1), is_code, None))
        else:
            exports.append((name.group(1), True, forward.group(1) if forward else None))
    return exports


def main(bin_dir, out_lib, *args):
    readobj = os.path.join(bin_dir, 'llvm-readobj')
    dlls, others = (args[:args.index('--without')], args[args.index('--without') + 1:]) \
        if '--without' in args else (args, ())
    elsewhere = {name for other in others for name, _, _ in read_dll(readobj, other)}
    tables = {os.path.basename(d).lower(): [e for e in read_dll(readobj, d) if e[0] not in elsewhere]
              for d in dlls}
    kinds = {}
    for dll, exports in tables.items():
        kinds[dll[:-4]] = {name: is_code for name, is_code, _ in exports}
    parts = []
    with tempfile.TemporaryDirectory() as tmp:
        for dll_path in dlls:
            dll = os.path.basename(dll_path).lower()
            lines = [f'LIBRARY {dll}', 'EXPORTS']
            for name, is_code, forward in tables[dll]:
                if forward:
                    target_dll, _, target = forward.partition('.')
                    is_code = kinds.get(target_dll.lower(), {}).get(target, is_code)
                    if not kinds.get(target_dll.lower()):
                        folder = os.path.dirname(dll_path)
                        target_path = os.path.join(folder, target_dll.lower() + '.dll')
                        if os.path.exists(target_path):
                            kinds[target_dll.lower()] = {
                                n: c for n, c, _ in read_dll(readobj, target_path)}
                            is_code = kinds[target_dll.lower()].get(target, is_code)
                lines.append(f'  {name}' + ('' if is_code else ' DATA'))
            def_file = os.path.join(tmp, dll + '.def')
            with open(def_file, 'w') as f:
                f.write('\n'.join(lines) + '\n')
            part = os.path.join(tmp, dll + '.lib')
            subprocess.run([os.path.join(bin_dir, 'llvm-dlltool'), '-m', 'i386:x86-64',
                            '-d', def_file, '-l', part, '-D', dll], check=True)
            parts.append(part)
        if len(parts) == 1:
            os.replace(parts[0], out_lib)
        else:
            subprocess.run([os.path.join(bin_dir, 'llvm-lib'), '/out:' + out_lib, *parts],
                           check=True)


if __name__ == '__main__':
    main(*sys.argv[1:])
