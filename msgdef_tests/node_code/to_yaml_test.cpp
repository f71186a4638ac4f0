// rosidl_generator_traits::to_yaml() of the C++ headers gives the text velmsg
// prints for the same message: velmsg walks the introspection tables of the
// C++ structures, to_yaml the field lists, so the two walks must agree on
// order, names, nesting and every value's spelling.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <string>

#include "message_text.hpp"
#include "message_type.hpp"
#include "navunit_common_msgs/msgdef_package.h"
#include "navunit_common_msgs/msgdef_package.hpp"
#include "velmari_messages/msgdef_package.h"
#include "velmari_messages/msgdef_package.hpp"

namespace
{

// velmsg's text of the C++ message it holds.
std::string velmsg_text(const velmsg::Message & message)
{
  std::ostringstream out;
  velmsg::print_yaml(out, message);
  return out.str();
}

// Every field a distinct value (velmsg's example filling), then both texts.
template<class T>
void expect_same_text(const char * package, const char * folder, const char * type)
{
  velmsg::MessageType message_type({package, folder, type}, velmsg::Flavour::cpp);
  velmsg::Message message(message_type.description());
  velmsg::fill_example(message);
  const T & filled = *static_cast<const T *>(message.data());
  const std::string text = velmsg_text(message);
  EXPECT_EQ(rosidl_generator_traits::to_yaml(filled), text) << package << "/" << folder << "/" << type;
  EXPECT_NE(text.find(": 1"), std::string::npos) << text;  // the values did arrive
}

TEST(ToYaml, EveryTypeGivesTheTextVelmsgPrints)
{
#define EXPECT_SAME_TEXT(pkg, folder, T, snake) expect_same_text<::pkg::folder::T>(#pkg, #folder, #T);
  velmari_messages__MESSAGES(EXPECT_SAME_TEXT)
  navunit_common_msgs__MESSAGES(EXPECT_SAME_TEXT)
#undef EXPECT_SAME_TEXT
}

TEST(ToYaml, EdgeValuesAreSpelledAsVelmsgSpellsThem)
{
  velmari_messages::msg::Control control;
  control.set__valid(true).set__throttle(std::numeric_limits<double>::quiet_NaN())
  .set__brake(-std::numeric_limits<double>::infinity()).set__steer(-0.0)
  .set__mode(std::numeric_limits<int32_t>::min()).set__gear(std::numeric_limits<int32_t>::max());
  control.header.set__frame_id("quote ' \"double\" back\\slash\nnewline\x7f").stamp.set__sec(-7);

  navunit_common_msgs::msg::Zodizu610 record;
  record.set__status(200).set__heading(std::numeric_limits<float>::denorm_min())
  .set__pitch(std::numeric_limits<float>::max()).set__gpstime(1e-300).set__lat(123456789.125)
  .set__nsv1(-32768).set__warning(32767);
  record.header.set__frame_id("");

  velmsg::MessageType control_type({"velmari_messages", "msg", "Control"}, velmsg::Flavour::cpp);
  velmsg::Message control_message(control_type.description());
  *static_cast<velmari_messages::msg::Control *>(control_message.data()) = control;
  EXPECT_EQ(rosidl_generator_traits::to_yaml(control), velmsg_text(control_message));

  velmsg::MessageType record_type({"navunit_common_msgs", "msg", "Zodizu610"}, velmsg::Flavour::cpp);
  velmsg::Message record_message(record_type.description());
  *static_cast<navunit_common_msgs::msg::Zodizu610 *>(record_message.data()) = record;
  EXPECT_EQ(rosidl_generator_traits::to_yaml(record), velmsg_text(record_message));
}

}  // namespace
