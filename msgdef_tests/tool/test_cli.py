"""velmsg list/show/encode/decode and its command line: wire bytes against
hand-written vectors, round trips of every type in both flavours, YAML in and
out, and every kind of bad input with its exit code and message."""
import csv
import io
import math
import os
import shutil
import sqlite3
import struct
import subprocess

import pytest
import yaml

import ros2_bag
from velmsg_driver import (EMULATOR, SOURCE_DIR, VELMSG, hex_bytes, needed_libraries, ok, run, shipped_types,
                           yaml_assignments)

MESSAGES, SERVICES = shipped_types()
FLAVOURS = {"c": [], "cpp": ["--cpp"]}


# ---- list and show


def test_list_names_every_type_one_per_line_and_show_takes_each():
    assert sorted(ok("list").text.splitlines()) == sorted(MESSAGES)
    assert sorted(ok("list", "--services").text.splitlines()) == sorted(SERVICES)
    for type_name in MESSAGES + SERVICES:
        ok("show", type_name)
    # the short form names a message, as ros2's tools take it
    assert ok("show", "velmari_messages/Control").text == ok("show", "velmari_messages/msg/Control").text


@pytest.mark.parametrize("flavour", FLAVOURS)
def test_show_expands_the_header_with_offsets(flavour):
    lines = ok("show", "velmari_messages/msg/Control", *FLAVOURS[flavour]).text.splitlines()
    assert lines[0].startswith("# velmari_messages/msg/Control: ")
    fields = [line.split("#")[0].rstrip() for line in lines[1:]]
    assert fields == [
        "std_msgs/msg/Header header", "  builtin_interfaces/msg/Time stamp", "    int32 sec",
        "    uint32 nanosec", "  string frame_id", "bool valid", "float64 throttle",
        "float64 brake", "float64 steer", "int32 mode", "int32 gear"]
    offsets = [int(line.split("# offset ")[1]) for line in lines[1:]]
    assert offsets[:5] == [0, 0, 0, 4, 8]
    top = offsets[5:]
    assert top == sorted(top) and top[2:] == [top[1] + 8, top[1] + 16, top[1] + 24, top[1] + 28]


def test_show_of_a_service_gives_request_and_response():
    text = ok("show", "velmari_messages/srv/AddThreeInts").text
    request, response = text.split("---\n")
    assert [l.split("#")[0].strip() for l in request.splitlines()[1:]] == ["int64 a", "int64 b", "int64 c"]
    assert [l.split("#")[0].strip() for l in response.splitlines()[1:]] == ["int64 num"]


def test_interface_lists_packages_and_prototypes_as_ros2_interface_does():
    listed = ok("interface", "list").text
    assert listed.startswith("Messages:\n    builtin_interfaces/msg/Time\n") and "\nActions:\n" in listed
    assert "    velmari_messages/srv/AddThreeInts\n" in listed.split("Services:\n")[1]
    assert ok("interface", "list", "-s").text == "Services:\n" + "".join(f"    {s}\n" for s in sorted(SERVICES))
    assert "velmari_messages\n" in ok("interface", "packages").text
    assert ok("interface", "package", "velmari_messages").text.split() == [
        "velmari_messages/msg/Control", "velmari_messages/msg/EgoState", "velmari_messages/msg/Num",
        "velmari_messages/srv/AddThreeInts"]
    one_error_line(run("interface", "package", "nope"), 3, "unknown package 'nope'")
    assert ok("interface", "proto", "velmari_messages/Num").text == '"num: 0\n"\n'


def test_interface_show_prints_the_installed_file_as_ros2_does(tmp_path):
    # a prefix of the environment, as a sourced ROS 2 workspace gives one
    shutil.copytree(SOURCE_DIR / "velmari_messages" / "msg", tmp_path / "share/velmari_messages/msg")
    separator = ";" if EMULATOR else os.pathsep  # the tool's platform's
    env = dict(os.environ, AMENT_PREFIX_PATH=f"{tmp_path / 'none'}{separator}{tmp_path}")
    control = (SOURCE_DIR / "velmari_messages/msg/Control.msg").read_text()
    assert ok("interface", "show", "velmari_messages/Control", env=env).text == control
    one_error_line(run("interface", "show", "velmari_messages/srv/AddThreeInts", env=env), 3,
                   "no interface file of velmari_messages/srv/AddThreeInts")


CONTROL_BYTES = hex_bytes(
    "01 00 00 00 02 00 00 00 01 00 00 00 00"  # stamp 1 s 2 ns, frame id "" (length 1, NUL)
    " 01 00 00"                                # valid, gap to 16
    " 00 00 00 00 00 00 e0 3f"                 # throttle 0.5
    " 00 00 00 00 00 00 f0 bf"                 # brake -1
    " 00 00 00 00 00 00 d0 3f"                 # steer 0.25
    " fe ff ff ff 03 00 00 00")                # mode -2, gear 3
CONTROL_ARGS = ["header.stamp.sec=1", "header.stamp.nanosec=2", "valid=true", "throttle=0.5",
                "brake=-1", "steer=0.25", "mode=-2", "gear=3"]
CONTROL_YAML = """header:
  stamp:
    sec: 1
    nanosec: 2
  frame_id: ''
valid: true
throttle: 0.5
brake: -1.0
steer: 0.25
mode: -2
gear: 3
"""

