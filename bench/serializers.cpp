// Serialize, deserialize and size of every message type, reached as a
// middleware reaches them: the C and C++ dispatch handles, asked for the
// Fast-CDR implementation by identifier, give the callbacks record. Beside
// them the hand-written peer (peer.hpp), reached through its own callbacks
// record, and memcpy of the same bytes.
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "cases.hpp"
#include "fastcdr/Cdr.h"
#include "fastcdr/FastBuffer.h"
#include "../msgdef_tests/support/field_walk.hpp"
#include "msgdef/fields.hpp"
#include "msgdef/typesupport_c.h"
#include "msgdef/typesupport_cpp.hpp"
#include "peer.hpp"
#include "rosidl_runtime_c/string_functions.h"
#include "rosidl_typesupport_fastrtps_cpp/message_type_support.h"

#include "builtin_interfaces/msgdef_package.h"
#include "builtin_interfaces/msgdef_package.hpp"
#include "navunit_common_msgs/msgdef_package.h"
#include "navunit_common_msgs/msgdef_package.hpp"
#include "std_msgs/msgdef_package.h"
#include "std_msgs/msgdef_package.hpp"
#include "velmari_messages/msgdef_package.h"
#include "velmari_messages/msgdef_package.hpp"

MSGDEF_TYPESUPPORT_C_DECLARE(velmari_messages)
MSGDEF_TYPESUPPORT_C_DECLARE(navunit_common_msgs)

namespace bench
{
namespace
{

using eprosima::fastcdr::Cdr;
using eprosima::fastcdr::FastBuffer;

const message_type_support_callbacks_t * fastcdr_callbacks(
  const rosidl_message_type_support_t * dispatch, const char * identifier)
{
  const rosidl_message_type_support_t * handle = dispatch->func(dispatch, identifier);
  if (!handle) {
    throw std::runtime_error(std::string("no ") + identifier + " type support");
  }
  return static_cast<const message_type_support_callbacks_t *>(handle->data);
}

using field_walk::fields_of;

void set_text(rosidl_runtime_c__String & s, const char * text)
{
  if (!rosidl_runtime_c__String__assign(&s, text)) {
    throw std::bad_alloc();
  }
}
void set_text(std::string & s, const char * text) {s = text;}

// Field values: distinct per field, the frame id "base_link".
template<class M>
void fill(M & msg, unsigned & n)
{
  msgdef::for_each(fields_of(msg), [&](const auto & f) {
      auto & member = msg.*f.member;
      using T = std::decay_t<decltype(member)>;
      if constexpr (std::is_same_v<T, bool>) {
        member = true;
      } else if constexpr (std::is_arithmetic_v<T>) {
        member = static_cast<T>(++n * 3);
      } else if constexpr (std::is_same_v<T, rosidl_runtime_c__String> ||
      std::is_same_v<T, std::string>)
      {
        set_text(member, "base_link");
      } else {
        fill(member, n);
      }
    });
}

// A stream over a buffer of its own, for writing, or over given bytes, for reading.
struct Stream
{
  std::vector<char> bytes;
  FastBuffer buffer;
  Cdr cdr;
  explicit Stream(std::vector<char> data)
  : bytes(std::move(data)), buffer(bytes.data(), bytes.size()),
    cdr(buffer, Cdr::LITTLE_ENDIANNESS, Cdr::DDS_CDR) {}
};

// One message type: C, C++ and peer messages holding the same values.
template<class C, class Cpp, class Peer>
struct TypeBench
{
  C c{};
  Cpp cpp;
  Peer peer;
  const message_type_support_callbacks_t * c_callbacks;
  const message_type_support_callbacks_t * cpp_callbacks;
  const message_type_support_callbacks_t * peer_callbacks = &peer::callbacks<Peer>();
  Stream out{std::vector<char>(1024)};
  std::unique_ptr<Stream> in;
  std::vector<char> copy_to = std::vector<char>(1024);

