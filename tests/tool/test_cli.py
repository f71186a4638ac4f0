"""velmsg list/show/encode/decode: wire bytes against hand-written vectors, round
trips of every type in both flavours, YAML, and every kind of bad input."""

import pytest

from velmsg_driver import hex_bytes, needed_libraries, ok, run, shipped_types, yaml_assignments

MESSAGES, SERVICES = shipped_types()
FLAVOURS = {"c": [], "cpp": ["--cpp"]}


def test_list_names_every_shipped_type():
    listed = ok("list").text.splitlines()
    assert sorted(l for l in listed if "(service)" not in l) == sorted(MESSAGES)
    assert sorted(l.split()[0] for l in listed if "(service)" in l) == sorted(SERVICES)


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


@pytest.mark.parametrize("flavour", FLAVOURS)
@pytest.mark.parametrize("type_name,args,expected", VECTORS, ids=[v[0].split("/")[-1] for v in VECTORS])
def test_encode_gives_the_wire_bytes_and_decode_reads_them_back(type_name, args, expected, flavour, tmp_path):
    expected = hex_bytes(expected)
    encoded = hex_bytes(ok("encode", type_name, *args, *FLAVOURS[flavour]).text)
    assert encoded == expected
    assert hex_bytes(ok("encode", type_name, *args, "--encapsulation", *FLAVOURS[flavour]).text) == \
        b"\x00\x01\x00\x00" + expected
    out = tmp_path / "message.cdr"
    ok("encode", type_name, *args, "--out", str(out), *FLAVOURS[flavour])
    assert out.read_bytes() == expected
    # the bytes read back to the same assignments, through either flavour
    for reader in FLAVOURS.values():
        yaml = ok("decode", type_name, str(out), *reader).text
        again = hex_bytes(ok("encode", type_name, *yaml_assignments(yaml)).text)
        assert again == expected


@pytest.mark.parametrize("flavour", FLAVOURS)
def test_decode_prints_yaml(flavour):
    assert ok("decode", "velmari_messages/msg/Control", *FLAVOURS[flavour], input=CONTROL_BYTES).text == CONTROL_YAML
    assert ok("decode", "velmari_messages/msg/Control", "--hex", *FLAVOURS[flavour],
              input=CONTROL_BYTES.hex().encode()).text == CONTROL_YAML
    assert ok("decode", "velmari_messages/msg/Control", "--encapsulation", "-", *FLAVOURS[flavour],
              input=b"\x00\x01\x00\x00" + CONTROL_BYTES).text == CONTROL_YAML


@pytest.mark.parametrize("frame_id,quoted", [
    ("it's", "'it''s'"), ("a: b # c", "'a: b # c'"), ("tab\there", '"tab\\x09here"'), ("ü", "'ü'")])
def test_strings_are_quoted_so_yaml_reads_them_back(frame_id, quoted):
    encoded = ok("encode", "velmari_messages/msg/Control", "header.frame_id=" + frame_id).text
    yaml = ok("decode", "velmari_messages/msg/Control", "--hex", input=encoded.encode()).text
    assert f"  frame_id: {quoted}\n" in yaml


@pytest.mark.parametrize("type_name", MESSAGES)
def test_every_type_round_trips_in_both_flavours(type_name):
    args = ["--fill"] + (["header.frame_id=map"] if "header" in ok("show", type_name).text else [])
    c_bytes = hex_bytes(ok("encode", type_name, *args).text)
    assert hex_bytes(ok("encode", type_name, *args, "--cpp").text) == c_bytes
    yamls = [ok("decode", type_name, *flags, input=c_bytes).text for flags in FLAVOURS.values()]
    assert yamls[0] == yamls[1]
    assert all(": 0\n" not in line and ": 0.0" not in line for line in yamls[0].splitlines())
    for flags in FLAVOURS.values():
        assert hex_bytes(ok("encode", type_name, *yaml_assignments(yamls[0]), *flags).text) == c_bytes


