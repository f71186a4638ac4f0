"""Compares the names a shared library exports with the exact expected list."""
import subprocess
import sys


def exported(path):
    out = subprocess.run(['nm', '-D', '--defined-only', '-C', path],
                         check=True, capture_output=True, text=True).stdout
    names = set()
    for line in out.splitlines():
        parts = line.split(None, 2)
        if len(parts) == 3:
            names.add(parts[2])
    return names


def main(library, expected_file):
    with open(expected_file) as f:
        expected = {l.strip() for l in f if l.strip() and not l.startswith('#')}
    actual = exported(library)
    missing, extra = sorted(expected - actual), sorted(actual - expected)
    for name in missing:
        print('missing:', name)
    for name in extra:
        print('unexpected:', name)
    print(f'{len(actual)} exported, {len(expected)} expected')
    return 1 if missing or extra else 0


if __name__ == '__main__':
    sys.exit(main(*sys.argv[1:]))