VECTORS = [
    ("velmari_messages/srv/AddThreeInts_Request", ["a=1", "b=2", "c=3"],
     "01 00 00 00 00 00 00 00 02 00 00 00 00 00 00 00 03 00 00 00 00 00 00 00"),
    ("navunit_common_msgs/msg/VelmariEgoCache", ["x=1.0"], "00 00 80 3f" + " 00" * 24),
    ("velmari_messages/msg/Num", ["num=-2"], "fe ff ff ff ff ff ff ff"),
    ("velmari_messages/srv/AddThreeInts_Response", ["num=258"], "02 01 00 00 00 00 00 00"),
    ("velmari_messages/msg/Control", CONTROL_ARGS, CONTROL_BYTES.hex()),
    # frame id "ab" ends the header at 15: one gap byte before x at 16; 72 bytes
    ("velmari_messages/msg/EgoState", ["header.frame_id=ab", "x=1.5"],
     "00 00 00 00 00 00 00 00 03 00 00 00 61 62 00 00 00 00 00 00 00 00 f8 3f" + " 00" * 48),
    # empty frame id: gpsweek at 16, gpstime 24, ..., status at 116, age 118, warning 120; 122 bytes
    ("navunit_common_msgs/msg/Zodizu610", ["gpsweek=-1", "status=255", "warning=-32768"],
     "00 00 00 00 00 00 00 00 01 00 00 00 00 00 00 00 ff ff ff ff" + " 00" * 96 + " ff 00 00 00 00 80"),
]


ENCAPSULATION = b"\x00\x01\x00\x00"


# ---- encode and decode: bytes


@pytest.mark.parametrize("flavour", FLAVOURS)
@pytest.mark.parametrize("type_name,args,expected", VECTORS, ids=[v[0].split("/")[-1] for v in VECTORS])
def test_encode_gives_the_wire_bytes_and_decode_reads_them_back(type_name, args, expected, flavour, tmp_path):
    expected = hex_bytes(expected)
    flags = FLAVOURS[flavour]
    # a serialized message as ROS 2 stores it by default, the body alone with --bare
    assert hex_bytes(ok("encode", type_name, *args, *flags).text) == ENCAPSULATION + expected
    assert hex_bytes(ok("encode", type_name, *args, "--bare", *flags).text) == expected
    out = tmp_path / "message.cdr"
    ok("encode", type_name, *args, "--out", str(out), *flags)
    assert out.read_bytes() == ENCAPSULATION + expected
    # the bytes read back to the same assignments, through either flavour
    for reader in FLAVOURS.values():
        text = ok("decode", type_name, str(out), *reader).text
        assert hex_bytes(ok("encode", type_name, *yaml_assignments(text), "--bare").text) == expected


@pytest.mark.parametrize("flavour", FLAVOURS)
def test_decode_prints_yaml_from_raw_or_hex_bytes(flavour):
    flags = FLAVOURS[flavour]
    control = "velmari_messages/msg/Control"
    assert ok("decode", control, *flags, input=ENCAPSULATION + CONTROL_BYTES).text == CONTROL_YAML
    assert ok("decode", control, "-", "--bare", *flags, input=CONTROL_BYTES).text == CONTROL_YAML
    hex_text = (ENCAPSULATION + CONTROL_BYTES).hex().encode()
    assert ok("decode", control, *flags, input=hex_text).text == CONTROL_YAML      # recognised
    assert ok("decode", control, "--hex", *flags, input=hex_text).text == CONTROL_YAML


def test_encode_output_pipes_into_decode_in_every_form(tmp_path):
    num = "velmari_messages/msg/Num"
    assert ok("decode", num, input=ok("encode", num, "num=7").out).text == "num: 7\n"
    raw = ok("encode", num, "num=7", "--out", "-", "--raw").out
    assert raw == ENCAPSULATION + struct.pack("<q", 7)
    assert ok("decode", num, input=raw).text == "num: 7\n"
    assert ok("encode", num, "num=7", "--out", "-").text == ok("encode", num, "num=7").text
    ok("encode", num, "num=7", "--hex", "--out", str(tmp_path / "num.hex"))
    assert ok("decode", num, str(tmp_path / "num.hex")).text == "num: 7\n"
    assert not (tmp_path / "-").exists()


def test_serialized_messages_may_carry_dds_padding_but_no_other_trailing_bytes():
    # a header with frame id "ab" ends at 15: a Zodizu610 body of 122 - 1 bytes needs 2 bytes of padding
    zodizu = "navunit_common_msgs/msg/Zodizu610"
    message = hex_bytes(ok("encode", zodizu, "header.frame_id=a", "status=1").text)
    assert len(message) % 4 == 2
    expected = ok("decode", zodizu, input=message).text
    assert ok("decode", zodizu, input=message + b"\x00\x00").text == expected
    body = message[4:]
    assert ok("decode", zodizu, "--bare", input=body + b"\x00\x00").text == expected
    one_error_line(run("decode", zodizu, input=message + b"\x00\x01"), 3, "2 bytes follow the message")
    one_error_line(run("decode", zodizu, input=message + bytes(6)), 3, "6 bytes follow the message")


def test_big_endian_encapsulation_is_read():
    big = b"\x00\x00\x00\x00" + (258).to_bytes(8, "big")
    assert ok("decode", "velmari_messages/msg/Num", input=big).text == "num: 258\n"


@pytest.mark.parametrize("flavour", FLAVOURS)
@pytest.mark.parametrize("type_name", MESSAGES)
def test_every_type_round_trips_in_both_flavours(type_name, flavour):
    args = ["--fill"] + (["header.frame_id=map"] if "header" in ok("show", type_name).text else [])
    c_bytes = hex_bytes(ok("encode", type_name, *args).text)
    assert hex_bytes(ok("encode", type_name, *args, *FLAVOURS[flavour]).text) == c_bytes
    text = ok("decode", type_name, *FLAVOURS[flavour], input=c_bytes).text
    assert all(": 0\n" not in line and ": 0.0" not in line for line in text.splitlines())
    # printed YAML is input again, as a whole document or as assignments
    assert hex_bytes(ok("encode", type_name, text, *FLAVOURS[flavour]).text) == c_bytes
    assert hex_bytes(ok("encode", type_name, *yaml_assignments(text)).text) == c_bytes