def test_extreme_values_survive_the_round_trip():
    args = ["x=3.4028235e38", "y=-.inf", "z=nan", "yaw=1e-45", "pitch=-0.0", "roll=0.1", "speed=16777217"]
    yaml = ok("decode", "navunit_common_msgs/msg/VelmariEgoCache", "--hex",
              input=ok("encode", "navunit_common_msgs/msg/VelmariEgoCache", *args).out).text
    assert yaml.splitlines() == ["x: 3.4028235e+38", "y: -.inf", "z: .nan", "yaw: 1e-45",
                                 "pitch: -0.0", "roll: 0.1", "speed: 16777216.0"]


BAD_INPUT = [
    (["encode", "velmari_messages/msg/Nope"], "unknown type 'velmari_messages/msg/Nope'"),
    (["encode", "no_such_pkg/msg/Control"], "unknown package 'no_such_pkg'"),
    (["encode", "velmari_messages/Control"], "is not a type name"),
    (["show", "velmari_messages/msg/Control/"], "is not a type name"),
    (["encode", "velmari_messages/srv/AddThreeInts"], "is a service"),
    (["encode", "velmari_messages/msg/Control", "speed=1"], "unknown field 'speed'"),
    (["encode", "velmari_messages/msg/Control", "header.stamp.year=1"], "unknown field 'header.stamp.year'"),
    (["encode", "velmari_messages/msg/Control", "valid.x=1"], "it has no fields"),
    (["encode", "velmari_messages/msg/Control", "header=x"], "set its fields, e.g. header.stamp.sec="),
    (["encode", "velmari_messages/msg/Control", "valid"], "is not a field assignment"),
    (["encode", "navunit_common_msgs/msg/Zodizu610", "status=256"], "does not fit (range 0 to 255)"),
    (["encode", "navunit_common_msgs/msg/Zodizu610", "nsv1=-32769"], "does not fit"),
    (["encode", "velmari_messages/msg/Control", "mode=2147483648"], "does not fit"),
    (["encode", "velmari_messages/msg/Control", "valid=maybe"], "is not a bool"),
    (["encode", "velmari_messages/msg/Control", "header.stamp.nanosec=-1"], "does not fit"),
    (["encode", "velmari_messages/msg/Num", "num=1.5"], "is not an integer"),
    (["encode", "velmari_messages/msg/Num", "num="], "is not an integer"),
    (["encode", "navunit_common_msgs/msg/VelmariEgoCache", "x=1e39"], "does not fit float32"),
    (["encode", "velmari_messages/msg/EgoState", "x=fast"], "is not a number"),
    (["pub", "velmari_messages/msg/Control", "t", "mode=x"], "is not an integer"),
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
    ("velmari_messages/msg/Control", [], CONTROL_BYTES[:-1], "do not form"),       # truncated
    ("velmari_messages/msg/Control", [], CONTROL_BYTES[:12], "do not form"),       # inside the frame id
    ("velmari_messages/msg/Control", [], b"hello, world\n", "do not form"),        # garbage length
    ("velmari_messages/msg/Num", [], bytes(9), "1 bytes follow the message"),      # trailing byte
    ("velmari_messages/msg/Control", [], CONTROL_BYTES[:13] + b"\x02" + CONTROL_BYTES[14:],
     "byte 13 holds 02"),                                                      # bool that is not 0 or 1
    ("velmari_messages/msg/Control", [], CONTROL_BYTES[:8] + b"\x04\x00\x00\x00abc!\x01" + bytes(7) + CONTROL_BYTES[16:],
     "byte 8 holds 04"),                                                       # frame id without its NUL
    ("velmari_messages/msg/Num", [], b"", "the input is empty"),
    ("velmari_messages/msg/Num", ["--hex"], b"", "the input is empty"),
    ("velmari_messages/msg/Num", ["--hex"], b"01 02 0", "not hex"),
    ("velmari_messages/msg/Num", ["--hex"], b"zz", "not hex"),
    ("velmari_messages/msg/Num", ["--encapsulation"], b"\x00\x01\x00", "shorter than the encapsulation"),
    ("velmari_messages/msg/Num", ["--encapsulation"], b"\x00\x03\x00\x00" + bytes(8), "not plain CDR"),
    ("velmari_messages/msg/Num", ["--encapsulation"], b"\x00\x01\x00\x00" + bytes(8) + b"\x01", "follow the message"),
]


