// The header's serializer reports failure, or reports chosen sizes: this
// executable interposes the std_msgs Header functions that the product
// libraries reach by name (C: the handle function and the size functions;
// C++: the typed functions) and forwards to the real ones unless told not to.
// It also interposes the default allocator, to fail the storage of a C frame id.
#if defined(_WIN32)
// This program defines the functions it replaces: declared for export, not import.
#  define RCUTILS_BUILDING_DLL
#  define ROSIDL_TYPESUPPORT_FASTRTPS_C_BUILDING_DLL_std_msgs
#  define ROSIDL_TYPESUPPORT_FASTRTPS_CPP_BUILDING_DLL_std_msgs
#endif

#include "rcutils/allocator.h"

#include <atomic>
#include <limits>

#include "../support/interpose.hpp"
#include "support.hpp"

namespace
{

using eprosima::fastcdr::Cdr;

std::atomic<bool> fail_header{false};
std::atomic<int> header_handle_fetches{0};
constexpr std::size_t kReal = std::numeric_limits<std::size_t>::max();
std::atomic<std::size_t> forced_header_size{kReal};  // the header's contribution, if forced
std::atomic<int> forced_bounded{-1};  // what the header's max-size function leaves in the flag
std::atomic<bool> fail_allocation{false};

// The C++ functions of the std_msgs serializer, by their linkage names:
// MSVC's decoration, or the Itanium mangling of GCC and Clang (MinGW too).
#if defined(_MSC_VER)
constexpr const char * kCppSerialize =
  "?cdr_serialize@typesupport_fastrtps_cpp@msg@std_msgs@@"
  "YA_NAEBU?$Header_@V?$allocator@X@std@@@23@AEAVCdr@fastcdr@eprosima@@@Z";
constexpr const char * kCppDeserialize =
  "?cdr_deserialize@typesupport_fastrtps_cpp@msg@std_msgs@@"
  "YA_NAEAVCdr@fastcdr@eprosima@@AEAU?$Header_@V?$allocator@X@std@@@23@@Z";
constexpr const char * kCppSize =
  "?get_serialized_size@typesupport_fastrtps_cpp@msg@std_msgs@@YA_KAEBU?$Header_@V?$allocator@X@std@@@23@_K@Z";
constexpr const char * kCppMaxSize =
  "?max_serialized_size_Header@typesupport_fastrtps_cpp@msg@std_msgs@@YA_KAEA_N_K@Z";
#else
constexpr const char * kCppSerialize =
  "_ZN8std_msgs3msg24typesupport_fastrtps_cpp13cdr_serializeERKNS0_7Header_ISaIvEEERN8eprosima7fastcdr3CdrE";
constexpr const char * kCppDeserialize =
  "_ZN8std_msgs3msg24typesupport_fastrtps_cpp15cdr_deserializeERN8eprosima7fastcdr3CdrERNS0_7Header_ISaIvEEE";
constexpr const char * kCppSize =
  "_ZN8std_msgs3msg24typesupport_fastrtps_cpp19get_serialized_sizeERKNS0_7Header_ISaIvEEE"
  INTERPOSE_MANGLED_SIZE_T;
constexpr const char * kCppMaxSize =
  "_ZN8std_msgs3msg24typesupport_fastrtps_cpp26max_serialized_size_HeaderERb" INTERPOSE_MANGLED_SIZE_T;
#endif

// A failing header writes or reads one byte first: the caller must keep it.
bool failing_serialize(const void *, Cdr & cdr)
{
  cdr.serialize(static_cast<char>(0x5a));
  return false;
}
bool failing_deserialize(Cdr & cdr, void *)
{
  char byte;
  cdr.deserialize(byte);
  return false;
}
const message_type_support_callbacks_t failing_callbacks = {
  "std_msgs::msg", "Header", &failing_serialize, &failing_deserialize, nullptr, nullptr};
const rosidl_message_type_support_t failing_handle = {
  "rosidl_typesupport_fastrtps_c", &failing_callbacks, nullptr};

std::size_t forced_max(bool & bounded, std::size_t size)
{
  if (forced_bounded >= 0) {
    bounded = forced_bounded != 0;
  }
  return size;
}

void * failing_reallocate(void *, size_t, void *) {return nullptr;}

}  // namespace