@pytest.mark.parametrize("flavour", FLAVOURS)
@pytest.mark.parametrize("type_name", MESSAGES)
def test_every_truncation_of_every_type_is_refused(type_name, flavour):
    args = ["--fill"] + (["header.frame_id=map"] if "header" in ok("show", type_name).text else [])
    whole = hex_bytes(ok("encode", type_name, *args).text)
    for length in range(len(whole)):
        result = run("decode", type_name, "--raw", *FLAVOURS[flavour], input=whole[:length])
        assert (result.code, result.out) == (3, b""), f"{length} bytes: {result.err}"


# ---- values: YAML in, YAML out


def test_yaml_mappings_set_fields_as_ros2_topic_pub_takes_them():
    control = "velmari_messages/msg/Control"
    by_yaml = ok("encode", control, "{valid: true, throttle: 0.4, header: {frame_id: map, stamp: {sec: 5}}}").text
    by_path = ok("encode", control, "valid=true", "throttle=0.4", "header.frame_id=map", "header.stamp.sec=5").text
    assert by_yaml == by_path
    # block style, and later values win over earlier ones and over --fill
    mixed = ok("encode", control, "--fill", "valid: false\nthrottle: 0.4\n", "valid=true", "{mode: -2}").text
    text = ok("decode", control, input=mixed.encode()).text
    assert "valid: true\n" in text and "throttle: 0.4\n" in text and "mode: -2\n" in text
    assert ok("encode", control, "{}").text == ok("encode", control).text


def test_values_from_a_file_or_standard_input_come_before_the_arguments(tmp_path):
    control = "velmari_messages/msg/Control"
    values = tmp_path / "control.yaml"
    values.write_text("valid: true\nheader:\n  frame_id: map\nmode: 3\n")
    from_file = ok("encode", control, "--file", str(values), "mode=-2").text
    assert from_file == ok("encode", control, "valid=true", "header.frame_id=map", "mode=-2").text
    assert ok("encode", control, "--file", "-", "mode=-2", input=values.read_bytes()).text == from_file


@pytest.mark.skipif(bool(EMULATOR), reason="a shell pipe of the host's own programs")
def test_decode_piped_into_encode_reproduces_a_10_mb_message_byte_for_byte(tmp_path):
    control = "velmari_messages/msg/Control"
    frame = b"x" * (10 << 20)  # far beyond the command line's limit
    body = bytes(8) + struct.pack("<I", len(frame) + 1) + frame + b"\x00" + b"\x01"  # stamp, frame id, valid
    body += bytes(-len(body) % 8) + struct.pack("<dddii", 0.5, -1, 0.25, -2, 3)
    cdr = tmp_path / "big.cdr"
    cdr.write_bytes(ENCAPSULATION + body)
    copy = tmp_path / "copy.cdr"
    command = f'"$VELMSG" decode {control} {cdr} | "$VELMSG" encode {control} --file - --raw > {copy}'
    subprocess.run(["sh", "-c", command], check=True, env=dict(os.environ, VELMSG=VELMSG), timeout=120)
    assert copy.read_bytes() == cdr.read_bytes()


@pytest.mark.parametrize("value,stored", [
    ("true", True), ("True", True), ("TRUE", True), ("1", True),
    ("false", False), ("False", False), ("FALSE", False), ("0", False)])
def test_bools_take_every_spelling_the_message_lists(value, stored):
    text = ok("decode", "velmari_messages/msg/Control", input=ok("encode", "velmari_messages/msg/Control",
              "valid=" + value).out).text
    assert f"valid: {'true' if stored else 'false'}\n" in text


@pytest.mark.parametrize("value,stored", [("0x10", 16), ("-0x10", -16), ("0o17", 15), ("+7", 7), ("0", 0),
                                          ("-9223372036854775808", -2 ** 63)])
def test_integers_in_decimal_hex_and_octal(value, stored):
    encoded = hex_bytes(ok("encode", "velmari_messages/msg/Num", "--bare", "num=" + value).text)
    assert struct.unpack("<q", encoded)[0] == stored


FLOATS = ["1e-45", "-1e-4", "3.4028235e38", "16777216", "0.1", "-0.0", "1e16", "1e-300", "inf", "-inf", "nan",
          "0.30000001192092896", "123456789"]


@pytest.mark.parametrize("type_name,field,offset,fmt", [
    ("navunit_common_msgs/msg/VelmariEgoCache", "x", 0, "<f"), ("velmari_messages/msg/EgoState", "x", 16, "<d")])
def test_printed_floats_read_back_to_the_same_bits_in_yaml_1_1(type_name, field, offset, fmt):
    # PyYAML is a YAML 1.1 reader: "1e-45" or "16777216" would come back as a string or an integer
    for value in FLOATS:
        body = hex_bytes(ok("encode", type_name, f"{field}={value}", "--bare").text)
        original = body[offset:offset + struct.calcsize(fmt)]
        printed = yaml.safe_load(ok("decode", type_name, "--bare", input=body).text)[field]
        assert isinstance(printed, float), (value, printed)
        if math.isnan(printed):
            assert math.isnan(struct.unpack(fmt, original)[0])
        else:
            assert struct.pack(fmt, printed) == original, (value, printed)


