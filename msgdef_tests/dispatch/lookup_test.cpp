// The lookups of both type support runtimes, against maps of a fake package
// whose per-kind libraries this test group builds.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstddef>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include "loader.hpp"
#include "rcutils/error_handling.h"
#include "rosidl_typesupport_c/identifier.h"
#include "rosidl_typesupport_c/message_type_support_dispatch.h"
#include "rosidl_typesupport_c/service_type_support_dispatch.h"
#include "rosidl_typesupport_c/type_support_map.h"
#include "rosidl_typesupport_cpp/identifier.hpp"
#include "rosidl_typesupport_cpp/message_type_support_dispatch.hpp"
#include "rosidl_typesupport_cpp/service_type_support_dispatch.hpp"
#include "rosidl_typesupport_cpp/type_support_map.h"

namespace
{

struct CRuntime
{
  static const char * identifier() {return rosidl_typesupport_c__typesupport_identifier;}
  static inline const auto message_lookup = &rosidl_typesupport_c__get_message_typesupport_handle_function;
  static inline const auto service_lookup = &rosidl_typesupport_c__get_service_typesupport_handle_function;
};

struct CppRuntime
{
  static const char * identifier() {return rosidl_typesupport_cpp::typesupport_identifier;}
  static inline const auto message_lookup = &rosidl_typesupport_cpp::get_message_typesupport_handle_function;
  static inline const auto service_lookup = &rosidl_typesupport_cpp::get_service_typesupport_handle_function;
};

// A dispatch handle of package fakepkg over `entries` (identifier, symbol).
template<class Runtime, class Handle = rosidl_message_type_support_t>
struct FakeDispatch
{
  static constexpr std::size_t capacity = 4;
  const char * identifiers[capacity] = {};
  const char * symbols[capacity] = {};
  void * slots[capacity] = {};
  type_support_map_t map;
  Handle handle;

  FakeDispatch(std::initializer_list<std::pair<const char *, const char *>> entries)
  : map{entries.size(), "fakepkg", identifiers, symbols, slots},
    handle{Runtime::identifier(), &map, lookup()}
  {
    std::size_t i = 0;
    for (const auto & entry : entries) {
      identifiers[i] = entry.first;
      symbols[i++] = entry.second;
    }
  }

  static auto lookup()
  {
    if constexpr (std::is_same_v<Handle, rosidl_message_type_support_t>) {
      return Runtime::message_lookup;
    } else {
      return Runtime::service_lookup;
    }
  }