  TypeBench(
    bool (* init)(C *), const rosidl_message_type_support_t * c_dispatch,
    const rosidl_message_type_support_t * cpp_dispatch)
  : c_callbacks(fastcdr_callbacks(c_dispatch, "rosidl_typesupport_fastrtps_c")),
    cpp_callbacks(fastcdr_callbacks(cpp_dispatch, "rosidl_typesupport_fastrtps_cpp"))
  {
    if (!init(&c)) {
      throw std::bad_alloc();
    }
    unsigned n = 0;
    fill(c, n);
    n = 0;
    fill(cpp, n);
    c_callbacks->cdr_serialize(&c, out.cdr);
    in = std::make_unique<Stream>(
      std::vector<char>(out.bytes.begin(), out.bytes.begin() + out.cdr.getSerializedDataLength()));
    peer_callbacks->cdr_deserialize(in->cdr, &peer);
    // The three write the same bytes.
    for (auto write : {+[](TypeBench & b) {b.cpp_callbacks->cdr_serialize(&b.cpp, b.out.cdr);},
        +[](TypeBench & b) {b.peer_callbacks->cdr_serialize(&b.peer, b.out.cdr);}})
    {
      out.cdr.reset();
      write(*this);
      if (out.cdr.getSerializedDataLength() != in->bytes.size() ||
        std::memcmp(out.bytes.data(), in->bytes.data(), in->bytes.size()) != 0)
      {
        throw std::logic_error("the contenders write different bytes");
      }
    }
  }

  // Every contender runs the same closure, with its own callbacks and
  // message, so that the harness costs each of them the same instructions.
  void add_cases(const std::string & name)
  {
    const std::pair<const char *, std::pair<const message_type_support_callbacks_t *, void *>>
    contenders[] = {{"c", {c_callbacks, &c}}, {"cpp", {cpp_callbacks, &cpp}},
      {"peer", {peer_callbacks, &peer}}};
    Cdr * write_to = &out.cdr;
    Cdr * read_from = &in->cdr;
    for (const auto & [contender, entry] : contenders) {
      const auto [callbacks, message] = entry;
      add(name + "/serialize/" + contender, [callbacks, message, write_to] {
          write_to->reset();
          keep(callbacks->cdr_serialize(message, *write_to));
        }, true);
    }
    add(name + "/serialize/memcpy", [this] {
        out.cdr.reset();
        std::memcpy(copy_to.data(), in->bytes.data(), in->bytes.size());
        keep(copy_to.data());
      }, true);
    for (const auto & [contender, entry] : contenders) {
      const auto [callbacks, message] = entry;
      add(name + "/deserialize/" + contender, [callbacks, message, read_from] {
          read_from->reset();
          keep(callbacks->cdr_deserialize(*read_from, message));
        }, true);
    }
    for (const auto & [contender, entry] : contenders) {
      const auto [callbacks, message] = entry;
      add(name + "/size/" + contender, [callbacks, message] {
          keep(callbacks->get_serialized_size(message));
        });
    }
  }
};

#define BENCH_TYPE(pkg, folder, T, snake) \
  (new TypeBench<pkg##__##folder##__##T, pkg::folder::T, peer::T>( \
    &pkg##__##folder##__##T##__init, MSGDEF_TYPESUPPORT_C_MESSAGE_HANDLE(pkg, folder, T)(), \
    rosidl_typesupport_cpp::get_message_type_support_handle<pkg::folder::T>()))->add_cases(#T);

}  // namespace

void add_serializer_cases()
{
  add("stream/reset/none", [] {}, false);
  static Stream stream{std::vector<char>(64)};
  add("stream/reset/cdr", [] {stream.cdr.reset();}, false);
  navunit_common_msgs__MESSAGES(BENCH_TYPE)
  velmari_messages__MESSAGES(BENCH_TYPE)
}

}  // namespace bench