def test_extreme_values_print_as_yaml_1_1_floats():
    args = ["x=3.4028235e38", "y=-.inf", "z=nan", "yaw=1e-45", "pitch=-0.0", "roll=-1e-4", "speed=16777217"]
    text = ok("decode", "navunit_common_msgs/msg/VelmariEgoCache",
              input=ok("encode", "navunit_common_msgs/msg/VelmariEgoCache", *args).out).text
    assert text.splitlines() == ["x: 3.4028235e+38", "y: -.inf", "z: .nan", "yaw: 1.0e-45",
                                 "pitch: -0.0", "roll: -1.0e-04", "speed: 16777216.0"]


@pytest.mark.parametrize("frame_id,quoted", [
    ("it's", "'it''s'"), ("a: b # c", "'a: b # c'"), ("tab\there", '"tab\\x09here"'), ("ü", "'ü'"),
    ("\u2028", '"\\u2028"'), ("\u2029", '"\\u2029"'), ("\ufeff", '"\\ufeff"')])
def test_strings_are_quoted_so_yaml_reads_them_back(frame_id, quoted):
    encoded = ok("encode", "velmari_messages/msg/Control", "header.frame_id=" + frame_id).out
    text = ok("decode", "velmari_messages/msg/Control", input=encoded).text
    assert f"  frame_id: {quoted}\n" in text
    assert yaml.safe_load(text)["header"]["frame_id"] == frame_id


def test_strings_that_are_not_utf8_print_escaped_as_valid_yaml():
    frame = b"a\xffb\xc3"  # a byte no UTF-8 text holds, and a sequence cut short
    data = ENCAPSULATION + bytes(8) + struct.pack("<I", len(frame) + 1) + frame + b"\x00" + b"\x01" + bytes(6) + \
        bytes(32)
    text = ok("decode", "velmari_messages/msg/Control", input=data).text
    assert '  frame_id: "a\\xffb\\xc3"\n' in text
    assert yaml.safe_load(text)["header"]["frame_id"] == "a\xffb\xc3"


# Every class of bytes that is not UTF-8, each beside valid text: one character
# of every sequence length and the code points at the edges of the valid ranges,
# among them the characters YAML wants escaped: controls, NEL, the line and
# paragraph separators, the byte order mark and the non-characters U+FFFE/U+FFFF.
VALID_TEXT = ("é€😀 \u0080\u07ff\u0800\ud7ff\ue000\ufffd\U00010000\U0010ffff "
              "\x7f\x85\x9f\u2028\u2029\ufeff\ufffe\uffff ").encode()
NOT_UTF8 = {
    "overlong 2-byte": b"\xc0\xaf \xc1\xbf",
    "overlong 3-byte": b"\xe0\x80\xaf \xe0\x9f\xbf",
    "overlong 4-byte": b"\xf0\x80\x80\xaf \xf0\x8f\xbf\xbf",
    "surrogates": b"\xed\xa0\x80 \xed\xbf\xbf",
    "past U+10FFFF": b"\xf4\x90\x80\x80 \xf5\x80\x80\x80 \xf8\x88\x80\x80\x80 \xfe \xff",
    "truncated": b"\xc3 \xe2\x82 \xf0\x9f\x98 \xe2\x82",
    "stray continuation": b"\x80 \xbf \xc3\xa9\xa9",
}


@pytest.mark.parametrize("invalid", NOT_UTF8.values(), ids=NOT_UTF8.keys())
def test_every_kind_of_invalid_utf8_reads_back_from_yaml_1_1_and_1_2(invalid):
    header = "std_msgs/msg/Header"
    for frame in (VALID_TEXT + invalid, invalid + VALID_TEXT):
        body = bytes(8) + struct.pack("<I", len(frame) + 1) + frame + b"\x00"
        printed = ok("decode", header, "--bare", "--raw", input=body).out
        # each byte outside valid UTF-8 prints as "\xNN", which YAML reads as U+00NN
        expected = "".join(chr(ord(c) - 0xdc00) if "\udc80" <= c <= "\udcff" else c
                           for c in frame.decode(errors="surrogateescape"))
        assert yaml.safe_load(printed)["frame_id"] == expected, printed  # PyYAML: YAML 1.1
        encoded = hex_bytes(ok("encode", header, printed, "--bare").text)  # yaml-cpp: YAML 1.2
        assert encoded[12:-1] == expected.encode(), printed


@pytest.mark.parametrize("flavour", FLAVOURS)
def test_alignment_gaps_may_hold_anything(flavour):
    gaps = CONTROL_BYTES[:14] + b"\xab\xcd" + CONTROL_BYTES[16:]
    assert ok("decode", "velmari_messages/msg/Control", "--bare", *FLAVOURS[flavour], input=gaps).text == CONTROL_YAML


# ---- bad input: exit 3 and one line that names the problem


