// The dispatch handles of both packages, C and C++: their records as a
// client and the runtime see them, their names, and what the libraries link.
#include <gtest/gtest.h>

#include <cstdio>
#include <atomic>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "msgdef/typesupport_c.h"
#include "msgdef/typesupport_cpp.hpp"
#include "rcutils/error_handling.h"
#include "navunit_common_msgs/msgdef_package.h"
#include "navunit_common_msgs/msgdef_package.hpp"
#include "rosidl_typesupport_c/identifier.h"
#include "rosidl_typesupport_c/message_type_support_dispatch.h"
#include "rosidl_typesupport_c/service_type_support_dispatch.h"
#include "rosidl_typesupport_c/type_support_map.h"
#include "rosidl_typesupport_cpp/identifier.hpp"
#include "rosidl_typesupport_cpp/message_type_support_dispatch.hpp"
#include "rosidl_typesupport_cpp/service_type_support_dispatch.hpp"
#include "rosidl_typesupport_cpp/type_support_map.h"
#include "velmari_messages/msgdef_package.h"
#include "velmari_messages/msgdef_package.hpp"

MSGDEF_TYPESUPPORT_C_DECLARE(velmari_messages)
MSGDEF_TYPESUPPORT_C_DECLARE(navunit_common_msgs)
// The packages' C++ headers declare the C++ handle functions already; declared
// twice, dllimport would be dropped (MinGW).

extern "C" {
const rosidl_message_type_support_t * c_client_control_handle(void);
const rosidl_message_type_support_t * c_client_velmari_ego_cache_handle(void);
const rosidl_service_type_support_t * c_client_add_three_ints_handle(void);
}

