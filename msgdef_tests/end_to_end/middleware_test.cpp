// End to end, as a middleware goes: from each type's dispatch handle, by
// identifier, to the Fast-CDR and introspection handles that the runtime
// loads by name, and then using them. None of the per-kind libraries is
// linked into this test; the runtime finds them beside itself.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "generic_cdr.hpp"
#include "loader.hpp"
#include "msgdef/typesupport_c.h"
#include "msgdef/typesupport_cpp.hpp"
#include "navunit_common_msgs/msgdef_package.h"
#include "navunit_common_msgs/msgdef_package.hpp"
#include "rcutils/error_handling.h"
#include "rosidl_typesupport_c/identifier.h"
#include "rosidl_typesupport_c/message_type_support_dispatch.h"
#include "rosidl_typesupport_c/type_support_map.h"
#include "rosidl_typesupport_cpp/identifier.hpp"
#include "rosidl_typesupport_cpp/message_type_support_dispatch.hpp"
#include "rosidl_typesupport_cpp/type_support_map.h"
#include "rosidl_typesupport_fastrtps_cpp/message_type_support.h"
#include "rosidl_typesupport_fastrtps_cpp/service_type_support.h"
#include "velmari_messages/msgdef_package.h"
#include "velmari_messages/msgdef_package.hpp"

MSGDEF_TYPESUPPORT_C_DECLARE(velmari_messages)
MSGDEF_TYPESUPPORT_C_DECLARE(navunit_common_msgs)
// The packages' C++ headers declare the C++ handle functions already; declared
// twice, dllimport would be dropped (MinGW).

