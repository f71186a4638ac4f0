"""Runs the velmsg tool for the tests and knows the packages' types from their interface files."""
import os
import pathlib
import re
import json
import shlex
import subprocess
import sys

VELMSG = os.environ.get("VELMSG", "velmsg")
# A Windows build: velmsg runs under this emulator (Wine) and objdump reads its imports.
EMULATOR = shlex.split(os.environ.get("VELMSG_EMULATOR", ""))
OBJDUMP = os.environ.get("VELMSG_OBJDUMP")
SOURCE_DIR = pathlib.Path(os.environ.get("VELMSG_SOURCE_DIR", pathlib.Path(__file__).parents[2]))


class Result:
    def __init__(self, completed):
        self.code = completed.returncode
        self.out = completed.stdout
        self.err = completed.stderr.decode(errors="replace")

    @property
    def text(self):
        return self.out.decode()


# Wine's Linux side now and then dies in glibc's exit handling after the
# Windows program has ended ("Inconsistency detected by ld.so", status 127),
# or ends a run with status 1 and no output at all, which velmsg never does
# (its status 1 always comes with its message): faults of the emulator, not
# of the run, which is then run again once.
WINE_EXIT_FAULT = b"Inconsistency detected by ld.so"


def emulator_fault(completed):
    if completed.returncode == 127:
        return WINE_EXIT_FAULT in completed.stderr
    return completed.returncode == 1 and not completed.stdout and not completed.stderr


def run(*args, input=None, env=None, timeout=60):
    command = [*EMULATOR, VELMSG, *args]
    completed = subprocess.run(command, input=input, capture_output=True, env=env, timeout=timeout)
    if EMULATOR and emulator_fault(completed):
        completed = subprocess.run(command, input=input, capture_output=True, env=env, timeout=timeout)
    return Result(completed)


def ok(*args, **kwargs):
    result = run(*args, **kwargs)
    assert result.code == 0, f"velmsg {' '.join(args)}: exit {result.code}: {result.err}"
    return result


def shipped_types():
    """(message types, services) as <package>/<folder>/<Type>, from the .msg and .srv files."""
    messages, services = [], []
    packages = [p for p in SOURCE_DIR.iterdir() if (p / "msg").is_dir()]
    # the packages the product's types nest, which the tool reaches as well
    packages += [SOURCE_DIR / "stand_ins" / name for name in ("builtin_interfaces", "std_msgs")]
    for package in sorted(packages):
        for msg in sorted(package.glob("msg/*.msg")):
            messages.append(f"{package.name}/msg/{msg.stem}")
        for srv in sorted(package.glob("srv/*.srv")):
            services.append(f"{package.name}/srv/{srv.stem}")
            messages += [f"{package.name}/srv/{srv.stem}_Request", f"{package.name}/srv/{srv.stem}_Response"]
    return messages, services


def needed_libraries():
    """The libraries the tool's executable names for the loader to bind at start."""
    if OBJDUMP:
        text = subprocess.run([OBJDUMP, "-p", VELMSG], capture_output=True, text=True, check=True).stdout
        return re.findall(r"DLL Name: (\S+)", text)
    text = subprocess.run(["readelf", "-d", VELMSG], capture_output=True, text=True, check=True).stdout
    return re.findall(r"\(NEEDED\).*\[(.*)\]", text)


def hex_bytes(text):
    return bytes.fromhex(text.replace("\n", " "))


def yaml_assignments(yaml_text):
    """The field=value arguments that set every field to what a YAML message says."""
    assignments, path = [], []
    for line in yaml_text.splitlines():
        depth = (len(line) - len(line.lstrip(" "))) // 2
        key, _, value = line.strip().partition(":")
        del path[depth:]
        value = value.strip()
        if not value:
            path.append(key)
            continue
        if value.startswith("'"):
            value = value[1:-1].replace("''", "'")
        assignments.append(".".join(path + [key]) + "=" + value)
    return assignments


# Decodes hex lines with the packages' Python classes, in a Python of its own:
# their extension modules may want the sanitizer runtimes preloaded.
PYTHON_DECODE = """
import importlib, json, sys
from msgdef_py.serialization import deserialize_message
def plain(m):
    fields = getattr(type(m), 'get_fields_and_field_types', None)
    return {f: plain(getattr(m, f)) for f in fields()} if fields else m
package, folder, name = sys.argv[1].split('/')
cls = getattr(importlib.import_module(package + '.' + folder), name)
for line in sys.stdin:
    print(json.dumps(plain(deserialize_message(bytes.fromhex(line), cls))))
"""


def python_messages(type_name, blobs):
    """The messages as the Python classes read them: nested dicts of field values."""
    env = dict(os.environ)
    if os.environ.get("VELMSG_PYTHON_PRELOAD"):
        env.update(LD_PRELOAD=os.environ["VELMSG_PYTHON_PRELOAD"], ASAN_OPTIONS="detect_leaks=0")
    out = subprocess.run([sys.executable, "-c", PYTHON_DECODE, type_name], input="".join(b.hex() + "\n" for b in blobs),
                         capture_output=True, text=True, check=True, env=env).stdout
    return [json.loads(line) for line in out.splitlines()]
