#include "cdr_bytes.hpp"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <exception>

#include "errors.hpp"
#include "field_values.hpp"
#include "fastcdr/Cdr.h"
#include "fastcdr/FastBuffer.h"
#include "fastcdr/exceptions/Exception.h"
#include "rosidl_typesupport_introspection_c/field_types.h"

namespace velmsg
{
namespace
{

constexpr size_t kEncapsulationSize = 4;

eprosima::fastcdr::Cdr::CdrType cdr_type(bool encapsulation)
{
  return encapsulation ? eprosima::fastcdr::Cdr::DDS_CDR : eprosima::fastcdr::Cdr::CORBA_CDR;
}

size_t write_in_order(
  const MessageType & type, const void * message, char * buffer, size_t capacity,
  bool encapsulation, eprosima::fastcdr::Cdr::Endianness byte_order)
{
  const auto & callbacks = type.serializer();
  eprosima::fastcdr::FastBuffer fast_buffer(buffer, capacity);
  eprosima::fastcdr::Cdr cdr(fast_buffer, byte_order, cdr_type(encapsulation));
  try {
    if (encapsulation) {
      cdr.serialize_encapsulation();
    }
    if (!callbacks.cdr_serialize(message, cdr)) {
      throw failure("the serializer of " + type.name().text() + " reported a failure");
    }
  } catch (const eprosima::fastcdr::exception::Exception & error) {
    throw failure("serializing " + type.name().text() + " needs more than " +
            std::to_string(capacity) + " bytes: " + error.what());
  }
  return cdr.getSerializedDataLength();
}

// A decoded message must carry every byte it was read from: a bool byte 2 that
// reads as true, or a string cut short at an embedded NUL, would be silently
// changed data. The message is written back twice, over a buffer of 00 and one
// of ff: where the two differ is alignment padding, whose content is free;
// everywhere else the input must come back unchanged.
void require_faithful(
  const MessageType & type, const uint8_t * data, size_t used, const void * message,
  bool encapsulation)
{
  auto byte_order = encapsulation && data[1] == 0 ? eprosima::fastcdr::Cdr::BIG_ENDIANNESS :
    eprosima::fastcdr::Cdr::LITTLE_ENDIANNESS;
  std::vector<char> over_zeros(used, 0), over_ones(used, '\xff');
  size_t written = 0;
  try {
    written = write_in_order(type, message, over_zeros.data(), used, encapsulation, byte_order);
    write_in_order(type, message, over_ones.data(), used, encapsulation, byte_order);
  } catch (const ToolError &) {
    written = used + 1;  // the message needs more bytes than it was read from
  }
  size_t first = encapsulation ? kEncapsulationSize : 0;  // the header's options are free too
  for (size_t i = first; i < used && written == used; ++i) {
    auto again = static_cast<uint8_t>(over_zeros[i]);
    if (again == static_cast<uint8_t>(over_ones[i]) && again != data[i]) {
      char text[96];
      std::snprintf(text, sizeof text, "byte %zu holds %02x, which does not read back (as %02x)", i,
        data[i], again);
      throw bad_input("the bytes do not form a " + type.name().text() + ": " + text);
    }
  }
  if (written != used) {
    throw bad_input("the bytes do not form a " + type.name().text() +
            ": they hold values the type cannot carry");
  }
}

std::string hex_byte(uint8_t byte)
{
  static const char digits[] = "0123456789abcdef";
  return {digits[byte >> 4], digits[byte & 0xf]};
}

// A character of hex text as an error names it: 'g', or byte 0a.
std::string printable(char ch)
{
  auto byte = static_cast<unsigned char>(ch);
  return std::isprint(byte) ? "'" + std::string(1, ch) + "'" : "byte " + hex_byte(byte);
}

// Walks the bytes of one message along its description, as the wire rules lay
// it out, and says what is wrong and where before any deserializer sees them:
// the field where the input ends and how many bytes it would need, a bool
// byte that is neither 0 nor 1, a string without its closing NUL.
class LayoutCheck
{
public:
  LayoutCheck(const uint8_t * data, size_t size, size_t origin, bool little_endian)
  : data_(data), size_(size), origin_(origin), little_endian_(little_endian), at_(origin) {}