extern "C" rcutils_allocator_t rcutils_get_default_allocator(void)
{
  static auto next = interpose::next<rcutils_allocator_t (*)()>("rcutils_get_default_allocator");
  rcutils_allocator_t allocator = next();
  if (fail_allocation) {
    allocator.reallocate = &failing_reallocate;
  }
  return allocator;
}

extern "C" const rosidl_message_type_support_t *
rosidl_typesupport_fastrtps_c__get_message_type_support_handle__std_msgs__msg__Header(void)
{
  ++header_handle_fetches;
  if (fail_header) {
    return &failing_handle;
  }
  static auto next = interpose::next<const rosidl_message_type_support_t * (*)()>(
    "rosidl_typesupport_fastrtps_c__get_message_type_support_handle__std_msgs__msg__Header");
  return next();
}

extern "C" size_t get_serialized_size_std_msgs__msg__Header(const void * msg, size_t start)
{
  if (forced_header_size != kReal) {
    return forced_header_size;
  }
  static auto next = interpose::next<size_t (*)(const void *, size_t)>("get_serialized_size_std_msgs__msg__Header");
  return next(msg, start);
}

extern "C" size_t max_serialized_size_std_msgs__msg__Header(bool & bounded, size_t start)
{
  if (forced_header_size != kReal) {
    return forced_max(bounded, forced_header_size);
  }
  static auto next = interpose::next<size_t (*)(bool &, size_t)>("max_serialized_size_std_msgs__msg__Header");
  return next(bounded, start);
}

namespace std_msgs::msg::typesupport_fastrtps_cpp
{

bool cdr_serialize(const std_msgs::msg::Header & header, Cdr & cdr)
{
  if (fail_header) {
    return failing_serialize(&header, cdr);
  }
  static auto next = interpose::next<bool (*)(const std_msgs::msg::Header &, Cdr &)>(kCppSerialize);
  return next(header, cdr);
}

bool cdr_deserialize(Cdr & cdr, std_msgs::msg::Header & header)
{
  if (fail_header) {
    return failing_deserialize(cdr, &header);
  }
  static auto next = interpose::next<bool (*)(Cdr &, std_msgs::msg::Header &)>(kCppDeserialize);
  return next(cdr, header);
}

size_t get_serialized_size(const std_msgs::msg::Header & header, size_t start)
{
  if (forced_header_size != kReal) {
    return forced_header_size;
  }
  static auto next = interpose::next<size_t (*)(const std_msgs::msg::Header &, size_t)>(kCppSize);
  return next(header, start);
}

size_t max_serialized_size_Header(bool & bounded, size_t start)
{
  if (forced_header_size != kReal) {
    return forced_max(bounded, forced_header_size);
  }
  static auto next = interpose::next<size_t (*)(bool &, size_t)>(kCppMaxSize);
  return next(bounded, start);
}

}  // namespace std_msgs::msg::typesupport_fastrtps_cpp

#if defined(_WIN32)
namespace
{
namespace cpp = std_msgs::msg::typesupport_fastrtps_cpp;
template<class F>
void * address(F * f) {return reinterpret_cast<void *>(f);}

// Before main: the libraries this program links are loaded by then.
const bool redirected = [] {
    interpose::redirect("rcutils_get_default_allocator", address(&rcutils_get_default_allocator));
    interpose::redirect(
      "rosidl_typesupport_fastrtps_c__get_message_type_support_handle__std_msgs__msg__Header",
      address(&rosidl_typesupport_fastrtps_c__get_message_type_support_handle__std_msgs__msg__Header));
    interpose::redirect("get_serialized_size_std_msgs__msg__Header",
      address(&get_serialized_size_std_msgs__msg__Header));
    interpose::redirect("max_serialized_size_std_msgs__msg__Header",
      address(&max_serialized_size_std_msgs__msg__Header));
    interpose::redirect(kCppSerialize,
      address(static_cast<bool (*)(const std_msgs::msg::Header &, Cdr &)>(&cpp::cdr_serialize)));
    interpose::redirect(kCppDeserialize,
      address(static_cast<bool (*)(Cdr &, std_msgs::msg::Header &)>(&cpp::cdr_deserialize)));
    interpose::redirect(kCppSize,
      address(static_cast<size_t (*)(const std_msgs::msg::Header &, size_t)>(&cpp::get_serialized_size)));
    interpose::redirect(kCppMaxSize, address(&cpp::max_serialized_size_Header));
    return true;
  }();
}  // namespace
#endif

