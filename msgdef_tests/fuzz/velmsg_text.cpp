// Fuzz target: the text and bytes that velmsg reads from its users.
//
// Input: a choice byte (bits 0-1: what the rest is, bit 2: C++ structures,
// bit 3: encapsulation header; the rest: the type), then the text or bytes:
//   0  field assignments "path=value", one to a line, as `encode` takes them;
//   1  hex text, as `decode --hex` takes it;
//   2  raw bytes, as `decode` takes them;
//   3  a type name, as every command takes it.
// Bad input may only be refused with the tool's bad-input error. What is
// accepted must encode, and the encoded bytes must decode to the same bytes.
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "cdr_bytes.hpp"
#include "errors.hpp"
#include "fuzz_support.hpp"
#include "known_types.hpp"
#include "message_text.hpp"
#include "message_type.hpp"

namespace
{

using velmsg::Flavour;
using velmsg::Message;
using velmsg::MessageType;
using velmsg::ToolError;

// The types of the build tree's ament index, read once.
const std::vector<velmsg::TypeName> & messages()
{
  static const std::vector<velmsg::TypeName> types = velmsg::known_types().messages;
  return types;
}

// Resolving a type loads its libraries: once per type and flavour.
const MessageType & type_for(std::size_t index, Flavour flavour)
{
  static std::map<std::pair<std::size_t, Flavour>, std::unique_ptr<MessageType>> types;
  auto & type = types[{index, flavour}];
  if (!type) {
    type = std::make_unique<MessageType>(messages()[index], flavour);
    velmsg::require_supported(type->description());
  }
  return *type;
}

bool refused(const ToolError & error, const char * type)
{
  fuzz::require(error.code() == velmsg::kExitBadInput, error.what(), type);
  return true;
}

// The message prints, encodes, and its bytes decode to a message that encodes the same.
void round_trip(const MessageType & type, const Message & message, bool encapsulation)
{
  const std::string name = type.name().text();
  std::ostringstream yaml;
  velmsg::print_yaml(yaml, message);
  const std::vector<uint8_t> bytes = velmsg::encode_cdr(type, message.data(), encapsulation);
  Message again(type.description());
  velmsg::decode_cdr(type, bytes, again.data(), encapsulation);
  fuzz::require(velmsg::encode_cdr(type, again.data(), encapsulation) == bytes,
    "decoded bytes encode differently", name.c_str());
  std::ostringstream yaml_again;
  velmsg::print_yaml(yaml_again, again);
  fuzz::require(yaml.str() == yaml_again.str(), "decoded bytes print differently", name.c_str());
}

void assignments(const MessageType & type, const std::string & text, bool encapsulation)
{
  Message message(type.description());
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line); ) {
    try {
      velmsg::assign_field(message, line);
    } catch (const ToolError & error) {
      refused(error, type.name().text().c_str());
    }
  }
  round_trip(type, message, encapsulation);
}

void decode(const MessageType & type, const std::vector<uint8_t> & bytes, bool encapsulation)
{
  Message message(type.description());
  try {
    velmsg::decode_cdr(type, bytes, message.data(), encapsulation);
  } catch (const ToolError & error) {
    refused(error, type.name().text().c_str());
    return;
  }
  // Every byte of the input is accounted for, so the message encodes to the
  // input itself, alignment gaps and the padding of DDS payloads aside.
  fuzz::require(velmsg::encode_cdr(type, message.data(), encapsulation).size() <= bytes.size(),
    "decoded message encodes longer than its input", type.name().text().c_str());
  round_trip(type, message, encapsulation);
}

void hex(const MessageType & type, const std::string & text, bool encapsulation)
{
  std::vector<uint8_t> bytes;
  try {
    bytes = velmsg::from_hex(text);
  } catch (const ToolError & error) {
    refused(error, "hex");
    return;
  }
  fuzz::require(velmsg::from_hex(velmsg::to_hex(bytes)) == bytes, "hex does not read back", "hex");
  decode(type, bytes, encapsulation);
}

void type_name(const std::string & text, Flavour flavour)
{
  try {
    MessageType type(velmsg::TypeName::parse(text), flavour);
  } catch (const ToolError & error) {
    refused(error, "type name");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t * data, std::size_t size)
{
  if (size < 1) {
    return 0;
  }
  const unsigned choice = data[0];
  const Flavour flavour = (choice & 4) ? Flavour::cpp : Flavour::c;
  const bool encapsulation = choice & 8;
  const MessageType & type = type_for((choice >> 4) % messages().size(), flavour);
  const std::string text(reinterpret_cast<const char *>(data) + 1, size - 1);
  switch (choice & 3) {
    case 0:
      assignments(type, text, encapsulation);
      break;
    case 1:
      hex(type, text, encapsulation);
      break;
    case 2:
      decode(type, std::vector<uint8_t>(data + 1, data + size), encapsulation);
      break;
    default:
      type_name(text, flavour);
      break;
  }
  return 0;
}