  // Returns where the message ends (an offset into the input).
  size_t walk(const MessageDescription & description, const std::string & prefix = "")
  {
    for (const FieldDescription & field : description.fields) {
      std::string path = prefix.empty() ? field.name : prefix + "." + field.name;
      if (field.nested) {
        walk(*field.nested, path);
      } else if (field.type_id == rosidl_typesupport_introspection_c__ROS_TYPE_STRING) {
        string(field, path);
      } else if (const PrimitiveKind * kind = primitive_kind(field.type_id)) {
        primitive(*kind, path);
      } else {
        throw bad_input("field '" + path + "' has a type this tool cannot read");
      }
    }
    return at_;
  }

private:
  void align(size_t width)
  {
    at_ += (width - (at_ - origin_) % width) % width;
  }

  void need(size_t bytes, const std::string & what)
  {
    if (at_ > size_ || bytes > size_ - at_) {
      throw bad_input("the input ends inside " + what + ": the message needs at least " +
              std::to_string(at_ + bytes) + " bytes, the input has " + std::to_string(size_));
    }
  }

  void primitive(const PrimitiveKind & kind, const std::string & path)
  {
    align(kind.width);
    size_t start = at_;
    need(kind.width, "field '" + path + "' (" + kind.name + " at byte " + std::to_string(start) + ")");
    if (kind.type_id == rosidl_typesupport_introspection_c__ROS_TYPE_BOOLEAN && data_[start] > 1) {
      throw bad_input("byte " + std::to_string(start) + " holds " + hex_byte(data_[start]) +
              ", but field '" + path + "' is a bool (00 or 01)");
    }
    at_ += kind.width;
  }

  void string(const FieldDescription & field, const std::string & path)
  {
    align(4);
    size_t start = at_;
    std::string where = "field '" + path + "' (string at byte " + std::to_string(start);
    std::string what = where + ")";
    need(4, what);
    uint32_t length = 0;
    for (int i = 0; i < 4; ++i) {
      uint32_t byte = data_[start + (little_endian_ ? 3 - i : i)];
      length = (length << 8) | byte;
    }
    at_ += 4;
    if (length == 0) {
      throw bad_input(what + " has length 0, but a CDR string counts its closing NUL, so 1 is the least");
    }
    need(length, where + ", " + counted(length, "byte") + " long)");
    size_t last = at_ + length - 1;
    if (data_[last] != 0) {
      throw bad_input(what + " does not end with a NUL: its last byte, byte " + std::to_string(last) +
              ", holds " + hex_byte(data_[last]));
    }
    // A ROS 2 string holds no NUL before its end (its readers stop at the first one).
    if (const void * nul = std::memchr(data_ + at_, 0, length - 1)) {
      throw bad_input(what + " holds a NUL at byte " +
              std::to_string(static_cast<const uint8_t *>(nul) - data_) +
              ", before its end: a ROS 2 string ends at its first NUL");
    }
    if (field.string_upper_bound && length - 1 > field.string_upper_bound) {
      throw bad_input(what + " holds " + std::to_string(length - 1) + " characters, more than its bound of " +
              std::to_string(field.string_upper_bound));
    }
    at_ += length;
  }