namespace fastcdr_test
{
namespace
{

struct Injected : testing::Test
{
  void TearDown() override
  {
    fail_header = false;
    fail_allocation = false;
    forced_header_size = kReal;
    forced_bounded = -1;
  }
};

// Calls f(Traits<C>{}) for the types with a header.
template<class F>
void for_each_type_with_header(F && f)
{
  f(Traits<velmari_messages__msg__Control>{});
  f(Traits<velmari_messages__msg__EgoState>{});
  f(Traits<navunit_common_msgs__msg__Zodizu610>{});
}

TEST_F(Injected, CSerializerStopsAtOnceWhenTheHeaderFails)
{
  for_each_type_with_header([](auto t) {
      using T = decltype(t);
      SCOPED_TRACE(T::name);
      CMessage<typename T::c_type> msg;
      fill(msg.msg);
      fail_header = true;
      Stream out(kRoom);
      EXPECT_FALSE(callbacks_of(T::c_handle())->cdr_serialize(&msg.msg, out.cdr));
      EXPECT_EQ(out.written(), Bytes{0x5a}) << "what the header wrote stays, nothing follows";

      CMessage<typename T::c_type> before;
      fill(before.msg);
      Stream in(Bytes(kRoom, 0));
      EXPECT_FALSE(callbacks_of(T::c_handle())->cdr_deserialize(in.cdr, &msg.msg));
      EXPECT_EQ(in.position(), 1u);
      EXPECT_TRUE(T::are_equal(&msg.msg, &before.msg)) << "the fields after the header are kept";
    });
}

TEST_F(Injected, CppSerializerStopsAtOnceWhenTheHeaderFails)
{
  for_each_type_with_header([](auto t) {
      using T = decltype(t);
      SCOPED_TRACE(T::name);
      typename T::cpp_type msg;
      fill(msg);
      const typename T::cpp_type before = msg;
      fail_header = true;
      Stream out(kRoom);
      EXPECT_FALSE(T::cpp_serialize(msg, out.cdr));
      EXPECT_EQ(out.written(), Bytes{0x5a});
      Stream out_by_callback(kRoom);
      EXPECT_FALSE(callbacks_of(T::cpp_handle())->cdr_serialize(&msg, out_by_callback.cdr));
      EXPECT_EQ(out_by_callback.written(), Bytes{0x5a});

      Stream in(Bytes(kRoom, 0));
      EXPECT_FALSE(T::cpp_deserialize(in.cdr, msg));
      EXPECT_EQ(in.position(), 1u);
      Stream in_by_callback(Bytes(kRoom, 0));
      EXPECT_FALSE(callbacks_of(T::cpp_handle())->cdr_deserialize(in_by_callback.cdr, &msg));
      EXPECT_TRUE(msg == before);
    });
}

TEST_F(Injected, NoStorageForTheCFrameIdFailsTheHeaderAndStopsTheMessage)
{
  CMessage<velmari_messages__msg__Control> written;
  set_string(written.msg.header.frame_id, "base_link");
  written.msg.gear = 4;
  const Bytes bytes = c_bytes(written.msg);

  // Shorter or longer than the text read: the buffer is made exactly its size.
  for (const char * old : {"old", "an old frame id, longer"}) {
    CMessage<velmari_messages__msg__Control> read;
    set_string(read.msg.header.frame_id, old);
    read.msg.gear = -1;
    fail_allocation = true;
    Stream in(bytes);
    EXPECT_FALSE(callbacks_of(Traits<velmari_messages__msg__Control>::c_handle())->cdr_deserialize(
        in.cdr, &read.msg));
    fail_allocation = false;
    EXPECT_STREQ(read.msg.header.frame_id.data, old);
    EXPECT_EQ(read.msg.gear, -1);
  }
  // A text without its NUL, read into a buffer of its length: the bytes went
  // straight in, and the one more byte for the NUL cannot be had.
  Bytes no_nul = bytes;
  no_nul.resize(12);
  for (const char c : {'a', 'b', 'c'}) {
    no_nul.push_back(static_cast<unsigned char>(c));
  }
  no_nul[8] = 3;  // the length prefix
  CMessage<std_msgs__msg__Header> header;
  set_string(header.msg.frame_id, "xy");
  fail_allocation = true;
  Stream in(no_nul);
  EXPECT_FALSE(callbacks_of(Traits<std_msgs__msg__Header>::c_handle())->cdr_deserialize(
      in.cdr, &header.msg));
  fail_allocation = false;
  EXPECT_STREQ(header.msg.frame_id.data, "ab") << "the text but its last byte";
  EXPECT_EQ(header.msg.frame_id.size, 2u);
}

TEST_F(Injected, CSerializerFetchesTheHeaderHandleOnEveryCall)
{
  CMessage<velmari_messages__msg__Control> msg;
  header_handle_fetches = 0;
  Stream out(kRoom);
  ASSERT_TRUE(callbacks_of(Traits<velmari_messages__msg__Control>::c_handle())->cdr_serialize(
      &msg.msg, out.cdr));
  ASSERT_TRUE(callbacks_of(Traits<velmari_messages__msg__Control>::c_handle())->cdr_serialize(
      &msg.msg, out.cdr));
  EXPECT_EQ(header_handle_fetches, 2);
}

// Size of type C from start offset 0 when the header contributes `header`, both flavours.
template<class C>
std::size_t size_with_header(std::size_t header)
{
  forced_header_size = header;
  CMessage<C> c;
  typename Traits<C>::cpp_type cpp;
  const std::size_t size = Traits<C>::c_size(&c.msg, 0);
  EXPECT_EQ(Traits<C>::cpp_size(cpp, 0), size);
  bool flag = true;
  EXPECT_EQ(Traits<C>::c_max(flag, 0), size);
  EXPECT_EQ(Traits<C>::cpp_max(flag, 0), size);
  return size;
}

TEST_F(Injected, SizesFollowWhateverTheHeaderReports)
{
  EXPECT_EQ(size_with_header<navunit_common_msgs__msg__Zodizu610>(12), 114u);
  EXPECT_EQ(size_with_header<navunit_common_msgs__msg__Zodizu610>(13), 122u);
  EXPECT_EQ(size_with_header<navunit_common_msgs__msg__Zodizu610>(16), 122u);
  EXPECT_EQ(size_with_header<velmari_messages__msg__Control>(13), 48u);
  EXPECT_EQ(size_with_header<velmari_messages__msg__Control>(16), 56u);
  EXPECT_EQ(size_with_header<velmari_messages__msg__EgoState>(13), 72u);
  EXPECT_EQ(size_with_header<velmari_messages__msg__EgoState>(16), 72u);
}

TEST_F(Injected, MaxSizeLeavesTheFlagAsTheHeaderLeftIt)
{
  forced_header_size = 13;
  for (int header_leaves : {0, 1}) {
    forced_bounded = header_leaves;
    for (bool initial : {true, false}) {
      bool flag = initial;
      max_serialized_size_navunit_common_msgs__msg__Zodizu610(flag, 0);
      EXPECT_EQ(flag, header_leaves != 0);
      flag = initial;
      navunit_common_msgs::msg::typesupport_fastrtps_cpp::max_serialized_size_Zodizu610(flag, 0);
      EXPECT_EQ(flag, header_leaves != 0);
    }
  }
}

TEST_F(Injected, SizeCallbacksKeepTheLow32Bits)
{
  forced_header_size = (std::size_t{1} << 32) + 3;  // Control: 2^32 + 3 + 1 + 4 gap + 32
  CMessage<velmari_messages__msg__Control> c;
  velmari_messages::msg::Control cpp;
  EXPECT_EQ(get_serialized_size_velmari_messages__msg__Control(&c.msg, 0), (std::size_t{1} << 32) + 40);
  EXPECT_EQ(callbacks_of(Traits<velmari_messages__msg__Control>::c_handle())
    ->get_serialized_size(&c.msg), 40u);
  EXPECT_EQ(callbacks_of(Traits<velmari_messages__msg__Control>::cpp_handle())
    ->get_serialized_size(&cpp), 40u);
}

}  // namespace
}  // namespace fastcdr_test
