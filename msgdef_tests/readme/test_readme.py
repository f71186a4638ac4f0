"""README.md, velmari_messages/README.md and velmsg/README.md as a new user
reads them: the files (C, C++, CMake, Python) are written out, the shell blocks
run in order in one shell against a fresh install of this build, with nothing
on PATH but the system's folders until the README puts install/bin there. Over 127.0.0.1 only (ROS_LOCALHOST_ONLY unset, as the
README says), on a domain of its own."""
import os
import pathlib
import random
import re
import shutil
import subprocess

import pytest

SOURCE = pathlib.Path(os.environ["MSGDEF_SOURCE_DIR"])
BUILD = pathlib.Path(os.environ["MSGDEF_BUILD_DIR"])
WORK = pathlib.Path(os.environ["MSGDEF_README_WORK"])
# The pages whose commands run, in this order, in one shell.
PAGES = ["README.md", "velmari_messages/README.md", "velmsg/README.md"]
README = "".join((SOURCE / page).read_text() for page in PAGES)

# ```lang ... ``` blocks; a file's block names it on its first line (/* x */, // x, # x)
BLOCKS = re.findall(r"^```(\w+)\n(.*?)^```$", README, re.S | re.M)
FILE_NAME = re.compile(r"^(?:/\*|//|#) (examples/[\w.]+)")


def file_blocks():
    files = {}
    for lang, text in BLOCKS:
        first = text.splitlines()[0]
        match = FILE_NAME.match(first)
        if lang != "sh" and match:
            files[match.group(1).rstrip(":")] = text
    return files


@pytest.fixture(scope="module")
def session():
    shutil.rmtree(WORK, ignore_errors=True)
    WORK.mkdir(parents=True)
    # what "cmake --install build --prefix install" gives
    subprocess.run(["cmake", "--install", str(BUILD), "--prefix", str(WORK / "install")], check=True,
                   capture_output=True)
    shutil.copytree(SOURCE / "examples", WORK / "examples")
    script = "set -euo pipefail\n" + "".join(
        f"echo '=== block {i}'\n{text}" for i, (lang, text) in enumerate(BLOCKS) if lang == "sh")
    env = {"HOME": os.environ.get("HOME", "/root"), "PATH": "/usr/bin:/bin", "LANG": "C.UTF-8",
           "ROS_DOMAIN_ID": str(random.randint(100, 232)), "PYTHONDONTWRITEBYTECODE": "1",
           "ASAN_OPTIONS": "new_delete_type_mismatch=0:detect_leaks=0"}
    if os.environ.get("MSGDEF_SANITIZER_FLAGS"):
        # CMake takes LDFLAGS as the examples' link flags; python3 gets the runtimes preloaded
        env["LDFLAGS"] = os.environ["MSGDEF_SANITIZER_FLAGS"]
        shim = WORK / "shim"
        shim.mkdir()
        (shim / "python3").write_text(
            f"#!/bin/sh\nLD_PRELOAD={os.environ['MSGDEF_SANITIZER_PRELOAD']} exec /usr/bin/python3 \"$@\"\n")
        (shim / "python3").chmod(0o755)
        env["PATH"] = f"{shim}:{env['PATH']}"
    result = subprocess.run(["bash", "-c", script], cwd=WORK, env=env, capture_output=True, text=True,
                            timeout=500)
    assert result.returncode == 0, result.stdout + result.stderr
    return result.stdout


def test_every_example_file_and_shell_block_is_there():
    # the README quotes the files of examples/ as they are
    assert sorted(file_blocks()) == ["examples/CMakeLists.txt", "examples/control.c", "examples/control.cpp",
                                     "examples/control.py"]
    for name, text in file_blocks().items():
        assert (SOURCE / name).read_text() == text, f"the README's {name} is not the file"
    assert len([lang for lang, _ in BLOCKS if lang == "sh"]) >= 4
    # the only blocks that are not run are files the shell blocks use
    assert {lang for lang, _ in BLOCKS} <= {"sh", "c", "cpp", "cmake", "python"}


def test_c_and_cpp_examples_build_against_the_install_and_run(session):
    assert "base_link: throttle 0.4, copy equal\n" in session
    assert "bytes in build/control.cdr, the same from the C and the C++ structure\n" in session


def test_the_commands_write_only_under_build(session):
    # run in a clone, they would leave nothing that git does not ignore (/build*/, /install*/)
    made = sorted(p.name for p in WORK.iterdir() if p.name not in ("build", "install", "examples", "shim"))
    assert made == [], made
    assert sorted(p.name for p in (WORK / "examples").iterdir()) == sorted(
        p.name for p in (SOURCE / "examples").iterdir())


def test_bytes_of_cpp_python_and_velmsg_agree(session):
    assert "bytes, as the C++ example wrote them\n" in session
    assert "  frame_id: 'base_link'\nvalid: true\nthrottle: 0.4\n" in session


def test_velmsg_examples_run_as_written(session):
    velmsg = session
    assert "velmari_messages/msg/Control\n" in velmsg and "velmari_messages/srv/AddThreeInts\n" in velmsg
    assert "header:\n  stamp:\n    sec: 0\n    nanosec: 0\n  frame_id: ''\nvalid: true\n" in velmsg
    assert "num: 7\n" in velmsg and "yaw: 1.0e-45\n" in velmsg
    assert "published velmari_messages/msg/Control #1 on /cmd\n" in velmsg
    assert velmsg.count("throttle: 0.4\n") == 2  # decoded from the C++ example, then echoed
    assert "Topic: /cmd | Type: velmari_messages/msg/Control | Count: 3 |" in velmsg and "\n3\n" in velmsg  # bags


def test_the_hand_build_commands_name_debian_s_python_and_the_install_prefix():
    assert "    cmake -S standalone -B build -DPython3_EXECUTABLE=/usr/bin/python3\n" in README
    assert "    cmake --install build --prefix install\n" in README
    run_script = (SOURCE / "scripts" / "run").read_text()
    for mode in re.findall(r"^    scripts/run (\w+)$", README, re.M):
        assert f"  {mode})" in run_script


def test_a_mistyped_mode_is_refused_before_anything_is_installed_or_built():
    result = subprocess.run([str(SOURCE / "scripts" / "run"), "tset"], capture_output=True, text=True, timeout=60)
    assert (result.returncode, result.stdout) == (2, "")
    [line] = result.stderr.splitlines()
    assert line.startswith("usage: " + str(SOURCE / "scripts" / "run") + " demo|test|")
    assert line.endswith("('tset' is none of these)")