namespace
{

template<class Handle>
struct Named
{
  std::string package, folder, type;
  const Handle * dispatch;
};
using MessageEntry = Named<rosidl_message_type_support_t>;
using ServiceEntry = Named<rosidl_service_type_support_t>;

#define C_MESSAGE(pkg, folder, T, snake) \
  list.push_back({#pkg, #folder, #T, MSGDEF_TYPESUPPORT_C_MESSAGE_HANDLE(pkg, folder, T)()});
#define C_SERVICE(pkg, folder, S, snake) \
  list.push_back({#pkg, #folder, #S, MSGDEF_TYPESUPPORT_C_SERVICE_HANDLE(pkg, folder, S)()});
#define CPP_MESSAGE(pkg, folder, T, snake) \
  list.push_back({#pkg, #folder, #T, \
    rosidl_typesupport_cpp::get_message_type_support_handle<pkg::folder::T>()});
#define CPP_SERVICE(pkg, folder, S, snake) \
  list.push_back({#pkg, #folder, #S, \
    rosidl_typesupport_cpp::get_service_type_support_handle<pkg::folder::S>()});

struct C : generic::CFlavour
{
  static std::vector<MessageEntry> messages()
  {
    std::vector<MessageEntry> list;
    velmari_messages__MESSAGES(C_MESSAGE)
    navunit_common_msgs__MESSAGES(C_MESSAGE)
    return list;
  }
  static std::vector<ServiceEntry> services()
  {
    std::vector<ServiceEntry> list;
    velmari_messages__SERVICES(C_SERVICE)
    navunit_common_msgs__SERVICES(C_SERVICE)
    return list;
  }
  static const void * runtime_address()
  {
    return reinterpret_cast<const void *>(&rosidl_typesupport_c__get_message_typesupport_handle_function);
  }
  static const char * runtime_identifier() {return rosidl_typesupport_c__typesupport_identifier;}
};

struct Cpp : generic::CppFlavour
{
  static std::vector<MessageEntry> messages()
  {
    std::vector<MessageEntry> list;
    velmari_messages__MESSAGES(CPP_MESSAGE)
    navunit_common_msgs__MESSAGES(CPP_MESSAGE)
    return list;
  }
  static std::vector<ServiceEntry> services()
  {
    std::vector<ServiceEntry> list;
    velmari_messages__SERVICES(CPP_SERVICE)
    navunit_common_msgs__SERVICES(CPP_SERVICE)
    return list;
  }
  static const void * runtime_address()
  {
    return reinterpret_cast<const void *>(&rosidl_typesupport_cpp::get_message_typesupport_handle_function);
  }
  static const char * runtime_identifier() {return rosidl_typesupport_cpp::typesupport_identifier;}
};

std::string fastrtps(const char * suffix) {return std::string("rosidl_typesupport_fastrtps_") + suffix;}
std::string introspection(const char * suffix)
{
  return std::string("rosidl_typesupport_introspection_") + suffix;
}

template<class Handle>
const type_support_map_t & map_of(const Handle * dispatch)
{
  return *static_cast<const type_support_map_t *>(dispatch->data);
}

// The file a handle lives in: directory and base name.
std::pair<std::string, std::string> file_of(const void * address)
{
  const std::string path = loader::file_of(address);
  const auto slash = path.find_last_of("/\\");
  if (slash == std::string::npos) {
    return {};
  }
  return {path.substr(0, slash), path.substr(slash + 1)};
}

template<class F>
class Middleware : public ::testing::Test
{
protected:
  template<class Handle>
  const Handle * get(const Handle * dispatch, const std::string & identifier)
  {
    const Handle * found = dispatch->func(dispatch, identifier.c_str());
    if (!found) {
      ADD_FAILURE() << identifier << ": " << rcutils_get_error_string().str;
      rcutils_reset_error();
    }
    return found;
  }
};
using Flavours = ::testing::Types<C, Cpp>;
// The name generator named, so that no variadic argument is left empty.
TYPED_TEST_SUITE(Middleware, Flavours, ::testing::internal::DefaultNameGenerator);

TYPED_TEST(Middleware, EveryHandleReachesBothImplementationsLoadedByName)
{
  const std::string runtime_directory = file_of(TypeParam::runtime_address()).first;
  auto check = [&](const auto & entry) {
      SCOPED_TRACE(entry.type);
      const type_support_map_t & map = map_of(entry.dispatch);
      for (std::size_t i = 0; i < map.size; ++i) {
        const std::string identifier = map.typesupport_identifier[i];
        EXPECT_EQ(map.data[i], nullptr) << "loaded before it was asked for";
        const auto * found = this->get(entry.dispatch, identifier);
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(identifier, found->typesupport_identifier);
        EXPECT_NE(map.data[i], nullptr);
        EXPECT_EQ(this->get(entry.dispatch, identifier), found);
        // The library <package>__<identifier>, from the runtime's own folder
        // where they share one prefix (a workspace spreads them over several).
        const auto [directory, file] = file_of(found);
        EXPECT_EQ(file, loader::file_name(entry.package + "__" + identifier));
        if (ONE_PREFIX) {
          EXPECT_EQ(directory, runtime_directory);
        }
      }
      EXPECT_EQ(entry.dispatch->typesupport_identifier, TypeParam::runtime_identifier());
    };
  for (const auto & entry : TypeParam::messages()) {
    check(entry);
  }
  for (const auto & entry : TypeParam::services()) {
    check(entry);
  }
}

TYPED_TEST(Middleware, TablesDriveAWriterThatMatchesTheSerializerByteForByte)
{
  using Members = typename TypeParam::Members;
  for (const auto & entry : TypeParam::messages()) {
    SCOPED_TRACE(entry.type);
    const auto * fast = this->get(entry.dispatch, fastrtps(TypeParam::suffix));
    const auto * intro = this->get(entry.dispatch, introspection(TypeParam::suffix));
    ASSERT_TRUE(fast && intro);
    const auto & callbacks = *static_cast<const message_type_support_callbacks_t *>(fast->data);
    const auto & members = *static_cast<const Members *>(intro->data);

    generic::Message<TypeParam> original(members);
    unsigned seed = 0;
    generic::fill<TypeParam>(members, original.get(), seed);

    generic::Stream serialized;
    ASSERT_TRUE(callbacks.cdr_serialize(original.get(), serialized.cdr()));
    const std::vector<char> bytes = serialized.bytes();
    EXPECT_EQ(callbacks.get_serialized_size(original.get()), serialized.payload().size());
    generic::Message<TypeParam> blank(members);
    generic::Stream blank_stream;
    ASSERT_TRUE(callbacks.cdr_serialize(blank.get(), blank_stream.cdr()));
    EXPECT_NE(blank_stream.bytes(), bytes) << "every field was given a value";

    generic::Stream walked;
    ASSERT_TRUE(generic::write<TypeParam>(members, original.get(), walked.cdr()));
    EXPECT_EQ(walked.bytes(), bytes);

    // Read back by the serializer and by the tables: both give a message
    // that serializes to the same bytes.
    generic::Message<TypeParam> by_callbacks(members);
    generic::Stream in(bytes);
    ASSERT_TRUE(callbacks.cdr_deserialize(in.cdr(), by_callbacks.get()));
    generic::Stream again;
    ASSERT_TRUE(callbacks.cdr_serialize(by_callbacks.get(), again.cdr()));
    EXPECT_EQ(again.bytes(), bytes);

    generic::Message<TypeParam> by_tables(members);
    generic::Stream in_tables(bytes);
    ASSERT_TRUE(generic::read<TypeParam>(members, in_tables.cdr(), by_tables.get()));
    generic::Stream from_tables;
    ASSERT_TRUE(callbacks.cdr_serialize(by_tables.get(), from_tables.cdr()));
    EXPECT_EQ(from_tables.bytes(), bytes);

    bool full_bounded = true;
    const size_t max_size = callbacks.max_serialized_size(full_bounded);
    EXPECT_EQ(full_bounded, !generic::has_string<TypeParam>(members));
    if (full_bounded) {
      EXPECT_EQ(max_size, serialized.payload().size());
    }
  }
}

TYPED_TEST(Middleware, ServiceHandlesPairTheRequestAndResponseHandles)
{
  using ServiceMembers = typename TypeParam::ServiceMembers;
  const auto services = TypeParam::services();
  ASSERT_EQ(services.size(), 1u);
  const auto messages = TypeParam::messages();
  auto message = [&](const std::string & type) {
      for (const auto & entry : messages) {
        if (entry.type == type) {
          return entry.dispatch;
        }
      }
      return static_cast<const rosidl_message_type_support_t *>(nullptr);
    };
  for (const auto & service : services) {
    SCOPED_TRACE(service.type);
    const auto * request = message(service.type + "_Request");
    const auto * response = message(service.type + "_Response");
    ASSERT_TRUE(request && response);

    const auto * fast = this->get(service.dispatch, fastrtps(TypeParam::suffix));
    ASSERT_NE(fast, nullptr);
    const auto & callbacks = *static_cast<const service_type_support_callbacks_t *>(fast->data);
    EXPECT_EQ(callbacks.service_namespace_, service.package + "::" + service.folder);
    EXPECT_EQ(callbacks.service_name_, service.type);
    EXPECT_EQ(callbacks.request_members_, this->get(request, fastrtps(TypeParam::suffix)));
    EXPECT_EQ(callbacks.response_members_, this->get(response, fastrtps(TypeParam::suffix)));

    const auto * intro = this->get(service.dispatch, introspection(TypeParam::suffix));
    ASSERT_NE(intro, nullptr);
    const auto & members = *static_cast<const ServiceMembers *>(intro->data);
    EXPECT_EQ(members.service_namespace_,
      service.package + TypeParam::introspection_separator + service.folder);
    EXPECT_EQ(members.service_name_, service.type);
    EXPECT_EQ(members.request_members_, this->get(request, introspection(TypeParam::suffix))->data);
    EXPECT_EQ(members.response_members_, this->get(response, introspection(TypeParam::suffix))->data);
  }
}

TYPED_TEST(Middleware, AnIdentifierTheMapLacksGivesNull)
{
  const char * other = TypeParam::suffix == std::string("c") ?
    "rosidl_typesupport_fastrtps_cpp" : "rosidl_typesupport_fastrtps_c";
  for (const auto & entry : TypeParam::messages()) {
    EXPECT_EQ(entry.dispatch->func(entry.dispatch, other), nullptr) << entry.type;
    EXPECT_TRUE(rcutils_error_is_set());
    rcutils_reset_error();
  }
  for (const auto & entry : TypeParam::services()) {
    EXPECT_EQ(entry.dispatch->func(entry.dispatch, "rosidl_typesupport_opensplice"), nullptr);
    rcutils_reset_error();
  }
}

}  // namespace