BAD_INPUT = [
    (["encode", "velmari_messages/msg/Nope"], "unknown type 'velmari_messages/msg/Nope'"),
    (["encode", "no_such_pkg/msg/Control"], "unknown package 'no_such_pkg'"),
    (["encode", "velmari_messages"], "is not a type name"),
    (["encode", "velmari_messages/Control/x/y"], "is not a type name"),
    (["show", "velmari_messages/msg/Control/"], "is not a type name"),
    (["encode", "velmari_messages/srv/AddThreeInts"], "is a service"),
    (["encode", "velmari_messages/msg/Control", "speed=1"], "unknown field 'speed'"),
    (["encode", "velmari_messages/msg/Control", "header.stamp.year=1"], "unknown field 'header.stamp.year'"),
    (["encode", "velmari_messages/msg/Control", "valid.x=1"], "it has no fields"),
    (["encode", "velmari_messages/msg/Control", "header=x"], "set its fields, e.g. header.stamp.sec="),
    (["encode", "velmari_messages/msg/Control", "valid"], "is neither <field>=<value> nor a YAML mapping"),
    (["encode", "navunit_common_msgs/msg/Zodizu610", "status=256"], "does not fit (range 0 to 255)"),
    (["encode", "navunit_common_msgs/msg/Zodizu610", "nsv1=-32769"], "does not fit"),
    (["encode", "velmari_messages/msg/Control", "mode=2147483648"], "does not fit"),
    (["encode", "velmari_messages/msg/Control", "mode=0x80000000"], "does not fit"),
    (["encode", "velmari_messages/msg/Control", "valid=maybe"], "true, True, TRUE, 1, false, False, FALSE or 0"),
    (["encode", "velmari_messages/msg/Control", "valid=yes"], "is not a bool"),
    (["encode", "velmari_messages/msg/Control", "header.stamp.nanosec=-1"], "does not fit"),
    (["encode", "velmari_messages/msg/Num", "num=1.5"], "is not an integer"),
    (["encode", "velmari_messages/msg/Num", "num="], "is not an integer"),
    (["encode", "velmari_messages/msg/Num", "num=010"], "leading 0"),
    (["encode", "velmari_messages/msg/Num", "num=0x"], "is not an integer"),
    (["encode", "navunit_common_msgs/msg/VelmariEgoCache", "x=1e39"], "does not fit float32"),
    (["encode", "velmari_messages/msg/EgoState", "x=fast"], "is not a number"),
    (["pub", "t", "velmari_messages/msg/Control", "mode=x"], "is not an integer"),
    (["encode", "velmari_messages/msg/Control", "{valid: true"], "is not valid YAML"),
    (["encode", "velmari_messages/msg/Control", "[1, 2]"], "nor a YAML mapping"),
    (["encode", "velmari_messages/msg/Control", "{speed: 1}"], "unknown field 'speed'"),
    (["encode", "velmari_messages/msg/Control", "{header: {frame: x}}"], "unknown field 'header.frame'"),
    (["encode", "velmari_messages/msg/Control", "{valid: {x: 1}}"], "not a message"),
    (["encode", "velmari_messages/msg/Control", "{mode: [1, 2]}"], "is given a list"),
    (["encode", "velmari_messages/msg/Control", "{mode: }"], "is given no value"),
    (["encode", "velmari_messages/msg/Control", "{header: 5}"], "set its fields"),
    # a ROS 2 string ends at its first NUL, as the Python classes refuse one too
    (["encode", "std_msgs/msg/Header", '{frame_id: "a\\0b"}'], "holds a NUL character at position 1"),
]


def one_error_line(result, code, fragment):
    assert result.code == code, result.err
    assert result.out == b""
    lines = result.err.splitlines()
    assert len(lines) == 1 and lines[0].startswith("velmsg: error: ") and fragment in lines[0], result.err


@pytest.mark.parametrize("args,fragment", BAD_INPUT, ids=[" ".join(a[1:]) for a, _ in BAD_INPUT])
def test_bad_types_fields_and_values_give_one_error_line(args, fragment):
    one_error_line(run(*args), 3, fragment)


BAD_BYTES = [
    ("velmari_messages/msg/Control", ["--bare"], CONTROL_BYTES[:-1],
     "the input ends inside field 'gear' (int32 at byte 44): the message needs at least 48 bytes, the input has 47"),
    ("velmari_messages/msg/Control", [], ENCAPSULATION + CONTROL_BYTES[:12],
     "the input ends inside field 'header.frame_id' (string at byte 12, 1 byte long):"),
    ("velmari_messages/msg/Control", ["--bare"], b"hello, world\n", "string at byte 8, 1684828783 bytes long)"),
    ("velmari_messages/msg/Num", ["--bare"], bytes(9), "1 byte follows the message, which ends after 8 bytes"),
    ("velmari_messages/msg/Control", ["--bare"], CONTROL_BYTES[:13] + b"\x02" + CONTROL_BYTES[14:],
     "byte 13 holds 02, but field 'valid' is a bool (00 or 01)"),
    ("velmari_messages/msg/Control", ["--bare"],
     CONTROL_BYTES[:8] + b"\x04\x00\x00\x00abc!\x01" + bytes(7) + CONTROL_BYTES[16:],
     "field 'header.frame_id' (string at byte 8) does not end with a NUL: its last byte, byte 15, holds 21"),
    ("velmari_messages/msg/Control", ["--bare"], CONTROL_BYTES[:8] + bytes(4) + CONTROL_BYTES[12:],
     "has length 0"),
    ("velmari_messages/msg/Control", ["--bare"],
     CONTROL_BYTES[:8] + b"\x05\x00\x00\x00ab\x00c\x00" + b"\x01" + bytes(6) + CONTROL_BYTES[16:],
     "(string at byte 8) holds a NUL at byte 14, before its end"),
    ("velmari_messages/msg/Num", [], b"", "the input is empty"),
    ("velmari_messages/msg/Num", ["--hex"], b"", "the input is empty"),
    ("velmari_messages/msg/Num", ["--hex"], b"01 02 0", "not hex"),
    ("velmari_messages/msg/Num", ["--hex"], b"zz", "not hex"),
    ("velmari_messages/msg/Num", [], b"\x00\x01\x00", "shorter than the 4-byte encapsulation header"),
    ("velmari_messages/msg/Num", [], b"\x00\x03\x00\x00" + bytes(8), "for a bare message body give --bare"),
    ("velmari_messages/msg/Num", [], b"\x07" + bytes(7), "for a bare message body give --bare"),
    ("velmari_messages/msg/Num", [], ENCAPSULATION + bytes(8) + b"\x01", "1 byte follows the message"),
    # hex text with a typo is named as such, not read as bytes without a header
    ("velmari_messages/msg/Num", [], b"00 01 00 00 00 00 00 00 00 00 00 0g",
     "not hex: expected a pair of hex digits at character 34, but character 35 is 'g'"),
    ("velmari_messages/msg/Num", ["--bare"], ENCAPSULATION + bytes(8), "leave out --bare"),
    ("velmari_messages/msg/Num", [], b"00 01 00 00 00", "--raw reads it as raw bytes"),
]


