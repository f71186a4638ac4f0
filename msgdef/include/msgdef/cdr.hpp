// CDR wire rules shared by the Fast-CDR serializers of C and of C++ messages:
// alignment arithmetic, the stream operation of every primitive, strings, and
// the walks over a field table (msgdef/fields.hpp) that write, read and size a
// message. A nested message's descriptor carries a binding that does its part:
//   bool write(const T &, Cdr &) const;  bool read(Cdr &, T &) const;
//   size_t end(const T &, size_t offset) const;  size_t max_end(bool & bounded, size_t offset) const;
// where end/max_end return the running offset after the nested message.
//
// The walks write and read runs of primitives as blocks (msgdef/cdr_plan.hpp),
// through Fast-CDR's public interface alone: the stream operations of single
// values and of arrays, jump() to make room for a block, getCurrentPosition()
// to find it, endianness(), and the state record (copy and setState) to go
// back where a string began. The bytes and the state of the stream (position,
// alignment origin, the last width it keeps) are those that Fast-CDR's
// field-by-field calls leave.
#ifndef MSGDEF__CDR_HPP_
#define MSGDEF__CDR_HPP_

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>

#include "fastcdr/Cdr.h"
#include "fastcdr/exceptions/NotEnoughMemoryException.h"
#include "msgdef/cdr_plan.hpp"
#include "msgdef/fields.hpp"
#include "rosidl_runtime_c/string.h"
#include "rosidl_runtime_c/string_functions.h"

// The walks and their steps are inlined into every caller, so that a
// callback is the walk itself rather than a jump to a copy shared with the
// exported function.
#if defined(_MSC_VER)
#  define MSGDEF_CDR_INLINE __forceinline
#else
#  define MSGDEF_CDR_INLINE inline __attribute__((always_inline))
#endif