  const uint8_t * data_;
  size_t size_;
  size_t origin_;
  bool little_endian_;
  size_t at_;
};

// Only plain CDR (00 00 big-endian, 00 01 little-endian) carries these messages.
void check_encapsulation(const std::string & what, const uint8_t * data, size_t size)
{
  if (size < kEncapsulationSize) {
    throw bad_input(what + ": " + std::to_string(size) +
            " bytes, shorter than the 4-byte encapsulation header (for a bare message body give --bare)");
  }
  if (data[0] != 0 || data[1] > 1) {
    throw bad_input(what + ": the input does not start with the encapsulation header of plain CDR "
            "(00 01 00 00, or 00 00 00 00 big-endian); for a bare message body give --bare");
  }
}

}  // namespace

size_t cdr_size(const MessageType & type, const void * message, bool encapsulation)
{
  return type.serializer().get_serialized_size(message) + (encapsulation ? kEncapsulationSize : 0);
}

size_t write_cdr(
  const MessageType & type, const void * message, char * buffer, size_t capacity,
  bool encapsulation)
{
  return write_in_order(type, message, buffer, capacity, encapsulation,
           eprosima::fastcdr::Cdr::LITTLE_ENDIANNESS);
}

std::vector<uint8_t> encode_cdr(const MessageType & type, const void * message, bool encapsulation)
{
  size_t size = cdr_size(type, message, encapsulation);
  std::vector<uint8_t> bytes(size);
  size_t written = write_cdr(type, message, reinterpret_cast<char *>(bytes.data()), size,
      encapsulation);
  if (written != size) {
    // The size function and the serializer disagree: the bytes cannot be trusted.
    throw failure("the serializer of " + type.name().text() + " wrote " + std::to_string(written) +
            " bytes, its size function said " + std::to_string(size));
  }
  return bytes;
}

size_t read_cdr(
  const MessageType & type, const uint8_t * data, size_t size, void * message,
  bool encapsulation)
{
  const auto & callbacks = type.serializer();
  std::string what = "the bytes do not form a " + type.name().text();
  if (encapsulation) {
    check_encapsulation(what, data, size);
  }
  eprosima::fastcdr::FastBuffer fast_buffer(
    reinterpret_cast<char *>(const_cast<uint8_t *>(data)), size);
  eprosima::fastcdr::Cdr cdr(fast_buffer, eprosima::fastcdr::Cdr::LITTLE_ENDIANNESS,
    cdr_type(encapsulation));
  try {
    if (encapsulation) {
      cdr.read_encapsulation();
    }
    if (!callbacks.cdr_deserialize(cdr, message)) {
      throw bad_input(what + " (the deserializer refused them)");
    }
  } catch (const eprosima::fastcdr::exception::Exception &) {
    throw bad_input(what + ": the deserializer could not read its " + std::to_string(size) + " bytes");
  } catch (const std::bad_alloc &) {
    throw bad_input(what + ": they announce more data than can be held");
  } catch (const std::length_error &) {
    throw bad_input(what + ": they announce more data than can be held");
  }
  return cdr.getSerializedDataLength();
}

void decode_cdr(
  const MessageType & type, const std::vector<uint8_t> & bytes, void * message,
  bool encapsulation)
{
  if (bytes.empty()) {
    throw bad_input("no bytes to decode: the input is empty");
  }
  size_t origin = encapsulation ? kEncapsulationSize : 0;
  if (encapsulation) {
    check_encapsulation("the bytes do not form a " + type.name().text(), bytes.data(), bytes.size());
  }
  bool little_endian = !encapsulation || bytes[1] == 1;
  size_t end = 0;
  try {
    end = LayoutCheck(bytes.data(), bytes.size(), origin, little_endian).walk(type.description());
  } catch (const ToolError & error) {
    throw bad_input("the bytes do not form a " + type.name().text() + ": " + error.what());
  }
  size_t used = read_cdr(type, bytes.data(), bytes.size(), message, encapsulation);
  require_faithful(type, bytes.data(), used, message, encapsulation);
  if (used != end) {
    throw failure("the deserializer of " + type.name().text() + " read " + std::to_string(used) +
            " bytes where the message has " + std::to_string(end));
  }
  // DDS pads a payload with up to 3 zero bytes to a multiple of 4.
  size_t rest = bytes.size() - used;
  bool padding = rest < 4 && (bytes.size() - origin) % 4 == 0;
  for (size_t i = used; padding && i < bytes.size(); ++i) {
    padding = bytes[i] == 0;
  }
  if (rest && !padding) {
    throw bad_input("the bytes do not form a " + type.name().text() + ": " + counted(rest, "byte") +
            (rest == 1 ? " follows" : " follow") + " the message, which ends after " + counted(used, "byte"));
  }
}

std::string to_hex(const std::vector<uint8_t> & bytes)
{
  static const char digits[] = "0123456789abcdef";
  std::string text;
  for (size_t i = 0; i < bytes.size(); ++i) {
    text += digits[bytes[i] >> 4];
    text += digits[bytes[i] & 0xf];
    text += (i % 16 == 15 || i + 1 == bytes.size()) ? '\n' : ' ';
  }
  return text;
}

std::vector<uint8_t> from_hex(std::string_view text)
{
  auto value = [](char ch) {
      return std::isdigit(static_cast<unsigned char>(ch)) ? ch - '0' :
             std::isxdigit(static_cast<unsigned char>(ch)) ?
             std::tolower(static_cast<unsigned char>(ch)) - 'a' + 10 : -1;
    };
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i < text.size(); ) {
    if (std::isspace(static_cast<unsigned char>(text[i]))) {
      ++i;
      continue;
    }
    if (i + 1 >= text.size() || value(text[i]) < 0 || value(text[i + 1]) < 0) {
      bool cut = i + 1 >= text.size();
      size_t bad = cut || value(text[i]) < 0 ? i : i + 1;
      throw bad_input("the input is not hex: expected a pair of hex digits at character " +
              std::to_string(i + 1) + (cut ? std::string(", where the input ends") :
              ", but character " + std::to_string(bad + 1) + " is " + printable(text[bad])));
    }
    bytes.push_back(static_cast<uint8_t>(value(text[i]) * 16 + value(text[i + 1])));
    i += 2;
  }
  return bytes;
}

}  // namespace velmsg