@pytest.mark.parametrize("flavour", FLAVOURS)
@pytest.mark.parametrize("type_name,flags,data,fragment", BAD_BYTES)
def test_bad_bytes_give_one_error_line_that_says_what_and_where(type_name, flags, data, fragment, flavour):
    one_error_line(run("decode", type_name, *flags, *FLAVOURS[flavour], input=data), 3, fragment)


def test_bad_bytes_never_leak_the_serializer_library_s_own_words():
    for _, flags, data, _ in BAD_BYTES:
        err = run("decode", "velmari_messages/msg/Control", *flags, input=data).err
        assert "buffer" not in err and "Fast" not in err, err


def test_unreadable_or_unwritable_files_are_failures(tmp_path):
    one_error_line(run("decode", "velmari_messages/msg/Num", str(tmp_path / "missing")), 1, "cannot open")
    one_error_line(run("decode", "velmari_messages/msg/Num", str(tmp_path)), 1,
                   f"cannot read {tmp_path}: it is a folder, not a file")
    one_error_line(run("encode", "velmari_messages/msg/Num", "--file", str(tmp_path / "missing")), 1, "cannot open")
    one_error_line(run("encode", "velmari_messages/msg/Num", "--out", str(tmp_path / "no" / "file")), 1,
                   "cannot write")


def test_encapsulation_options_are_the_sender_s_and_padding_only_reaches_a_multiple_of_4():
    num = "velmari_messages/msg/Num"
    assert ok("decode", num, input=b"\x00\x01\x12\x34" + (7).to_bytes(8, "little")).text == "num: 7\n"
    aligned = ENCAPSULATION + (7).to_bytes(8, "little")
    one_error_line(run("decode", num, input=aligned + bytes(4)), 3, "4 bytes follow the message")


# ---- the command line: exit 2, help, version


@pytest.mark.parametrize("args,fragment", [
    (["frobnicate"], "unknown command 'frobnicate'"),
    (["encode"], "type is required"),
    (["decode", "velmari_messages/msg/Num", "a", "b"], "velmsg decode --help"),
    (["encode", "velmari_messages/msg/Num", "--bogus"], "--bogus"),
    (["encode", "velmari_messages/msg/Num", "--out"], "--out"),
    (["encode", "velmari_messages/msg/Num", "--hex", "--raw"], "--raw"),
    (["pub", "t", "velmari_messages/msg/Num", "--times", "0"], "--times: 0 is not within 1 to 1000000"),
    (["pub", "t", "velmari_messages/msg/Num", "--rate", "fast"], "--rate: 'fast' is not a number"),
    (["pub", "t", "velmari_messages/msg/Num", "--once", "--times", "2"], "--times"),
    (["pub", "t", "velmari_messages/msg/Num", "--qos-reliability", "maybe"], "--qos-reliability"),
    (["echo", "t", "velmari_messages/msg/Num", "--count", "1.5"], "--count"),
    (["echo", "t", "velmari_messages/msg/Num", "--timeout", "0"], "--timeout: 0 is not within 0.1 to 86400 s"),
    (["echo", "t", "velmari_messages/msg/Num", "--qos-depth", "0"], "--qos-depth: 0 is not within 1 to 100000"),
    # the earlier order and spellings, with the ros2 ones to use instead
    (["pub", "velmari_messages/msg/Num", "/cmd", "num=1"],
     "the topic comes first, then the type, as in ros2 topic pub: velmsg pub /cmd velmari_messages/msg/Num"),
    (["echo", "velmari_messages/msg/Num", "cmd"],
     "the topic comes first, then the type, as in ros2 topic echo: velmsg echo cmd velmari_messages/msg/Num"),
    (["pub", "t", "velmari_messages/msg/Num", "--best-effort"], "--best-effort is now --qos-reliability best_effort"),
    (["echo", "t", "velmari_messages/msg/Num", "--best-effort"], "--best-effort is now --qos-reliability best_effort"),
    (["pub", "t", "velmari_messages/msg/Num", "--count", "3"], "pub --count N is now --times N (or --once)"),
    (["pub", "velmari_messages/Num", "/cmd"],
     "the topic comes first, then the type, as in ros2 topic pub: velmsg pub /cmd velmari_messages/Num"),
    # a family without its command, or with one it lacks, names the choices
    (["interface"], "velmsg interface needs a command, one of: list, packages, package, show, proto"),
    (["topic", "echo"], "topic is required"),
    (["topic", "--once"], "velmsg topic needs a command, one of: pub, echo, list, info, hz, bw, find, type"),
    (["topic", "lst"], "unknown command 'lst' of velmsg topic, which has: pub, echo, list"),
    (["topic", "echo", "t", "--field", "x", "--csv"], "--csv"),
])
def test_wrong_command_lines_exit_2(args, fragment):
    result = run(*args)
    assert result.code == 2, result.err
    assert fragment in result.err and result.err.startswith("velmsg: error: "), result.err


@pytest.mark.parametrize("topic,rule", [
    ("", "it is empty"), ("bad topic", "character 4 is not a letter"), ("cmd/", "ends with '/'"),
    ("a//b", "'//'"), ("1cmd", "starts with a digit"), ("/ns/2x", "starts with a digit ('2x')"),
    ("~/cmd", "velmsg is no node"), ("{node}/x", "velmsg is no node"), ("x" * 248, "longer than 247")])