@pytest.mark.parametrize("flavour", FLAVOURS)
@pytest.mark.parametrize("type_name,flags,data,fragment", BAD_BYTES)
def test_bad_bytes_give_one_error_line_and_no_yaml(type_name, flags, data, fragment, flavour):
    one_error_line(run("decode", type_name, *flags, *FLAVOURS[flavour], input=data), 3, fragment)


@pytest.mark.parametrize("flavour", FLAVOURS)
def test_alignment_gaps_may_hold_anything_and_strings_any_byte(flavour):
    gaps = CONTROL_BYTES[:14] + b"\xab\xcd" + CONTROL_BYTES[16:]
    assert ok("decode", "velmari_messages/msg/Control", *FLAVOURS[flavour], input=gaps).text == CONTROL_YAML
    nul_inside = CONTROL_BYTES[:8] + b"\x05\x00\x00\x00ab\x00c\x00" + b"\x01" + bytes(6) + CONTROL_BYTES[16:]
    yaml = ok("decode", "velmari_messages/msg/Control", *FLAVOURS[flavour], input=nul_inside).text
    assert '  frame_id: "ab\\x00c"\n' in yaml


@pytest.mark.parametrize("flavour", FLAVOURS)
@pytest.mark.parametrize("type_name", MESSAGES)
def test_every_truncation_of_every_type_is_refused(type_name, flavour):
    args = ["--fill"] + (["header.frame_id=map"] if "header" in ok("show", type_name).text else [])
    whole = hex_bytes(ok("encode", type_name, *args).text)
    for length in range(len(whole)):
        result = run("decode", type_name, *FLAVOURS[flavour], input=whole[:length])
        assert (result.code, result.out) == (3, b""), f"{length} bytes: {result.err}"


def test_encapsulated_input_may_carry_zero_padding():
    padded = b"\x00\x01\x00\x00" + CONTROL_BYTES + bytes(0)
    assert ok("decode", "velmari_messages/msg/Control", "--encapsulation", input=padded).text == CONTROL_YAML
    frame = hex_bytes(ok("encode", "velmari_messages/msg/Control", "header.frame_id=abc", "--encapsulation").text)
    assert len(frame) % 4 == 0 or ok("decode", "velmari_messages/msg/Control", "--encapsulation",
                                     input=frame + bytes(4 - len(frame) % 4))


def test_big_endian_encapsulation_is_read():
    big = b"\x00\x00\x00\x00" + (258).to_bytes(8, "big")
    assert ok("decode", "velmari_messages/msg/Num", "--encapsulation", input=big).text == "num: 258\n"


@pytest.mark.parametrize("args,fragment", [
    ([], "usage: velmsg"),
    (["frobnicate"], "unknown command"),
    (["encode"], "usage: velmsg encode"),
    (["decode", "velmari_messages/msg/Num", "a", "b"], "usage: velmsg decode"),
    (["encode", "velmari_messages/msg/Num", "--bogus"], "has no option --bogus"),
    (["encode", "velmari_messages/msg/Num", "--out"], "--out needs a value"),
    (["pub", "velmari_messages/msg/Num", "t", "--count", "0"], "--count takes a number"),
    (["pub", "velmari_messages/msg/Num", "t", "--rate", "fast"], "--rate takes a number"),
    (["echo", "velmari_messages/msg/Num", "t", "--count", "1.5"], "--count takes a whole number"),
])
def test_wrong_command_lines_exit_2(args, fragment):
    result = run(*args)
    assert result.code == 2
    assert fragment in result.err


def test_the_tool_links_no_library_of_the_packages():
    needed = needed_libraries()
    # <package>__<kind> libraries and the type support runtimes are reached by dlopen only
    assert needed and not [name for name in needed if "__" in name or "rosidl_typesupport" in name]


def test_help_documents_every_command_and_exit_code():
    text = ok("--help").text
    for command in ["list", "show", "encode", "decode", "pub", "echo"]:
        assert f"  velmsg {command}" in text
    for code in range(5):
        assert f"\n  {code}  " in text


def test_unreadable_or_unwritable_files_are_failures(tmp_path):
    one_error_line(run("decode", "velmari_messages/msg/Num", str(tmp_path / "missing")), 1, "cannot open")
    one_error_line(run("encode", "velmari_messages/msg/Num", "--out", str(tmp_path / "no" / "file")), 1,
                   "cannot write")
