// Value parsing and printing of every primitive type code, at and past the
// edges of each range; most of these kinds have no field in the packages, so
// the command-line tests cannot reach them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "cdr_bytes.hpp"
#include "errors.hpp"
#include "field_values.hpp"
#include "msgdef/yaml_text.hpp"
#include "rosidl_typesupport_introspection_c/field_types.h"
#include "topic_name.hpp"

namespace
{

struct Parsed
{
  bool ok;
  std::string text;  // the stored value printed back, or the reason
};

Parsed parse(uint8_t type_id, const std::string & text)
{
  const velmsg::PrimitiveKind * kind = velmsg::primitive_kind(type_id);
  EXPECT_NE(kind, nullptr);
  alignas(8) unsigned char field[8] = {};
  std::string reason;
  if (!kind->parse(text, field, reason)) {
    return {false, reason};
  }
  return {true, kind->format(field)};
}

struct Case
{
  uint8_t type_id;
  const char * text;
  const char * printed;  // null: the text is refused
};

TEST(FieldValues, IntegerRangesAreExact)
{
  const Case cases[] = {
    {rosidl_typesupport_introspection_c__ROS_TYPE_UINT8, "255", "255"},
    {rosidl_typesupport_introspection_c__ROS_TYPE_UINT8, "256", nullptr},
    {rosidl_typesupport_introspection_c__ROS_TYPE_UINT8, "-1", nullptr},
    {rosidl_typesupport_introspection_c__ROS_TYPE_OCTET, "0", "0"},
    {rosidl_typesupport_introspection_c__ROS_TYPE_CHAR, "65", "65"},
    {rosidl_typesupport_introspection_c__ROS_TYPE_INT8, "-128", "-128"},
    {rosidl_typesupport_introspection_c__ROS_TYPE_INT8, "128", nullptr},
    {rosidl_typesupport_introspection_c__ROS_TYPE_UINT16, "65535", "65535"},
    {rosidl_typesupport_introspection_c__ROS_TYPE_UINT16, "65536", nullptr},
    {rosidl_typesupport_introspection_c__ROS_TYPE_INT16, "-32768", "-32768"},
    {rosidl_typesupport_introspection_c__ROS_TYPE_INT16, "32768", nullptr},
    {rosidl_typesupport_introspection_c__ROS_TYPE_UINT32, "4294967295", "4294967295"},
    {rosidl_typesupport_introspection_c__ROS_TYPE_UINT32, "4294967296", nullptr},
    {rosidl_typesupport_introspection_c__ROS_TYPE_INT32, "-2147483648", "-2147483648"},
    {rosidl_typesupport_introspection_c__ROS_TYPE_INT32, "2147483648", nullptr},
    {rosidl_typesupport_introspection_c__ROS_TYPE_UINT64, "18446744073709551615", "18446744073709551615"},
    {rosidl_typesupport_introspection_c__ROS_TYPE_UINT64, "18446744073709551616", nullptr},
    {rosidl_typesupport_introspection_c__ROS_TYPE_INT64, "-9223372036854775808", "-9223372036854775808"},
    {rosidl_typesupport_introspection_c__ROS_TYPE_INT64, "9223372036854775808", nullptr},
    {rosidl_typesupport_introspection_c__ROS_TYPE_INT64, "+7", "7"},
    {rosidl_typesupport_introspection_c__ROS_TYPE_INT64, "7x", nullptr},
    {rosidl_typesupport_introspection_c__ROS_TYPE_INT64, "0x10", "16"},
    {rosidl_typesupport_introspection_c__ROS_TYPE_INT64, "-0X7fffffffffffffff", "-9223372036854775807"},
    {rosidl_typesupport_introspection_c__ROS_TYPE_INT64, "0o777", "511"},
    {rosidl_typesupport_introspection_c__ROS_TYPE_INT64, "010", nullptr},  // octal or decimal?
    {rosidl_typesupport_introspection_c__ROS_TYPE_INT64, "00", nullptr},
    {rosidl_typesupport_introspection_c__ROS_TYPE_INT64, "0o8", nullptr},
    {rosidl_typesupport_introspection_c__ROS_TYPE_INT64, "0x", nullptr},
    {rosidl_typesupport_introspection_c__ROS_TYPE_INT64, "+-1", nullptr},
    {rosidl_typesupport_introspection_c__ROS_TYPE_UINT8, "0xff", "255"},
    {rosidl_typesupport_introspection_c__ROS_TYPE_UINT8, "0x100", nullptr},
    {rosidl_typesupport_introspection_c__ROS_TYPE_UINT8, "-0", "0"},
    {rosidl_typesupport_introspection_c__ROS_TYPE_UINT64, "0xffffffffffffffff", "18446744073709551615"},
    {rosidl_typesupport_introspection_c__ROS_TYPE_UINT64, "0x10000000000000000", nullptr},
    {rosidl_typesupport_introspection_c__ROS_TYPE_INT64, "1.0", nullptr},
    {rosidl_typesupport_introspection_c__ROS_TYPE_INT64, "", nullptr},
    {rosidl_typesupport_introspection_c__ROS_TYPE_INT64, " 1", nullptr},
  };
  for (const Case & c : cases) {
    Parsed parsed = parse(c.type_id, c.text);
    EXPECT_EQ(parsed.ok, c.printed != nullptr) << "type " << int(c.type_id) << " '" << c.text << "': " << parsed.text;
    if (c.printed && parsed.ok) {
      EXPECT_EQ(parsed.text, c.printed) << "type " << int(c.type_id) << " '" << c.text << "'";
    }
  }
}

TEST(FieldValues, FloatsReadBackExactlyAndRefuseWhatDoesNotFit)
{
  const auto f32 = rosidl_typesupport_introspection_c__ROS_TYPE_FLOAT;
  const auto f64 = rosidl_typesupport_introspection_c__ROS_TYPE_DOUBLE;
  const Case cases[] = {
    {f32, "1", "1.0"},
    {f32, "0.1", "0.1"},
    {f32, "-2.5e-3", "-0.0025"},
    {f32, "3.4028235e38", "3.4028235e+38"},
    {f32, "3.40282356e38", "3.4028235e+38"},  // rounds down to the largest float
    {f32, "1e-45", "1.0e-45"},                  // a '.' and a signed exponent: a float to YAML 1.1 too
    {f32, "-1e-4", "-1.0e-04"},
    {f32, "16777216", "16777216.0"},
    {f32, "3.4028236e38", nullptr},
    {f32, "-3.5e38", nullptr},
    {f32, "1e-50", "0.0"},
    {f32, "nan", ".nan"},
    {f32, ".inf", ".inf"},
    {f32, "-.inf", "-.inf"},
    {f64, "0.1", "0.1"},
    {f64, "1e308", "1.0e+308"},
    {f64, "1e16", "1.0e+16"},
    {f64, "5e-324", "5.0e-324"},
    {f64, "1e309", nullptr},
    {f64, "-0.0", "-0.0"},
    {f64, "2.", "2.0"},
    {f64, "abc", nullptr},
    {f64, "1.5.2", nullptr},
  };
  for (const Case & c : cases) {
    Parsed parsed = parse(c.type_id, c.text);
    EXPECT_EQ(parsed.ok, c.printed != nullptr) << "'" << c.text << "': " << parsed.text;
    if (c.printed && parsed.ok) {
      EXPECT_EQ(parsed.text, c.printed) << "'" << c.text << "'";
    }
  }
  // Printed values read back to the same bits.
  for (double value : {0.1, 1.0 / 3.0, 6.02214076e23, 5e-324}) {
    double field = value;
    std::string text = velmsg::primitive_kind(f64)->format(&field);
    Parsed again = parse(f64, text);
    ASSERT_TRUE(again.ok) << text;
    EXPECT_EQ(again.text, text);
  }
}

TEST(FieldValues, BoolsAcceptOnlyTheirSpellingsAndPrintAnyNonZeroByteAsTrue)
{
  const auto b = rosidl_typesupport_introspection_c__ROS_TYPE_BOOLEAN;
  for (const char * yes : {"true", "True", "TRUE", "1"}) {
    EXPECT_EQ(parse(b, yes).text, "true") << yes;
  }
  for (const char * no : {"false", "False", "FALSE", "0"}) {
    EXPECT_EQ(parse(b, no).text, "false") << no;
  }
  for (const char * bad : {"maybe", "2", "tRUE", "yes", "on", ""}) {
    EXPECT_FALSE(parse(b, bad).ok) << bad;
  }
  unsigned char raw = 2;
  EXPECT_EQ(velmsg::primitive_kind(b)->format(&raw), "true");
}

TEST(YamlText, StringsAreAlwaysValidYaml)
{
  using msgdef::yaml::format_string;
  EXPECT_EQ(format_string(""), "''");
  EXPECT_EQ(format_string("it's"), "'it''s'");
  EXPECT_EQ(format_string("\xc3\xbc \xe2\x82\xac \xf0\x9f\x98\x80"), "'\xc3\xbc \xe2\x82\xac \xf0\x9f\x98\x80'");
  EXPECT_EQ(format_string("a\"b\\c\n"), "\"a\\\"b\\\\c\\x0a\"");
  // bytes outside UTF-8: a stray continuation, a lead cut short, an overlong form, a surrogate
  EXPECT_EQ(format_string("\x80"), "\"\\x80\"");
  EXPECT_EQ(format_string("x\xe2\x82"), "\"x\\xe2\\x82\"");
  EXPECT_EQ(format_string("\xc0\xaf"), "\"\\xc0\\xaf\"");
  EXPECT_EQ(format_string("\xed\xa0\x80"), "\"\\xed\\xa0\\x80\"");
  // characters YAML readers take for line breaks or a byte order mark
  EXPECT_EQ(format_string("\xc2\x85"), "\"\\x85\"");
  EXPECT_EQ(format_string("\xe2\x80\xa8"), "\"\\u2028\"");
  EXPECT_EQ(format_string("\xef\xbb\xbf"), "\"\\ufeff\"");
  EXPECT_EQ(format_string(std::string("a\0b", 3)), "\"a\\x00b\"");
}

TEST(FieldValues, CodesWithoutValueKindAreNamed)
{
  EXPECT_EQ(velmsg::primitive_kind(rosidl_typesupport_introspection_c__ROS_TYPE_STRING), nullptr);
  EXPECT_EQ(velmsg::primitive_kind(rosidl_typesupport_introspection_c__ROS_TYPE_LONG_DOUBLE), nullptr);
  EXPECT_EQ(velmsg::type_code_name(rosidl_typesupport_introspection_c__ROS_TYPE_WSTRING), "wstring");
  EXPECT_EQ(velmsg::type_code_name(99), "type code 99");
}

TEST(Hex, RoundTripsAndRefusesOddOrForeignText)
{
  std::vector<uint8_t> bytes(20);
  for (size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<uint8_t>(i * 13);
  }
  std::string text = velmsg::to_hex(bytes);
  EXPECT_EQ(text.substr(0, 9), "00 0d 1a ");
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2);
  EXPECT_EQ(velmsg::from_hex(text), bytes);
  EXPECT_EQ(velmsg::from_hex("0A\tff\n"), (std::vector<uint8_t>{0x0a, 0xff}));
  for (const char * bad : {"0", "0g", "0 1", "xyz"}) {
    try {
      velmsg::from_hex(bad);
      ADD_FAILURE() << "accepted '" << bad << "'";
    } catch (const velmsg::ToolError & error) {
      EXPECT_EQ(error.code(), velmsg::kExitBadInput);
    }
  }
}

// A fully qualified ROS 2 topic name holds at most 247 characters (the DDS
// name adds "rt"), the leading '/' that velmsg adds included; the
// command-line tests refuse names beyond it but cannot publish at the edge.
TEST(TopicNames, TheLengthLimitCountsTheFullyQualifiedName)
{
  const std::string longest(246, 'x');
  for (const std::string & name : {longest, "/" + longest}) {
    const velmsg::TopicName topic = velmsg::resolve_topic(name);
    EXPECT_EQ(topic.ros, "/" + longest);
    EXPECT_EQ(topic.dds, "rt/" + longest);
  }
  EXPECT_EQ(velmsg::resolve_topic("ns/_x1").dds, "rt/ns/_x1");
  for (const std::string & name : {longest + "x", "/" + longest + "x"}) {
    try {
      velmsg::resolve_topic(name);
      ADD_FAILURE() << "accepted " << name.size() << " characters";
    } catch (const velmsg::ToolError & error) {
      EXPECT_EQ(error.code(), velmsg::kExitUsage);
      EXPECT_NE(std::string(error.what()).find("longer than 247"), std::string::npos) << error.what();
    }
  }
}

}  // namespace