@pytest.mark.parametrize("command", ["pub", "echo"])
def test_invalid_topic_names_are_refused_with_the_rule_they_break(command, topic, rule):
    result = run(command, topic, "velmari_messages/msg/Num", "--timeout" if command == "echo" else "--wait", "1")
    one_error_line(result, 2, rule)


def test_bare_command_prints_help_and_exits_2():
    result = run()
    assert result.code == 2 and "Subcommands:" in result.err


def test_help_documents_every_command_exit_code_and_the_network():
    text = ok("--help").text
    for command in ["list", "show", "encode", "decode", "pub", "echo", "topic", "interface", "bag"]:
        assert f"\n  {command} " in text
        sub = ok(command, "--help").text
        assert f"Usage: velmsg {command}" in sub
        assert f"velmsg {command}" in sub.split("\nExample:\n")[1]
    for code in range(5):
        assert f"\n  {code}  " in text
    assert "ROS_LOCALHOST_ONLY=1 or unset" in text and "127.0.0.1" in text


def test_version():
    assert ok("--version").text.startswith("velmsg ")


def test_the_tool_links_no_library_of_the_packages():
    needed = needed_libraries()
    # <package>__<kind> libraries and the type support runtimes are reached by dlopen only
    assert needed and not [name for name in needed if "__" in name or "rosidl_typesupport" in name]


# ---- bags: read as others write them (ros2_bag.py follows the format notes)

bags = pytest.mark.skipif(bool(EMULATOR), reason="the Windows builds have no SQLite, so no bag commands")
START = 1585866235112411371  # Apr  2 2020 22:23:55.112 UTC
BAG_TOPICS = [ros2_bag.Topic("/cmd", "velmari_messages/msg/Control"),
              ros2_bag.Topic("/num", "velmari_messages/msg/Num", [ros2_bag.qos_profile(), ros2_bag.qos_profile(2)])]
NUM_7 = ENCAPSULATION + struct.pack("<q", 7)
# 4.005 s: Galactic's ros2 bag info prints the milliseconds without zero padding
BAG_MESSAGES = [(0, START, ENCAPSULATION + CONTROL_BYTES), (1, START + 1000, NUM_7),
                (0, START + 4005000000, ENCAPSULATION + CONTROL_BYTES)]
UTC = dict(os.environ, TZ="UTC")


def bag_info_text(folder):
    size = sum(f.stat().st_size for f in folder.glob("*.db3"))
    return f"""
Files:             {folder.name}_0.db3
                   {folder.name}_1.db3
Bag size:          {size / 1024:.1f} KiB
Storage id:        sqlite3
Duration:          4.5s
Start:             Apr  2 2020 22:23:55.112 (1585866235.112)
End:               Apr  2 2020 22:23:59.117 (1585866239.117)
Messages:          3
Topic information: Topic: /cmd | Type: velmari_messages/msg/Control | Count: 2 | Serialization Format: cdr
                   Topic: /num | Type: velmari_messages/msg/Num | Count: 1 | Serialization Format: cdr

"""


@bags
@pytest.mark.parametrize("layout", ["galactic", "humble", "jazzy"])
def test_bags_of_every_release_read_in_info_echo_and_csv(layout, tmp_path):
    folder = tmp_path / layout
    ros2_bag.write_bag(folder, BAG_TOPICS, BAG_MESSAGES, layout, files=2)
    assert ok("bag", "info", str(folder), env=UTC).text == bag_info_text(folder)
    assert ok("bag", "echo", str(folder)).text == (
        f"# /cmd 1585866235.112411371\n{CONTROL_YAML}---\n# /num 1585866235.112412371\nnum: 7\n---\n"
        f"# /cmd 1585866239.117411371\n{CONTROL_YAML}---\n")
    rows = ok("bag", "echo", str(folder), "--topic", "cmd", "--csv", "--cpp").text.splitlines()
    assert rows[0] == "receive_time,header.stamp.sec,header.stamp.nanosec,header.frame_id,valid,throttle,brake," \
        "steer,mode,gear"
    assert rows[1:] == [f"{START},1,2,,true,0.5,-1.0,0.25,-2,3", f"{START + 4005000000},1,2,,true,0.5,-1.0,0.25,-2,3"]
    # without metadata.yaml (a recording killed hard), the files tell the same
    (folder / "metadata.yaml").unlink()
    recovered = ok("bag", "info", str(folder), env=UTC)
    assert recovered.text == bag_info_text(folder) and "has no metadata.yaml" in recovered.err


@bags
def test_bag_csv_quotes_text_and_spells_special_floats_as_pandas_reads_them(tmp_path):
    frame = 'a,"b"\nc'.encode()
    control = bytes(8) + struct.pack("<I", len(frame) + 1) + frame + b"\x00\x01" + bytes(-(len(frame) + 14) % 8) + \
        struct.pack("<dddii", math.nan, -math.inf, 1e-45, 0, 0)
    ros2_bag.write_bag(tmp_path / "b", BAG_TOPICS[:1], [(0, START, ENCAPSULATION + control)])
    [header, row] = list(csv.reader(io.StringIO(ok("bag", "echo", str(tmp_path / "b"), "--csv").text)))
    assert dict(zip(header, row)) == {"receive_time": str(START), "header.stamp.sec": "0", "header.stamp.nanosec": "0",
                                      "header.frame_id": 'a,"b"\nc', "valid": "true", "throttle": "nan",
                                      "brake": "-inf", "steer": "1.0e-45", "mode": "0", "gear": "0"}


def replace_in(file, old, new):
    file.write_text(file.read_text().replace(old, new, 1))