namespace msgdef
{
namespace cdr
{

// Alignment. Offsets count from the stream's alignment origin (gap(): msgdef/cdr_plan.hpp).

// Running offset after a value of `width` bytes written at `offset`.
constexpr std::size_t after(std::size_t offset, std::size_t width)
{
  return offset + gap(offset, width) + width;
}

// Running offset after a string of `length` bytes: uint32 length counting
// the terminating NUL, the bytes, the NUL.
constexpr std::size_t after_string(std::size_t offset, std::size_t length)
{
  return after(offset, 4) + length + 1;
}

// Primitives, one stream operation each. -------------------------------------

template<class T>
void write_value(eprosima::fastcdr::Cdr & cdr, const T & field)
{
  if constexpr (std::is_same_v<T, bool>) {
    // C code may leave any byte in a bool; loading it as a bool is undefined
    // and Fast-CDR would write the raw byte. Write its truth value instead.
    std::uint8_t byte;
    std::memcpy(&byte, &field, 1);
    cdr.serialize(byte != 0);
  } else if constexpr (std::is_same_v<T, std::uint8_t>) {
    cdr.serialize(static_cast<char>(field));  // one octet, a number, not text
  } else {
    cdr.serialize(field);
  }
}

template<class T>
void read_value(eprosima::fastcdr::Cdr & cdr, T & field)
{
  if constexpr (std::is_same_v<T, bool> || std::is_same_v<T, std::uint8_t>) {
    // Fast-CDR's bool read throws on bytes other than 0 and 1; any non-zero is true.
    char byte;
    cdr.deserialize(byte);
    field = std::is_same_v<T, bool> ? T(byte != 0) : static_cast<T>(byte);
  } else {
    cdr.deserialize(field);
  }
}

// Strings: C (rosidl_runtime_c__String) and C++ (std::string) alike. ---------

inline const char * string_data(const rosidl_runtime_c__String & s) {return s.data;}
inline std::size_t string_size(const rosidl_runtime_c__String & s) {return s.size;}
inline const char * string_data(const std::string & s) {return s.data();}
inline std::size_t string_size(const std::string & s) {return s.size();}
// True when the NUL that ends the text on the wire is already in the buffer.
inline bool nul_in_place(const rosidl_runtime_c__String & s)
{
  return s.data && s.capacity > s.size && s.data[s.size] == '\0';
}
inline bool nul_in_place(const std::string &) {return true;}

// False when the string cannot be written: its length does not fit the
// uint32 prefix, or a C string claims bytes without a buffer. The bytes and
// the NUL go in one stream operation when the NUL is already in place.
template<class Str>
MSGDEF_CDR_INLINE bool write_string(eprosima::fastcdr::Cdr & cdr, const Str & s)
{
  const std::size_t size = string_size(s);
  const char * data = string_data(s);
  if (size >= std::numeric_limits<std::uint32_t>::max()) {
    return false;
  }
  // Decided before the first stream call, which the compiler must assume
  // could change the string: the fields are read once.
  if (nul_in_place(s)) {  // a buffer, so no null text to check for
    cdr.serialize(static_cast<std::uint32_t>(size + 1));
    cdr.serializeArray(data, size + 1);
    return true;
  }
  if (size && !data) {
    return false;
  }
  cdr.serialize(static_cast<std::uint32_t>(size + 1));
  if (size) {
    cdr.serializeArray(data, size);
  }
  cdr.serialize('\0');
  return true;
}

// The length prefix of a string, as Fast-CDR's own string read takes it: 0
// is the empty string, anything else counts the bytes that follow, the NUL
// included. `before` is where the stream stood, for going back there when
// the bytes are not all there.
struct StringPrefix
{
  eprosima::fastcdr::Cdr::state before;
  std::uint32_t length = 0;
  explicit StringPrefix(eprosima::fastcdr::Cdr & cdr)
  : before(cdr)
  {
    cdr.deserialize(length);
  }
};

// Text length of `length` bytes that `last` ends: one NUL at the end is not text.
inline std::size_t text_size(std::uint32_t length, char last)
{
  return length - (last == '\0' ? 1u : 0u);
}

// One stream read of `size` bytes of the string into `to`: the stream checks
// them against the end of the data before it copies anything (a jump would
// grow a growable buffer instead). Where they are not all there, it goes
// back before the prefix and raises, as Fast-CDR's own string read does.
inline void read_bytes(
  eprosima::fastcdr::Cdr & cdr, StringPrefix & prefix, char * to, std::uint32_t size)
{
  try {
    cdr.deserializeArray(to, size);
  } catch (const eprosima::fastcdr::exception::NotEnoughMemoryException &) {
    cdr.setState(prefix.before);
    throw;
  }
}

// Steps over the bytes, proving them there a bounded piece at a time, and
// returns where they lie in the stream's buffer: nothing of the size the
// prefix claims is made before the bytes are known to be there.
inline const char * skip_bytes(eprosima::fastcdr::Cdr & cdr, StringPrefix & prefix)
{
  const char * bytes = cdr.getCurrentPosition();
  char piece[256];
  for (std::uint32_t left = prefix.length; left; ) {
    const std::uint32_t size = left < sizeof piece ? left : sizeof piece;
    read_bytes(cdr, prefix, piece, size);
    left -= size;
  }
  return bytes;
}

// Reads into the member, reusing its buffer when large enough. A failed read
// (the stream's exception, or bad_alloc) leaves the old value.
inline bool read_string(eprosima::fastcdr::Cdr & cdr, std::string & s)
{
  StringPrefix prefix(cdr);
  if (!prefix.length) {
    s.clear();
    return true;
  }
  const char * bytes = skip_bytes(cdr, prefix);
  const std::size_t size = text_size(prefix.length, bytes[prefix.length - 1]);
  if (size > s.capacity()) {
    s.assign(bytes, size);
  } else {
    // Within the capacity: no allocation, and a plain copy rather than
    // assign's general replacement.
    s.resize(size);
    std::memcpy(&s[0], bytes, size);
  }
  return true;
}

// Reads into the C string and leaves it as rosidl_runtime_c__String__assignn
// does, holding exactly the text and its NUL (capacity == size + 1), which
// middleware that walks the introspection tables relies on: the buffer is
// reused when it has that size, made so otherwise. False when the storage
// cannot be had, with the old value (a text that comes without its NUL into
// a buffer of its length: that text but its last byte).
inline bool read_string(eprosima::fastcdr::Cdr & cdr, rosidl_runtime_c__String & s)
{
  StringPrefix prefix(cdr);
  const std::uint32_t length = prefix.length;
  if (s.data && s.capacity == length && length) {
    // The buffer of a text of this length and its NUL, as a message read
    // before leaves it: the bytes go straight in.
    read_bytes(cdr, prefix, s.data, length);
    if (s.data[length - 1] == '\0') {
      s.size = length - 1;
      return true;
    }
    // No NUL on the wire: the text needs one byte more, and is taken again
    // from the bytes as they lie in the stream.
    if (rosidl_runtime_c__String__assignn(&s, cdr.getCurrentPosition() - length, length)) {
      return true;
    }
    s.data[length - 1] = '\0';
    s.size = length - 1;
    return false;
  }
  const char * bytes = length ? skip_bytes(cdr, prefix) : "";
  const std::size_t size = length ? text_size(length, bytes[length - 1]) : 0;
  if (!s.data || s.capacity != size + 1) {
    return rosidl_runtime_c__String__assignn(&s, bytes, size);
  }
  std::memcpy(s.data, bytes, size);
  s.data[size] = '\0';
  s.size = size;
  return true;
}

// Walks over a field table. ----------------------------------------------------

template<class F>
struct is_value : std::false_type {};
template<class S, class T>
struct is_value<msgdef::Value<S, T>>: std::true_type {};
template<class F>
struct is_string : std::false_type {};
template<class S, class T>
struct is_string<msgdef::String<S, T>>: std::true_type {};

template<class F>
constexpr bool is_value_v = is_value<std::decay_t<F>>::value;
template<class F>
constexpr bool is_string_v = is_string<std::decay_t<F>>::value;

// True for a field table of primitives alone: its size needs no message.
template<class Tuple>
struct only_values;
template<class ... F>
struct only_values<std::tuple<F...>>: std::bool_constant<(is_value_v<F>&& ...)> {};
template<class Tuple>
constexpr bool only_values_v = only_values<std::decay_t<Tuple>>::value;

// The walks take the table as a type, Table::value being the constexpr
// descriptor tuple of a message type, so that every member offset is a
// constant where the field is reached, whatever the compiler inlines.
template<class Table>
using fields_t = std::decay_t<decltype(Table::value)>;
template<class Table>
constexpr std::size_t field_count = std::tuple_size_v<fields_t<Table>>;
template<class Table, std::size_t I>
constexpr const auto & field = std::get<I>(Table::value);
template<class Table, std::size_t I>
using value_t = typename std::tuple_element_t<I, fields_t<Table>>::type;

// The plans of a table (msgdef/cdr_plan.hpp), worked out when the library is built.
template<class F>
constexpr Shape shape_of(const F & f)
{
  if constexpr (is_value_v<F>) {
    using T = typename std::decay_t<F>::type;
    static_assert(sizeof(T) <= 8 && (sizeof(T) & (sizeof(T) - 1)) == 0, "widths 1, 2, 4, 8");
    return {true, std::is_same_v<T, bool>, sizeof(T), f.offset};
  } else {
    return {false, false, 0, f.offset};
  }
}

template<class Table, std::size_t ... I>
constexpr std::array<Shape, sizeof...(I)> shapes_of(std::index_sequence<I...>)
{
  return {{shape_of(field<Table, I>)...}};
}

template<class Table>
struct Plans
{
  static constexpr auto shapes = shapes_of<Table>(std::make_index_sequence<field_count<Table>>());
  static constexpr auto write = plan_message(shapes, false);
  static constexpr auto read = plan_message(shapes, true);
};

// Byte order of the machine; Fast-CDR swaps the bytes of a stream of the other.
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
constexpr auto kHostEndianness = eprosima::fastcdr::Cdr::BIG_ENDIANNESS;
#else
constexpr auto kHostEndianness = eprosima::fastcdr::Cdr::LITTLE_ENDIANNESS;
#endif

// The integer of a width, whose array reads a block.
template<std::size_t W>
using unit_t = std::conditional_t<W == 1, char, std::conditional_t<W == 2, std::int16_t,
    std::conditional_t<W == 4, std::int32_t, std::int64_t>>>;

// Field by field ---------------------------------------------------------------

template<class Table, std::size_t I, class S>
MSGDEF_CDR_INLINE void write_op(const S & msg, eprosima::fastcdr::Cdr & cdr)
{
  write_value(cdr, msg.*field<Table, I>.member);
}

template<class Table, std::size_t I, class S>
MSGDEF_CDR_INLINE void read_op(eprosima::fastcdr::Cdr & cdr, S & msg)
{
  read_value(cdr, msg.*field<Table, I>.member);
}

template<class Table, std::size_t First, class S, std::size_t ... I>
void write_ops(const S & msg, eprosima::fastcdr::Cdr & cdr, std::index_sequence<I...>)
{
  (write_op<Table, First + I>(msg, cdr), ...);
}

template<class Table, std::size_t First, class S, std::size_t ... I>
void read_ops(eprosima::fastcdr::Cdr & cdr, S & msg, std::index_sequence<I...>)
{
  (read_op<Table, First + I>(cdr, msg), ...);
}

// Blocks -----------------------------------------------------------------------

// The bytes of a value as they go on the wire from this machine's order.
template<std::size_t W>
MSGDEF_CDR_INLINE void put(char * to, const void * from, bool swap)
{
  std::memcpy(to, from, W);
  if (W > 1 && swap) {
    for (std::size_t i = 0; i < W / 2; ++i) {
      const char byte = to[i];
      to[i] = to[W - 1 - i];
      to[W - 1 - i] = byte;
    }
  }
}

template<class Table, std::size_t I, class S>
MSGDEF_CDR_INLINE void store(const S & msg, char * block, bool swap)
{
  using T = value_t<Table, I>;
  const auto & value = msg.*field<Table, I>.member;
  char * to = block + Plans<Table>::write[I].at;
  if constexpr (std::is_same_v<T, bool>) {
    std::uint8_t byte;  // any non-zero byte of a C bool is written as true
    std::memcpy(&byte, &value, 1);
    *to = static_cast<char>(byte != 0);
  } else {
    put<sizeof(T)>(to, &value, swap);
  }
}

template<class Table, std::size_t First, class S, std::size_t ... I>
MSGDEF_CDR_INLINE void store_block(const S & msg, char * block, bool swap, std::index_sequence<I...>)
{
  (store<Table, First + I>(msg, block, swap), ...);
}

// Room for the whole block in one jump, then the values stored in place;
// the padding is left as the stream leaves it. A buffer that cannot take the
// block is written field by field, which raises where those writes would.
template<class Table, std::size_t First, class S>
MSGDEF_CDR_INLINE void write_block(const S & msg, eprosima::fastcdr::Cdr & cdr)
{
  constexpr Placement p = Plans<Table>::write[First];
  using Fields = std::make_index_sequence<p.last + 1 - First>;
  if (!cdr.jump(p.bytes)) {
    write_ops<Table, First>(msg, cdr, Fields());
    return;
  }
  // Taken after the jump, which moves a buffer that it enlarges.
  char * block = cdr.getCurrentPosition() - p.bytes;
  if (cdr.endianness() == kHostEndianness) {
    store_block<Table, First>(msg, block, false, Fields());
  } else {
    store_block<Table, First>(msg, block, true, Fields());
  }
}

// A value from a block read as an array of `Unit`; in a stream of the other
// byte order each unit came swapped, and the value's own bytes are reversed.
template<std::size_t Unit, std::size_t W>
MSGDEF_CDR_INLINE void take(void * to, const char * block, std::size_t at, bool swap)
{
  if (!swap) {
    std::memcpy(to, block + at, W);
    return;
  }
  char bytes[W];
  for (std::size_t i = 0; i < W; ++i) {
    const std::size_t wire = at + W - 1 - i;  // where byte i of the value is on the wire
    bytes[i] = block[(wire - wire % Unit) + (Unit - 1 - wire % Unit)];
  }
  std::memcpy(to, bytes, W);
}

template<class Table, std::size_t First, std::size_t I, class S>
MSGDEF_CDR_INLINE void load(S & msg, const char * block, bool swap)
{
  using T = value_t<Table, I>;
  constexpr Placement p = Plans<Table>::read[I];
  auto & value = msg.*field<Table, I>.member;
  if constexpr (std::is_same_v<T, bool>) {
    value = block[p.at] != 0;
  } else {
    take<Plans<Table>::read[First].unit, sizeof(T)>(&value, block, p.at, swap);
  }
}

template<class Table, std::size_t First, class S, std::size_t ... I>
MSGDEF_CDR_INLINE void load_block(S & msg, const char * block, bool swap, std::index_sequence<I...>)
{
  (load<Table, First, First + I>(msg, block, swap), ...);
}

// One array read: false, with nothing read, where the data ends within it.
// (Not forced inline: MSVC does not inline a function that catches.)
template<class Unit>
inline bool read_array(eprosima::fastcdr::Cdr & cdr, Unit * to, std::size_t count)
{
  try {
    cdr.deserializeArray(to, count);
    return true;
  } catch (const eprosima::fastcdr::exception::NotEnoughMemoryException &) {
    return false;
  }
}

// One array read for the whole block: the stream checks it against the end
// of the data and keeps the unit's width, as the last field's read would.
// Where the bytes are the fields' own, in place, they are read into the
// message; otherwise into a copy, then each value taken from it. Data that
// ends within the block is read field by field, which raises where those
// reads would, the fields before that point read.
template<class Table, std::size_t First, class S>
MSGDEF_CDR_INLINE void read_block(eprosima::fastcdr::Cdr & cdr, S & msg)
{
  constexpr Placement p = Plans<Table>::read[First];
  using Unit = unit_t<p.unit>;
  using Fields = std::make_index_sequence<p.last + 1 - First>;
  if constexpr (p.direct) {
    char * in_place = reinterpret_cast<char *>(&msg) + Plans<Table>::shapes[First].offset;
    if (!read_array(cdr, reinterpret_cast<Unit *>(in_place), p.bytes / p.unit)) {
      read_ops<Table, First>(cdr, msg, Fields());
    }
  } else {
    Unit copy[p.bytes / p.unit];
    if (!read_array(cdr, copy, p.bytes / p.unit)) {
      read_ops<Table, First>(cdr, msg, Fields());
      return;
    }
    const char * block = reinterpret_cast<const char *>(copy);
    if (cdr.endianness() == kHostEndianness) {
      load_block<Table, First>(msg, block, false, Fields());
    } else {
      load_block<Table, First>(msg, block, true, Fields());
    }
  }
}

// Steps of the walks ---------------------------------------------------------------

template<class Table, std::size_t I, class S>
MSGDEF_CDR_INLINE bool write_step(const S & msg, eprosima::fastcdr::Cdr & cdr)
{
  constexpr Step step = Plans<Table>::write[I].step;
  const auto & f = field<Table, I>;
  if constexpr (step == Step::op) {
    write_op<Table, I>(msg, cdr);
  } else if constexpr (step == Step::block) {
    write_block<Table, I>(msg, cdr);
  } else if constexpr (step == Step::part) {
    if constexpr (is_string_v<decltype(f)>) {
      return write_string(cdr, msg.*f.member);
    } else {
      return f.binding.write(msg.*f.member, cdr);
    }
  }
  return true;
}

template<class Table, std::size_t I, class S>
MSGDEF_CDR_INLINE bool read_step(eprosima::fastcdr::Cdr & cdr, S & msg)
{
  constexpr Step step = Plans<Table>::read[I].step;
  const auto & f = field<Table, I>;
  if constexpr (step == Step::op) {
    read_op<Table, I>(cdr, msg);
  } else if constexpr (step == Step::block) {
    read_block<Table, I>(cdr, msg);
  } else if constexpr (step == Step::part) {
    if constexpr (is_string_v<decltype(f)>) {
      return read_string(cdr, msg.*f.member);
    } else {
      return f.binding.read(cdr, msg.*f.member);
    }
  }
  return true;
}

template<class Table, class S, std::size_t ... I>
MSGDEF_CDR_INLINE bool write_fields(const S & msg, eprosima::fastcdr::Cdr & cdr, std::index_sequence<I...>)
{
  return (write_step<Table, I>(msg, cdr) && ...);
}

template<class Table, class S, std::size_t ... I>
MSGDEF_CDR_INLINE bool read_fields(eprosima::fastcdr::Cdr & cdr, S & msg, std::index_sequence<I...>)
{
  return (read_step<Table, I>(cdr, msg) && ...);
}

// Writes every field in order, with the bytes and the stream state that
// field-by-field writes leave. Stops and returns false when a string or a
// nested message cannot be written; what was written stays in the stream.
template<class Table, class S>
MSGDEF_CDR_INLINE bool write_fields(const S & msg, eprosima::fastcdr::Cdr & cdr)
{
  return write_fields<Table>(msg, cdr, std::make_index_sequence<field_count<Table>>());
}

// Reads every field in order, each into the message. Stops and returns false
// when a string or a nested message cannot be read; later fields keep their
// values.
template<class Table, class S>
MSGDEF_CDR_INLINE bool read_fields(eprosima::fastcdr::Cdr & cdr, S & msg)
{
  return read_fields<Table>(cdr, msg, std::make_index_sequence<field_count<Table>>());
}

// Sizes. A run of primitives that ends the table takes the same number of
// bytes from every offset of the same remainder modulo 8 (the widest
// alignment): those eight sums are worked out when the library is built.
template<class Table, std::size_t I>
constexpr bool values_from()
{
  if constexpr (I == field_count<Table>) {
    return true;
  } else {
    return is_value_v<decltype(field<Table, I>)> && values_from<Table, I + 1>();
  }
}

template<class Table, std::size_t I>
constexpr std::size_t values_end(std::size_t offset)
{
  if constexpr (I == field_count<Table>) {
    return offset;
  } else {
    using T = typename std::tuple_element_t<I, fields_t<Table>>::type;
    static_assert(sizeof(T) <= 8 && (sizeof(T) & (sizeof(T) - 1)) == 0, "widths 1, 2, 4, 8");
    return values_end<Table, I + 1>(after(offset, sizeof(T)));
  }
}

template<class Table, std::size_t I>
struct TailBytes
{
  static constexpr std::array<std::size_t, 8> from = [] {
      std::array<std::size_t, 8> bytes{};
      for (std::size_t remainder = 0; remainder < 8; ++remainder) {
        bytes[remainder] = values_end<Table, I>(remainder) - remainder;
      }
      return bytes;
    }();
};

// Running offset after the fields from the I-th on when they start at
// `offset`. Primitives are pure arithmetic; `part_end(field, offset)` gives
// the end of a string or a nested message. Both size computations are this
// one walk.
template<class Table, std::size_t I = 0, class PartEnd>
std::size_t end_offset(std::size_t offset, PartEnd && part_end)
{
  if constexpr (values_from<Table, I>()) {
    return offset + TailBytes<Table, I>::from[offset % 8];
  } else {
    const auto & f = field<Table, I>;
    if constexpr (is_value_v<decltype(f)>) {
      offset = after(offset, sizeof(typename std::decay_t<decltype(f)>::type));
    } else {
      offset = part_end(f, offset);
    }
    return end_offset<Table, I + 1>(offset, part_end);
  }
}

// Serialized size from `start`. Only strings and nested messages are looked
// at, so a type made of primitives alone never touches `msg` (null allowed).
template<class Table, class S>
std::size_t serialized_size(const S * msg, std::size_t start)
{
  return end_offset<Table>(start, [msg](const auto & f, std::size_t offset) {
             if constexpr (is_string_v<decltype(f)>) {
               return after_string(offset, string_size(msg->*f.member));
             } else {
               return f.binding.end(msg->*f.member, offset);
             }
           }) - start;
}

// Largest serialized size from `start`. Only an unbounded string or a nested
// message changes `bounded`; a string counts as empty.
template<class Table>
std::size_t max_serialized_size(bool & bounded, std::size_t start)
{
  return end_offset<Table>(start, [&bounded](const auto & f, std::size_t offset) {
             if constexpr (is_string_v<decltype(f)>) {
               bounded = false;
               return after_string(offset, 0);
             } else {
               return f.binding.max_end(bounded, offset);
             }
           }) - start;
}

}  // namespace cdr
}  // namespace msgdef

#endif  // MSGDEF__CDR_HPP_
