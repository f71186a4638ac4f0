#include "cdr_bytes.hpp"

#include <cctype>
#include <cstdio>
#include <exception>

#include "errors.hpp"
#include "fastcdr/Cdr.h"
#include "fastcdr/FastBuffer.h"
#include "fastcdr/exceptions/Exception.h"

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
    // Only plain CDR (00 00 big-endian, 00 01 little-endian) carries these messages.
    if (size < kEncapsulationSize) {
      throw bad_input(what + ": " + std::to_string(size) + " bytes, shorter than the encapsulation header");
    }
    if (data[0] != 0 || data[1] > 1) {
      throw bad_input(what + ": the encapsulation is not plain CDR (00 00 or 00 01)");
    }
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
  } catch (const eprosima::fastcdr::exception::Exception & error) {
    throw bad_input(what + " (" + std::to_string(size) + " bytes): " + error.what());
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
  size_t used = read_cdr(type, bytes.data(), bytes.size(), message, encapsulation);
  require_faithful(type, bytes.data(), used, message, encapsulation);
  size_t rest = bytes.size() - used;
  bool padding = encapsulation && rest < 4 && (bytes.size() % 4) == 0;
  for (size_t i = used; padding && i < bytes.size(); ++i) {
    padding = bytes[i] == 0;
  }
  if (rest && !padding) {
    throw bad_input("the bytes do not form a " + type.name().text() + ": " + std::to_string(rest) +
            " bytes follow the message, which ends after " + std::to_string(used) + " bytes");
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
      throw bad_input("the input is not hex: expected a pair of hex digits at character " +
              std::to_string(i + 1));
    }
    bytes.push_back(static_cast<uint8_t>(value(text[i]) * 16 + value(text[i + 1])));
    i += 2;
  }
  return bytes;
}

}  // namespace velmsg