# (what is done to a good bag, the command, exit code, what the one error line says)
BAD_BAGS = [
    (lambda b: b.joinpath("b_1.db3").write_bytes(b.joinpath("b_1.db3").read_bytes()[:5000]), "info", 3,
     "b_1.db3: database disk image is malformed (the file is truncated or damaged)"),
    (lambda b: b.joinpath("b_0.db3").write_bytes(b"SQLite format 2\x00" * 300), "echo", 3,
     "file is not a database (the file is truncated or damaged)"),
    (lambda b: b.joinpath("b_1.db3").unlink(), "play", 3, "names b_1.db3, which is not in"),
    (lambda b: b.joinpath("metadata.yaml").write_text("rosbag2_bagfile_information: {version: 4"), "info", 3,
     "metadata.yaml is not valid bag metadata"),
    (lambda b: replace_in(b / "metadata.yaml", "\n  message_count: 3\n", "\n"), "info", 3,
     "has no rosbag2_bagfile_information.message_count"),
    (lambda b: replace_in(b / "metadata.yaml", "version: 4", "version: 3"), "info", 3,
     "has version 3; velmsg reads versions 4 to 9"),
    (lambda b: replace_in(b / "metadata.yaml", "sqlite3", "mcap"), "echo", 3, "names storage 'mcap'"),
    (lambda b: [f.unlink() for f in b.iterdir()] + [b.joinpath("b_0.mcap").write_bytes(b"\x89MCAP0\r\n")], "info",
     3, "is a bag of storage mcap: velmsg reads bags of storage sqlite3 (.db3) only"),
    (lambda b: [f.unlink() for f in b.iterdir()], "info", 3, "is no bag: it has no metadata.yaml and no .db3 file"),
    (lambda b: replace_in(b / "metadata.yaml", "compression_format: ''", "compression_format: zstd"), "info", 3,
     "the bag is compressed (zstd"),
    (lambda b: replace_in(b / "metadata.yaml", "    message_count: 2", "    message_count: 1") or
     replace_in(b / "metadata.yaml", "message_count: 3", "message_count: 2"), "info", 3,
     "the counts disagree: metadata.yaml of {bag} counts 1 message on /cmd, its files hold 2"),
    (lambda b: replace_in(b / "metadata.yaml", "message_count: 3", "message_count: 4"), "play", 3,
     "counts 4 messages, but its topics' counts add up to 3"),
    (lambda b: sqlite3.connect(b / "b_1.db3").executescript(
        "UPDATE messages SET data = x'00010000ff' WHERE topic_id = 10"), "echo", 3,
     "message 2 of /cmd (received at 1585866239.117411371) does not decode as velmari_messages/msg/Control: "
     "the bytes do not form"),
    (lambda b: replace_in(b / "metadata.yaml", "velmari_messages/msg/Control", "nav_msgs/msg/Odometry"), "echo", 3,
     "unknown package 'nav_msgs'"),
    (lambda b: sqlite3.connect(b / "b_1.db3").executescript("DROP TABLE topics"), "info", 3, "no such table: topics"),
    (None, "echo --topic /odom", 3, "the bag has no topic /odom (it has: /cmd, /num)"),
    (None, "echo --csv", 2, "--csv prints one topic: give it with --topic (the bag has: /cmd, /num)"),
    (lambda b: b.joinpath("metadata.yaml").unlink(), "play --topics bad//name", 2, "'bad//name' is not a valid ROS 2"),
]


@bags
@pytest.mark.parametrize("damage,command,code,fragment", BAD_BAGS, ids=[f"{i}-{c[2]}" for i, c in enumerate(BAD_BAGS)])
def test_bad_bags_give_one_error_line_and_never_a_crash(damage, command, code, fragment, tmp_path):
    bag = tmp_path / "b"
    ros2_bag.write_bag(bag, BAG_TOPICS, BAG_MESSAGES, files=2)
    if damage:
        damage(bag)
    result = run("bag", *command.split()[:1], str(bag), *command.split()[1:], "--wait", "0") \
        if command.startswith("play") else run("bag", *command.split()[:1], str(bag), *command.split()[1:])
    assert result.code == code, result.err
    assert result.out == b"" or command == "echo"  # echo prints the messages before a bad one
    assert fragment.format(bag=bag) in result.err.splitlines()[-1] and "velmsg: error: " in result.err, result.err


@bags
def test_a_bag_of_types_that_are_not_installed_still_shows_its_info(tmp_path):
    topics = [ros2_bag.Topic("/odom", "nav_msgs/msg/Odometry", [])]
    ros2_bag.write_bag(tmp_path / "b", topics, [(0, START, b"\x00\x01\x00\x00\x01")])
    assert "Topic: /odom | Type: nav_msgs/msg/Odometry | Count: 1 |" in ok("bag", "info", str(tmp_path / "b")).text


@bags
@pytest.mark.parametrize("args,fragment", [
    (["record", "/cmd", "-o", "{tmp}"], "Output folder '{tmp}' already exists."),
    (["record"], "give the topics to record, or -a for every topic"),
    (["record", "-a", "/cmd"], "give either topics or -a, not both"),
    (["record", "-a", "-b", "1000"], "--max-bag-size must be 0 (no splitting) or at least 86016 bytes"),
    (["record", "-a", "-s", "mcap"], "storage 'mcap' is not one velmsg writes"),
    (["record", "bad topic"], "is not a valid ROS 2 topic name"),
    (["play"], "bag is required"),
    (["play", "x", "-r", "0"], "--rate"),
    (["frobnicate"], "unknown command 'frobnicate' of velmsg bag, which has: record, play, info, echo"),
])
def test_wrong_bag_command_lines_exit_2(args, fragment, tmp_path):
    result = run("bag", *[a.format(tmp=tmp_path) for a in args])
    assert result.code == 2 and fragment.format(tmp=tmp_path) in result.err, result.err
