// The shipped .msg and .srv files describe exactly the compiled definitions.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "builtin_interfaces/msg/time.h"
#include "navunit_common_msgs/msgdef_package.h"
#include "std_msgs/msg/header.h"
#include "velmari_messages/msgdef_package.h"

namespace
{

// One line per field, as an interface file writes it.
#define LINE_VALUE(name, kind) #kind " " #name "\n"
#define LINE_MESSAGE(name, pkg, folder, T) #pkg "/" #T " " #name "\n"
#define LINE_STRING(name) "string " #name "\n"
#define DEFINITION(S) S##__FIELDS(LINE_VALUE, LINE_MESSAGE, LINE_STRING)

std::string read_interface_file(const std::string & pkg, const std::string & relative)
{
  for (const char * root : {"", "stand_ins/"}) {
    std::ifstream file(std::string(SOURCE_DIR) + "/" + root + pkg + "/" + relative);
    if (file) {
      std::stringstream text;
      text << file.rdbuf();
      return text.str();
    }
  }
  return "<missing " + pkg + "/" + relative + ">";
}

}  // namespace

TEST(Definitions, MessageFilesMatchTheCompiledFieldLists)
{
#define CHECK_MESSAGE(pkg, folder, T, snake) \
  if (std::string(#folder) == "msg") { \
    EXPECT_EQ(read_interface_file(#pkg, "msg/" #T ".msg"), DEFINITION(pkg##__##folder##__##T)); \
  }
  navunit_common_msgs__MESSAGES(CHECK_MESSAGE)
  velmari_messages__MESSAGES(CHECK_MESSAGE)
  CHECK_MESSAGE(std_msgs, msg, Header, header)
  CHECK_MESSAGE(builtin_interfaces, msg, Time, time)
}

TEST(Definitions, ServiceFilesMatchTheRequestAndResponseFieldLists)
{
#define CHECK_SERVICE(pkg, folder, S, snake) \
  EXPECT_EQ(read_interface_file(#pkg, "srv/" #S ".srv"), \
    std::string(DEFINITION(pkg##__##folder##__##S##_Request)) + "---\n" + \
    DEFINITION(pkg##__##folder##__##S##_Response));
  velmari_messages__SERVICES(CHECK_SERVICE)
}

TEST(Definitions, PackagesListTheirTypesInRegistrationOrder)
{
#define NAME(pkg, folder, T, snake) #pkg "/" #folder "/" #T " " #snake "\n"
  EXPECT_STREQ(navunit_common_msgs__MESSAGES(NAME),
    "navunit_common_msgs/msg/Zodizu610 zodizu610\n"
    "navunit_common_msgs/msg/VelmariEgoCache velmari_ego_cache\n");
  EXPECT_STREQ(velmari_messages__MESSAGES(NAME),
    "velmari_messages/msg/Control control\n"
    "velmari_messages/msg/EgoState ego_state\n"
    "velmari_messages/msg/Num num\n"
    "velmari_messages/srv/AddThreeInts_Request add_three_ints__request\n"
    "velmari_messages/srv/AddThreeInts_Response add_three_ints__response\n");
  EXPECT_STREQ(velmari_messages__SERVICES(NAME), "velmari_messages/srv/AddThreeInts add_three_ints\n");
}
