// Messages <-> CDR bytes through a type's Fast-CDR callbacks, and bytes <-> hex text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "message_type.hpp"

namespace velmsg
{

// Little-endian CDR; with the encapsulation header 00 01 00 00 in front when asked.
// Writes at most capacity bytes and returns how many; fails when the message
// does not fit or the serializer reports failure.
size_t write_cdr(
  const MessageType & type, const void * message, char * buffer, size_t capacity,
  bool encapsulation);

// The exact size write_cdr needs for this message.
size_t cdr_size(const MessageType & type, const void * message, bool encapsulation);

std::vector<uint8_t> encode_cdr(const MessageType & type, const void * message, bool encapsulation);

// Reads one message from the bytes into the given message and returns how
// many bytes it took. Bytes that do not form a message give a bad-input error;
// the message may then hold part of the data and must not be used.
size_t read_cdr(
  const MessageType & type, const uint8_t * data, size_t size, void * message,
  bool encapsulation);

// Like read_cdr, and the bytes must hold exactly one message: nothing may
// follow it but the zero padding to a multiple of 4 that DDS payloads carry.
void decode_cdr(
  const MessageType & type, const std::vector<uint8_t> & bytes, void * message,
  bool encapsulation);

// "01 00 80 3f ..." with 16 bytes to a line.
std::string to_hex(const std::vector<uint8_t> & bytes);
// Hex digit pairs, whitespace anywhere between pairs.
std::vector<uint8_t> from_hex(std::string_view text);

}  // namespace velmsg