  const Handle * get(const char * identifier) const {return handle.func(&handle, identifier);}
};

constexpr const char * thing_a = "fake_kind_a__get_message_type_support_handle__fakepkg__msg__Thing";

std::string take_error()
{
  EXPECT_TRUE(rcutils_error_is_set());
  std::string text = rcutils_get_error_string().str;
  rcutils_reset_error();
  return text;
}

template<class Runtime>
class Lookup : public ::testing::Test
{
protected:
  void SetUp() override {rcutils_reset_error();}
};
using Runtimes = ::testing::Types<CRuntime, CppRuntime>;
// The name generator named, so that no variadic argument is left empty.
TYPED_TEST_SUITE(Lookup, Runtimes, ::testing::internal::DefaultNameGenerator);

TYPED_TEST(Lookup, LoadsTheNamedLibraryKeepsItInTheSlotAndReturnsItsHandle)
{
  FakeDispatch<TypeParam> dispatch{{"fake_kind_b", "unused"}, {"fake_kind_a", thing_a}};
  EXPECT_EQ(dispatch.slots[1], nullptr);
  const rosidl_message_type_support_t * found = dispatch.get("fake_kind_a");
  ASSERT_NE(found, nullptr) << take_error();
  EXPECT_STREQ(found->typesupport_identifier, "fake_kind_a");
  EXPECT_EQ(dispatch.slots[0], nullptr) << "only the requested entry is loaded";
  ASSERT_NE(dispatch.slots[1], nullptr);
  EXPECT_EQ(dispatch.slots[1], loader::loaded(loader::file_name("fakepkg__fake_kind_a")));
  EXPECT_FALSE(rcutils_error_is_set());

  // Found again through the kept library, not by loading it anew.
  void * kept = dispatch.slots[1];
  EXPECT_EQ(dispatch.get("fake_kind_a"), found);
  EXPECT_EQ(dispatch.slots[1], kept);
}

TYPED_TEST(Lookup, ServiceHandlesAreLookedUpTheSameWay)
{
  FakeDispatch<TypeParam, rosidl_service_type_support_t> dispatch{
    {"fake_kind_a", "fake_kind_a__get_service_type_support_handle__fakepkg__srv__Ask"}};
  const rosidl_service_type_support_t * found = dispatch.get("fake_kind_a");
  ASSERT_NE(found, nullptr) << take_error();
  EXPECT_STREQ(found->typesupport_identifier, "fake_kind_a");
  EXPECT_EQ(dispatch.get("fake_kind_z"), nullptr);
  EXPECT_NE(take_error().find("fake_kind_z"), std::string::npos);
}

TYPED_TEST(Lookup, IdentifierComparedAsTextNotByAddress)
{
  FakeDispatch<TypeParam> dispatch{{"fake_kind_a", thing_a}};
  const std::string requested = "fake_kind_a";  // another copy of the text
  EXPECT_NE(dispatch.get(requested.c_str()), nullptr) << take_error();
}

TYPED_TEST(Lookup, FailuresGiveNullAndNameWhatIsMissing)
{
  FakeDispatch<TypeParam> dispatch{
    {"fake_kind_missing", "fake_kind_missing__get_message_type_support_handle__fakepkg__msg__Thing"},
    {"fake_kind_a", "no_such_symbol"},
  };

  EXPECT_EQ(dispatch.get("fake_kind_unlisted"), nullptr);
  std::string error = take_error();
  EXPECT_NE(error.find("fake_kind_unlisted"), std::string::npos) << error;
  EXPECT_NE(error.find("fakepkg"), std::string::npos) << error;

  EXPECT_EQ(dispatch.get("fake_kind_missing"), nullptr);
  error = take_error();
  EXPECT_NE(error.find("fakepkg__fake_kind_missing"), std::string::npos) << error;
  EXPECT_EQ(dispatch.slots[0], nullptr) << "nothing kept for a library that failed to load";

  EXPECT_EQ(dispatch.get("fake_kind_a"), nullptr);
  error = take_error();
  EXPECT_NE(error.find("no_such_symbol"), std::string::npos) << error;
  EXPECT_NE(error.find("fakepkg__fake_kind_a"), std::string::npos) << error;

  // A missing library is not remembered as missing: asked again, it fails again.
  EXPECT_EQ(dispatch.get("fake_kind_missing"), nullptr);
  take_error();
}

TYPED_TEST(Lookup, AHandleFunctionThatGivesNoHandleIsReported)
{
  FakeDispatch<TypeParam> dispatch{
    {"fake_kind_a", "fake_kind_a__get_message_type_support_handle__fakepkg__msg__Nothing"}};
  EXPECT_EQ(dispatch.get("fake_kind_a"), nullptr);
  EXPECT_NE(take_error().find("Nothing"), std::string::npos);
}

TYPED_TEST(Lookup, AHandleOfTheRequestedIdentifierIsReturnedAsItIs)
{
  FakeDispatch<TypeParam> dispatch{{"fake_kind_a", thing_a}};
  EXPECT_EQ(dispatch.get(TypeParam::identifier()), &dispatch.handle);

  // Also for a handle of another kind, which has no map at all.
  const rosidl_message_type_support_t other = {"some_kind", nullptr, TypeParam::message_lookup};
  EXPECT_EQ(other.func(&other, "some_kind"), &other);
  EXPECT_FALSE(rcutils_error_is_set());
}

TYPED_TEST(Lookup, BadArgumentsAndForeignHandlesGiveNullInsteadOfACrash)
{
  EXPECT_EQ(TypeParam::message_lookup(nullptr, "fake_kind_a"), nullptr);
  take_error();
  FakeDispatch<TypeParam> dispatch{{"fake_kind_a", thing_a}};
  EXPECT_EQ(dispatch.get(nullptr), nullptr);
  take_error();

  // Data of a handle that is not this runtime's is not a map of this runtime.
  int not_a_map = 0;
  const rosidl_message_type_support_t foreign = {"some_kind", &not_a_map, TypeParam::message_lookup};
  EXPECT_EQ(foreign.func(&foreign, "fake_kind_a"), nullptr);
  EXPECT_NE(take_error().find("some_kind"), std::string::npos);
  const rosidl_message_type_support_t unnamed = {nullptr, &not_a_map, TypeParam::message_lookup};
  EXPECT_EQ(unnamed.func(&unnamed, "fake_kind_a"), nullptr);
  take_error();
  const rosidl_message_type_support_t empty = {TypeParam::identifier(), nullptr, TypeParam::message_lookup};
  EXPECT_EQ(empty.func(&empty, "fake_kind_a"), nullptr);
  take_error();

  // Maps with holes.
  FakeDispatch<TypeParam> holes{{nullptr, thing_a}, {"fake_kind_a", nullptr}};
  EXPECT_EQ(holes.get("fake_kind_a"), nullptr);
  take_error();
  EXPECT_EQ(holes.slots[1], nullptr);
  holes.map.package_name = nullptr;
  EXPECT_EQ(holes.get("fake_kind_a"), nullptr);
  take_error();
}

TEST(LookupC, RuntimesServeOnlyTheirOwnHandles)
{
  // A C++ dispatch handle handed to the C lookup, and the other way round.
  FakeDispatch<CppRuntime> cpp{{"fake_kind_a", thing_a}};
  EXPECT_EQ(rosidl_typesupport_c__get_message_typesupport_handle_function(&cpp.handle, "fake_kind_a"),
    nullptr);
  take_error();
  FakeDispatch<CRuntime> c{{"fake_kind_a", thing_a}};
  EXPECT_EQ(rosidl_typesupport_cpp::get_message_typesupport_handle_function(&c.handle, "fake_kind_a"),
    nullptr);
  take_error();
  EXPECT_EQ(cpp.slots[0], nullptr);
  EXPECT_EQ(c.slots[0], nullptr);
}

TYPED_TEST(Lookup, FallsBackToTheLoadersSearch)
{
  // Not beside the runtime; once the process holds it, the loader finds it by name.
  FakeDispatch<TypeParam> dispatch{{"fake_kind_elsewhere",
      "fake_kind_elsewhere__get_message_type_support_handle__fakepkg__msg__Thing"}};
  if (!loader::loaded(loader::file_name("fakepkg__fake_kind_elsewhere"))) {
    EXPECT_EQ(dispatch.get("fake_kind_elsewhere"), nullptr);
    take_error();
  }

  void * held = loader::open(FAKE_ELSEWHERE_PATH);
  ASSERT_NE(held, nullptr) << loader::error();
  const rosidl_message_type_support_t * found = dispatch.get("fake_kind_elsewhere");
  ASSERT_NE(found, nullptr) << take_error();
  EXPECT_STREQ(found->typesupport_identifier, "fake_kind_elsewhere");
}

TYPED_TEST(Lookup, ThreadsRacingOnAFirstLookupLoadTheLibraryOnce)
{
  FakeDispatch<TypeParam> dispatch{{"fake_kind_race",
      "fake_kind_race__get_message_type_support_handle__fakepkg__msg__Thing"}};
  constexpr int thread_count = 8;
  std::atomic<int> waiting{thread_count};
  std::array<const rosidl_message_type_support_t *, thread_count> found{};
  std::vector<std::thread> threads;
  for (int t = 0; t < thread_count; ++t) {
    threads.emplace_back([&, t] {
        --waiting;
        while (waiting.load() > 0) {}
        for (int call = 0; call < 100; ++call) {
          const rosidl_message_type_support_t * handle = dispatch.get("fake_kind_race");
          if (call == 0) {
            found[t] = handle;
          } else if (handle != found[t]) {
            found[t] = nullptr;
          }
        }
      });
  }
  for (auto & thread : threads) {
    thread.join();
  }
  ASSERT_NE(found[0], nullptr);
  for (const auto * handle : found) {
    EXPECT_EQ(handle, found[0]);
  }
  ASSERT_NE(dispatch.slots[0], nullptr);
  using Count = int (*)();
  auto initialisations = reinterpret_cast<Count>(loader::symbol(dispatch.slots[0], "fakepkg_initialisations"));
  ASSERT_NE(initialisations, nullptr);
  EXPECT_EQ(initialisations(), 1);

  // The slot holds the only reference: racing loads leaked none. Releasing
  // it unloads the library (and leaves this map as it was before).
  loader::close(dispatch.slots[0]);
  dispatch.slots[0] = nullptr;
  EXPECT_EQ(loader::loaded(FAKE_RACE_FILE), nullptr);
}

TEST(TypeSupportMap, LayoutOfTheRecord)
{
  using M = type_support_map_t;
  EXPECT_EQ(offsetof(M, size), 0u);
  EXPECT_EQ(offsetof(M, package_name), sizeof(size_t));
  EXPECT_EQ(offsetof(M, typesupport_identifier), sizeof(size_t) + sizeof(void *));
  EXPECT_EQ(offsetof(M, symbol_name), sizeof(size_t) + 2 * sizeof(void *));
  EXPECT_EQ(offsetof(M, data), sizeof(size_t) + 3 * sizeof(void *));
  EXPECT_EQ(sizeof(M), sizeof(size_t) + 4 * sizeof(void *));
  static_assert(std::is_same_v<decltype(M::size), const size_t>);
  static_assert(std::is_same_v<decltype(M::package_name), const char *>);
  static_assert(std::is_same_v<decltype(M::typesupport_identifier), const char * const *>);
  static_assert(std::is_same_v<decltype(M::symbol_name), const char * const *>);
  static_assert(std::is_same_v<decltype(M::data), void **>);
}

TEST(Identifiers, TextsOfBothRuntimes)
{
  EXPECT_STREQ(rosidl_typesupport_c__typesupport_identifier, "rosidl_typesupport_c");
  EXPECT_STREQ(rosidl_typesupport_cpp::typesupport_identifier, "rosidl_typesupport_cpp");
}

}  // namespace
