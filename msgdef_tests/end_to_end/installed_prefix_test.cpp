// A client of an installed prefix: it opens the dispatch libraries of
// <prefix>/lib by path, with no search path set, and every implementation the
// runtime loads must come from that same folder.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

#include "navunit_common_msgs/msgdef_package.h"
#include "rosidl_runtime_c/message_type_support_struct.h"
#include "rosidl_runtime_c/service_type_support_struct.h"
#include "rosidl_typesupport_fastrtps_cpp/message_type_support.h"
#include "rosidl_typesupport_interface/macros.h"
#include "velmari_messages/msgdef_package.h"

namespace
{

const std::string lib_dir = std::string(INSTALL_PREFIX) + "/lib";

std::string file_of(const void * address)
{
  Dl_info info{};
  return dladdr(address, &info) && info.dli_fname ? info.dli_fname : "";
}

class InstalledPrefix : public ::testing::TestWithParam<const char *>
{
protected:
  // The dispatch library of `package` for flavour GetParam() (c or cpp).
  void * open(const std::string & package)
  {
    const std::string path = lib_dir + "/lib" + package + "__rosidl_typesupport_" + GetParam() + ".so";
    void * library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    EXPECT_NE(library, nullptr) << dlerror();
    return library;
  }

  // Asks the handle that `symbol` of `library` returns for both implementations.
  template<class Handle>
  void check(void * library, const std::string & kind_name, const std::string & package,
    const std::string & folder, const std::string & type)
  {
    const std::string c_name = package + "__" + folder + "__" + type;
    SCOPED_TRACE(c_name);
    const std::string symbol = std::string("rosidl_typesupport_") + GetParam() + "__get_" + kind_name +
      "_type_support_handle__" + c_name;
    using HandleFunction = const Handle * (*)();
    auto function = reinterpret_cast<HandleFunction>(dlsym(library, symbol.c_str()));
    ASSERT_NE(function, nullptr) << symbol;
    const Handle * dispatch = function();
    EXPECT_EQ(file_of(reinterpret_cast<const void *>(dispatch->func)),
      lib_dir + "/librosidl_typesupport_" + GetParam() + ".so");
    for (const char * kind : {"fastrtps", "introspection"}) {
      const std::string identifier = std::string("rosidl_typesupport_") + kind + "_" + GetParam();
      const Handle * found = dispatch->func(dispatch, identifier.c_str());
      ASSERT_NE(found, nullptr) << identifier;
      EXPECT_EQ(file_of(found), lib_dir + "/lib" + package + "__" + identifier + ".so");
      if (std::string(kind) == "fastrtps" && kind_name == "message") {
        const auto * callbacks = static_cast<const message_type_support_callbacks_t *>(found->data);
        EXPECT_EQ(callbacks->message_namespace_, package + "::" + folder);
        EXPECT_EQ(callbacks->message_name_, type);
      }
    }
  }
};

#define CHECK_MESSAGE(pkg, folder, T, snake) \
  check<rosidl_message_type_support_t>(library, "message", #pkg, #folder, #T);
#define CHECK_SERVICE(pkg, folder, S, snake) \
  check<rosidl_service_type_support_t>(library, "service", #pkg, #folder, #S);

TEST_P(InstalledPrefix, EveryTypeReachesItsImplementationsInThePrefix)
{
  ASSERT_EQ(getenv("LD_LIBRARY_PATH"), nullptr);
  void * library = open("velmari_messages");
  ASSERT_NE(library, nullptr);
  velmari_messages__MESSAGES(CHECK_MESSAGE)
  velmari_messages__SERVICES(CHECK_SERVICE)
  library = open("navunit_common_msgs");
  ASSERT_NE(library, nullptr);
  navunit_common_msgs__MESSAGES(CHECK_MESSAGE)
}

INSTANTIATE_TEST_SUITE_P(Flavours, InstalledPrefix, ::testing::Values("c", "cpp"));

}  // namespace