namespace
{

// Taken while this executable starts, before any test: the handles must be
// complete by then.
const char * const identifier_at_start =
  rosidl_typesupport_c__get_message_type_support_handle__velmari_messages__msg__Control()
  ->typesupport_identifier;
const void * const data_at_start =
  rosidl_typesupport_cpp__get_service_type_support_handle__velmari_messages__srv__AddThreeInts()
  ->data;

// One handle as a client sees it, message or service alike.
struct Entry
{
  std::string package, folder, type;
  bool service;
  const void * handle;
  const void * handle_again;
  const char * identifier;
  const type_support_map_t * map;
  const void * function;
};

template<class Handle>
Entry entry(const char * package, const char * folder, const char * type, bool service,
  const Handle * (*handle_function)())
{
  const Handle * handle = handle_function();
  return {package, folder, type, service, handle, handle_function(), handle->typesupport_identifier,
    static_cast<const type_support_map_t *>(handle->data),
    reinterpret_cast<const void *>(handle->func)};
}

#define C_MESSAGE_ENTRY(pkg, folder, T, snake) \
  list.push_back(entry(#pkg, #folder, #T, false, &MSGDEF_TYPESUPPORT_C_MESSAGE_HANDLE(pkg, folder, T)));
#define C_SERVICE_ENTRY(pkg, folder, S, snake) \
  list.push_back(entry(#pkg, #folder, #S, true, &MSGDEF_TYPESUPPORT_C_SERVICE_HANDLE(pkg, folder, S)));
#define CPP_MESSAGE_ENTRY(pkg, folder, T, snake) \
  list.push_back(entry(#pkg, #folder, #T, false, \
    &rosidl_typesupport_cpp::get_message_type_support_handle<pkg::folder::T>));
#define CPP_SERVICE_ENTRY(pkg, folder, S, snake) \
  list.push_back(entry(#pkg, #folder, #S, true, \
    &rosidl_typesupport_cpp::get_service_type_support_handle<pkg::folder::S>));

struct CFlavour
{
  static constexpr const char * suffix = "c";
  static const char * runtime_identifier() {return rosidl_typesupport_c__typesupport_identifier;}
  static const void * lookup(bool service)
  {
    return service ?
           reinterpret_cast<const void *>(&rosidl_typesupport_c__get_service_typesupport_handle_function) :
           reinterpret_cast<const void *>(&rosidl_typesupport_c__get_message_typesupport_handle_function);
  }
  static std::vector<Entry> entries()
  {
    std::vector<Entry> list;
    velmari_messages__MESSAGES(C_MESSAGE_ENTRY)
    velmari_messages__SERVICES(C_SERVICE_ENTRY)
    navunit_common_msgs__MESSAGES(C_MESSAGE_ENTRY)
    navunit_common_msgs__SERVICES(C_SERVICE_ENTRY)
    return list;
  }
};

struct CppFlavour
{
  static constexpr const char * suffix = "cpp";
  static const char * runtime_identifier() {return rosidl_typesupport_cpp::typesupport_identifier;}
  static const void * lookup(bool service)
  {
    return service ?
           reinterpret_cast<const void *>(&rosidl_typesupport_cpp::get_service_typesupport_handle_function) :
           reinterpret_cast<const void *>(&rosidl_typesupport_cpp::get_message_typesupport_handle_function);
  }
  static std::vector<Entry> entries()
  {
    std::vector<Entry> list;
    velmari_messages__MESSAGES(CPP_MESSAGE_ENTRY)
    velmari_messages__SERVICES(CPP_SERVICE_ENTRY)
    navunit_common_msgs__MESSAGES(CPP_MESSAGE_ENTRY)
    navunit_common_msgs__SERVICES(CPP_SERVICE_ENTRY)
    return list;
  }
};

template<class Flavour>
class DispatchHandles : public ::testing::Test {};
using Flavours = ::testing::Types<CFlavour, CppFlavour>;
// The name generator named, so that no variadic argument is left empty.
TYPED_TEST_SUITE(DispatchHandles, Flavours, ::testing::internal::DefaultNameGenerator);

TYPED_TEST(DispatchHandles, OneHandlePerTypeAndService)
{
  std::vector<std::string> names;
  for (const Entry & e : TypeParam::entries()) {
    names.push_back(e.package + "/" + e.folder + "/" + e.type + (e.service ? " (service)" : ""));
  }
  const std::vector<std::string> expected = {
    "velmari_messages/msg/Control", "velmari_messages/msg/EgoState", "velmari_messages/msg/Num",
    "velmari_messages/srv/AddThreeInts_Request", "velmari_messages/srv/AddThreeInts_Response",
    "velmari_messages/srv/AddThreeInts (service)",
    "navunit_common_msgs/msg/Zodizu610", "navunit_common_msgs/msg/VelmariEgoCache"};
  EXPECT_EQ(names, expected);
}

TYPED_TEST(DispatchHandles, StaticHandlesCarryTheRuntimesIdentifierAndLookup)
{
  std::set<const void *> handles, maps, slot_arrays;
  for (const Entry & e : TypeParam::entries()) {
    SCOPED_TRACE(e.type);
    ASSERT_NE(e.handle, nullptr);
    EXPECT_EQ(e.handle_again, e.handle);
    EXPECT_EQ(e.identifier, TypeParam::runtime_identifier()) << "the runtime's pointer, not a copy";
    EXPECT_EQ(e.function, TypeParam::lookup(e.service));
    ASSERT_NE(e.map, nullptr);
    handles.insert(e.handle);
    maps.insert(e.map);
    slot_arrays.insert(e.map->data);
  }
  EXPECT_EQ(handles.size(), 8u);
  EXPECT_EQ(maps.size(), 8u);
  EXPECT_EQ(slot_arrays.size(), 8u);
}

TYPED_TEST(DispatchHandles, MapsNameBothImplementationsByTheNamingRule)
{
  const std::string fastrtps = std::string("rosidl_typesupport_fastrtps_") + TypeParam::suffix;
  const std::string introspection = std::string("rosidl_typesupport_introspection_") + TypeParam::suffix;
  for (const Entry & e : TypeParam::entries()) {
    SCOPED_TRACE(e.type);
    const type_support_map_t & map = *e.map;
    ASSERT_EQ(map.size, 2u);
    EXPECT_EQ(std::string(map.package_name), e.package);
    EXPECT_EQ(map.typesupport_identifier[0], fastrtps);
    EXPECT_EQ(map.typesupport_identifier[1], introspection);
    const std::string tail = std::string(e.service ? "__get_service" : "__get_message") +
      "_type_support_handle__" + e.package + "__" + e.folder + "__" + e.type;
    EXPECT_EQ(map.symbol_name[0], fastrtps + tail);
    EXPECT_EQ(map.symbol_name[1], introspection + tail);
    EXPECT_EQ(map.data[0], nullptr);
    EXPECT_EQ(map.data[1], nullptr);
  }
}

TEST(DispatchHandlesC, SymbolNamesAsTheImplementationsExportThem)
{
  auto map = [](const rosidl_message_type_support_t * h) {
      return static_cast<const type_support_map_t *>(h->data);
    };
  EXPECT_STREQ(
    map(rosidl_typesupport_c__get_message_type_support_handle__velmari_messages__msg__Control())
    ->symbol_name[1],
    "rosidl_typesupport_introspection_c__get_message_type_support_handle__velmari_messages__msg__Control");
  EXPECT_STREQ(
    map(rosidl_typesupport_c__get_message_type_support_handle__velmari_messages__srv__AddThreeInts_Request())
    ->symbol_name[0],
    "rosidl_typesupport_fastrtps_c__get_message_type_support_handle__velmari_messages__srv__AddThreeInts_Request");
  const auto * service = static_cast<const type_support_map_t *>(
    rosidl_typesupport_c__get_service_type_support_handle__velmari_messages__srv__AddThreeInts()->data);
  EXPECT_STREQ(service->symbol_name[0],
    "rosidl_typesupport_fastrtps_c__get_service_type_support_handle__velmari_messages__srv__AddThreeInts");
  const auto * cache = map(
    rosidl_typesupport_c__get_message_type_support_handle__navunit_common_msgs__msg__VelmariEgoCache());
  EXPECT_EQ(std::string(cache->package_name) + "__" + cache->typesupport_identifier[1],
    "navunit_common_msgs__rosidl_typesupport_introspection_c");
}

TEST(DispatchHandlesCpp, SymbolNamesAsTheImplementationsExportThem)
{
  const auto * zodizu = static_cast<const type_support_map_t *>(
    rosidl_typesupport_cpp::get_message_type_support_handle<navunit_common_msgs::msg::Zodizu610>()->data);
  EXPECT_STREQ(zodizu->symbol_name[0],
    "rosidl_typesupport_fastrtps_cpp__get_message_type_support_handle__navunit_common_msgs__msg__Zodizu610");
  const auto * service = static_cast<const type_support_map_t *>(
    rosidl_typesupport_cpp::get_service_type_support_handle<velmari_messages::srv::AddThreeInts>()->data);
  EXPECT_STREQ(service->symbol_name[1],
    "rosidl_typesupport_introspection_cpp__get_service_type_support_handle__velmari_messages__srv__AddThreeInts");
}

// A function's address as the loader resolved it. Two declared functions may
// be taken for distinct by the compiler (clang folds their comparison to
// false), while here one is an alias of the other.
template<class F>
const void * loaded_address(F * function)
{
  const void * volatile address = reinterpret_cast<const void *>(function);
  return address;
}

#define CPP_SAME_MESSAGE_FUNCTION(pkg, folder, T, snake) \
  EXPECT_EQ(loaded_address( \
      &rosidl_typesupport_cpp::get_message_type_support_handle<pkg::folder::T##_<std::allocator<void>>>), \
    loaded_address(&MSGDEF_TYPESUPPORT_CPP_MESSAGE_HANDLE(pkg, folder, T))) << #T; \
  EXPECT_EQ(rosidl_typesupport_cpp::get_message_type_support_handle<pkg::folder::T>(), \
    MSGDEF_TYPESUPPORT_CPP_MESSAGE_HANDLE(pkg, folder, T)()) << #T;
#define CPP_SAME_SERVICE_FUNCTION(pkg, folder, S, snake) \
  EXPECT_EQ(loaded_address(&rosidl_typesupport_cpp::get_service_type_support_handle<pkg::folder::S>), \
    loaded_address(&MSGDEF_TYPESUPPORT_CPP_SERVICE_HANDLE(pkg, folder, S))) << #S; \
  EXPECT_EQ(rosidl_typesupport_cpp::get_service_type_support_handle<pkg::folder::S>(), \
    MSGDEF_TYPESUPPORT_CPP_SERVICE_HANDLE(pkg, folder, S)()) << #S;

TEST(DispatchHandlesCpp, SpecialisationAndCLinkageNameAreOneFunction)
{
  velmari_messages__MESSAGES(CPP_SAME_MESSAGE_FUNCTION)
  velmari_messages__SERVICES(CPP_SAME_SERVICE_FUNCTION)
  navunit_common_msgs__MESSAGES(CPP_SAME_MESSAGE_FUNCTION)
}

TEST(DispatchHandlesC, ACClientReachesTheSameHandles)
{
  EXPECT_EQ(c_client_control_handle(),
    rosidl_typesupport_c__get_message_type_support_handle__velmari_messages__msg__Control());
  EXPECT_EQ(c_client_velmari_ego_cache_handle(),
    rosidl_typesupport_c__get_message_type_support_handle__navunit_common_msgs__msg__VelmariEgoCache());
  EXPECT_EQ(c_client_add_three_ints_handle(),
    rosidl_typesupport_c__get_service_type_support_handle__velmari_messages__srv__AddThreeInts());
}

TEST(DispatchHandles, CompleteBeforeAnyClientCode)
{
  EXPECT_EQ(identifier_at_start, rosidl_typesupport_c__typesupport_identifier);
  EXPECT_EQ(data_at_start,
    rosidl_typesupport_cpp::get_service_type_support_handle<velmari_messages::srv::AddThreeInts>()->data);
}

TYPED_TEST(DispatchHandles, AnUnlistedIdentifierLoadsNothing)
{
  for (const Entry & e : TypeParam::entries()) {
    SCOPED_TRACE(e.type);
    const char * other_flavour = TypeParam::suffix == std::string("c") ?
      "rosidl_typesupport_fastrtps_cpp" : "rosidl_typesupport_fastrtps_c";
    const void * found = e.service ?
      static_cast<const void *>(static_cast<const rosidl_service_type_support_t *>(e.handle)->func(
        static_cast<const rosidl_service_type_support_t *>(e.handle), other_flavour)) :
      static_cast<const void *>(static_cast<const rosidl_message_type_support_t *>(e.handle)->func(
        static_cast<const rosidl_message_type_support_t *>(e.handle), other_flavour));
    EXPECT_EQ(found, nullptr);
    EXPECT_TRUE(rcutils_error_is_set());
    rcutils_reset_error();
    EXPECT_EQ(e.map->data[0], nullptr);
    EXPECT_EQ(e.map->data[1], nullptr);
  }
}

// What the handle's own lookup gives for `identifier`, message or service alike.
const void * looked_up(const Entry & e, const char * identifier)
{
  if (e.service) {
    const auto * handle = static_cast<const rosidl_service_type_support_t *>(e.handle);
    return handle->func(handle, identifier);
  }
  const auto * handle = static_cast<const rosidl_message_type_support_t *>(e.handle);
  return handle->func(handle, identifier);
}

// Middleware threads that meet a type for the first time at once: every
// implementation of every type is loaded once and every thread gets the same
// handle (run under ThreadSanitizer as well).
TYPED_TEST(DispatchHandles, ConcurrentFirstLookupsOfEveryImplementationAgree)
{
  const std::vector<Entry> entries = TypeParam::entries();
  const std::string fastrtps = std::string("rosidl_typesupport_fastrtps_") + TypeParam::suffix;
  const std::string introspection = std::string("rosidl_typesupport_introspection_") + TypeParam::suffix;
  const char * identifiers[] = {fastrtps.c_str(), introspection.c_str()};
  constexpr int thread_count = 4;
  std::atomic<int> ready{0};
  std::vector<std::vector<const void *>> found(thread_count);
  std::vector<std::thread> threads;
  for (int t = 0; t < thread_count; ++t) {
    threads.emplace_back([&, t] {
        ready.fetch_add(1);
        while (ready.load() < thread_count) {}
        for (std::size_t k = 0; k < 2 * entries.size(); ++k) {
          // Every thread in another order, half of them the introspection first.
          const std::size_t i = (k + static_cast<std::size_t>(t) * 3) % (2 * entries.size());
          found[t].push_back(looked_up(entries[i / 2], identifiers[(i + t) % 2]));
        }
      });
  }
  for (auto & thread : threads) {
    thread.join();
  }
  std::set<const void *> handles;
  for (const Entry & e : entries) {
    for (const char * identifier : identifiers) {
      const void * handle = looked_up(e, identifier);
      ASSERT_NE(handle, nullptr) << e.type << " " << identifier;
      handles.insert(handle);
    }
  }
  EXPECT_EQ(handles.size(), 2 * entries.size());
  for (int t = 0; t < thread_count; ++t) {
    EXPECT_EQ(std::set<const void *>(found[t].begin(), found[t].end()), handles) << "thread " << t;
  }
}

// Lines of a command's output.
std::vector<std::string> lines_of(const std::string & command)
{
  std::vector<std::string> lines;
  FILE * pipe = popen(command.c_str(), "r");
  if (!pipe) {
    return lines;
  }
  char buffer[1024];
  while (fgets(buffer, sizeof(buffer), pipe)) {
    std::string line(buffer);
    if (!line.empty() && line.back() == '\n') {
      line.pop_back();
    }
    lines.push_back(line);
  }
  pclose(pipe);
  return lines;
}

// The ROS 2 and interface package libraries a library needs (the C++ and
// sanitizer runtimes aside).
std::vector<std::string> needed_libraries(const char * path)
{
  std::vector<std::string> needed;
  for (const std::string & line : lines_of(std::string("readelf -d '") + path + "'")) {
    const auto open = line.find("(NEEDED)");
    if (open != std::string::npos) {
      const auto from = line.find('[') + 1;
      const std::string name = line.substr(from, line.find(']') - from);
      if (name.find("rosidl") != std::string::npos || name.find("__") != std::string::npos ||
        name.find("rcutils") != std::string::npos)
      {
        needed.push_back(name);
      }
    }
  }
  return needed;
}

bool imports(const char * path, const std::string & name)
{
  for (const std::string & line : lines_of(std::string("nm -D --undefined-only -C '") + path + "'")) {
    if (line.size() >= name.size() && line.compare(line.size() - name.size(), name.size(), name) == 0) {
      return true;
    }
  }
  return false;
}

TEST(DispatchLibraries, LinkOnlyTheirRuntime)
{
#if defined(_WIN32)
  GTEST_SKIP() << "reads the library with the host's ELF tools; a DLL's export table is "
    "checked by the exports tests";
#endif
  EXPECT_EQ(needed_libraries(PATH_velmari_messages__rosidl_typesupport_c),
    std::vector<std::string>{"librosidl_typesupport_c.so"});
  EXPECT_EQ(needed_libraries(PATH_navunit_common_msgs__rosidl_typesupport_c),
    std::vector<std::string>{"librosidl_typesupport_c.so"});
  EXPECT_EQ(needed_libraries(PATH_velmari_messages__rosidl_typesupport_cpp),
    std::vector<std::string>{"librosidl_typesupport_cpp.so"});
  EXPECT_EQ(needed_libraries(PATH_navunit_common_msgs__rosidl_typesupport_cpp),
    std::vector<std::string>{"librosidl_typesupport_cpp.so"});
}

TEST(DispatchLibraries, OnlyAPackageWithAServiceImportsTheServiceLookup)
{
#if defined(_WIN32)
  GTEST_SKIP() << "reads the library with the host's ELF tools; a DLL's export table is "
    "checked by the exports tests";
#endif
  EXPECT_TRUE(imports(PATH_velmari_messages__rosidl_typesupport_c,
    "rosidl_typesupport_c__get_service_typesupport_handle_function"));
  EXPECT_FALSE(imports(PATH_navunit_common_msgs__rosidl_typesupport_c,
    "rosidl_typesupport_c__get_service_typesupport_handle_function"));
  EXPECT_TRUE(imports(PATH_navunit_common_msgs__rosidl_typesupport_c,
    "rosidl_typesupport_c__get_message_typesupport_handle_function"));
  EXPECT_TRUE(imports(PATH_velmari_messages__rosidl_typesupport_cpp,
    "rosidl_typesupport_cpp::get_service_typesupport_handle_function(rosidl_service_type_support_t const*, char const*)"));
  EXPECT_FALSE(imports(PATH_navunit_common_msgs__rosidl_typesupport_cpp,
    "rosidl_typesupport_cpp::get_service_typesupport_handle_function(rosidl_service_type_support_t const*, char const*)"));
}

// Exported names, demangled; AddressSanitizer's ODR indicators aside.
std::set<std::string> exports(const char * path)
{
  std::set<std::string> names;
  for (const std::string & line : lines_of(std::string("nm -D --defined-only -C '") + path + "'")) {
    const auto type = line.find(' ');
    const auto name = line.find(' ', type + 1);
    if (name != std::string::npos && line.compare(name + 1, 11, "__odr_asan.") != 0) {
      names.insert(line.substr(name + 1));
    }
  }
  return names;
}

TEST(Runtimes, ExportTheirInterfaceAndNothingElse)
{
#if defined(_WIN32)
  GTEST_SKIP() << "reads the library with the host's ELF tools; a DLL's export table is "
    "checked by the exports tests";
#endif
  if (!MSGDEF_EXACT_EXPORTS) {
    GTEST_SKIP() << "sanitizer instrumentation exports symbols of its own";
  }
  EXPECT_EQ(exports(PATH_rosidl_typesupport_c), (std::set<std::string>{
    "rosidl_typesupport_c__get_message_typesupport_handle_function",
    "rosidl_typesupport_c__get_service_typesupport_handle_function",
    "rosidl_typesupport_c__typesupport_identifier"}));
  EXPECT_EQ(exports(PATH_rosidl_typesupport_cpp), (std::set<std::string>{
    "rosidl_typesupport_cpp::typesupport_identifier",
    "rosidl_typesupport_cpp::get_message_typesupport_handle_function("
    "rosidl_message_type_support_t const*, char const*)",
    "rosidl_typesupport_cpp::get_service_typesupport_handle_function("
    "rosidl_service_type_support_t const*, char const*)"}));
}

}  // namespace
