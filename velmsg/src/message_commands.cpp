// velmsg list, show, encode and decode: the types installed where velmsg
// looks, and their messages as CDR bytes and YAML, without any network.
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>

#include "cdr_bytes.hpp"
#include "cli.hpp"
#include "errors.hpp"
#include "known_types.hpp"
#include "message_text.hpp"

namespace velmsg
{
namespace
{

// Hex text is digits and whitespace only; raw bytes of a serialized message
// start with the encapsulation header's 00, which is neither. So with the
// header, any printable text is taken as hex, and a typo in it is named as one.
bool looks_like_hex(const std::vector<uint8_t> & input, bool bare)
{
  bool digits = false;
  for (uint8_t byte : input) {
    if (std::isxdigit(byte)) {
      digits = true;
    } else if (!std::isspace(byte) && (bare || !std::isprint(byte))) {
      return false;
    }
  }
  return digits;
}

int run_list(const Arguments & args)
{
  const KnownTypes types = known_types();
  for (const TypeName & name : args.services ? types.services : types.messages) {
    std::cout << name.text() << "\n";
  }
  return kExitOk;
}

int run_show(const Arguments & args)
{
  TypeName name = TypeName::parse(args.type);
  Flavour flavour = args.flavour();
  std::ostringstream out;
  auto structure = [&](const MessageDescription & description) {
      out << "# " << description.name.text() << ": " << flavour_names(flavour).label
          << " structure of " << description.size << " bytes\n";
      print_definition(out, description);
    };
  if (is_service(name, flavour)) {
    ServiceType service(name, flavour);
    structure(*service.request);
    out << "---\n";
    structure(*service.response);
  } else {
    MessageType type(name, flavour);
    structure(type.description());
  }
  std::cout << out.str();
  return kExitOk;
}

int run_encode(const Arguments & args)
{
  MessageType type(TypeName::parse(args.type), args.flavour());
  auto message = message_from(type, args);
  std::vector<uint8_t> bytes = encode_cdr(type, message->data(), !args.bare);
  bool to_stdout = !args.out || *args.out == "-";
  bool hex = args.hex || (to_stdout && !args.raw);
  std::string text = hex ? to_hex(bytes) : std::string(bytes.begin(), bytes.end());
  if (to_stdout) {
    std::cout << text;
    return kExitOk;
  }
  std::ofstream file(*args.out, std::ios::binary | std::ios::trunc);
  file.write(text.data(), static_cast<std::streamsize>(text.size()));
  file.close();
  if (!file) {
    throw failure("cannot write " + *args.out + ": " + std::strerror(errno));
  }
  return kExitOk;
}

int run_decode(const Arguments & args)
{
  MessageType type(TypeName::parse(args.type), args.flavour());
  require_supported(type.description());
  std::vector<uint8_t> input = read_input(args.input);
  bool detected_hex = !args.hex && !args.raw && looks_like_hex(input, args.bare);
  if (args.hex || detected_hex) {
    input = from_hex(std::string(input.begin(), input.end()));
  }
  // Into a message of its own, printed only once every byte is accounted for.
  Message message(type.description());
  try {
    decode_cdr(type, input, message.data(), !args.bare);
  } catch (const ToolError & error) {
    std::string hint;
    if (detected_hex) {
      hint = " (the input was read as hex text; --raw reads it as raw bytes)";
    } else if (args.bare && input.size() >= 4 && input[0] == 0 && input[1] <= 1 && input[2] == 0 &&
      input[3] == 0)
    {
      hint = " (the input starts like an encapsulation header: leave out --bare)";
    }
    throw ToolError(error.code(), error.what() + hint);
  }
  std::ostringstream yaml;
  print_yaml(yaml, message);
  std::cout << yaml.str();
  return kExitOk;
}

void add_bytes(CLI::App * sub, Arguments & args)
{
  sub->add_flag("--bare", args.bare, "the message body without the 4-byte encapsulation header");
  // Once needed for the header, which is now the default.
  sub->add_flag("--encapsulation")->group("");
  auto hex = sub->add_flag("--hex", args.hex, "hex text");
  sub->add_flag("--raw", args.raw, "raw bytes")->excludes(hex);
}

}  // namespace

void add_message_commands(CLI::App & app, Arguments & args, Commands & commands)
{
  CLI::App * list = command(app, "list", "every message type, one per line (--services: the services)",
      "  velmsg list\n  velmsg list --services");
  list->add_flag("--services", args.services, "list the service types instead");
  commands[list] = run_list;

  CLI::App * show = command(app, "show", "the fields of a type: type, name and offset in its structure",
      "  velmsg show velmari_messages/msg/Control --cpp");
  add_type(show, args);
  add_flavour(show, args);
  commands[show] = run_show;

  CLI::App * encode = command(app, "encode",
      "a message as CDR bytes: hex on standard output, raw bytes into --out FILE",
      "  velmsg encode velmari_messages/msg/Control \"{valid: true, throttle: 0.4}\" header.frame_id=map\n"
      "  velmsg encode velmari_messages/msg/Num num=7 --out num.cdr");
  add_type(encode, args);
  add_values(encode, args);
  add_flavour(encode, args);
  add_bytes(encode, args);
  encode->add_option("--out", args.out, "write to FILE (raw unless --hex); - is standard output")
  ->type_name("FILE");
  commands[encode] = run_encode;

  CLI::App * decode = command(app, "decode",
      "CDR bytes from FILE or standard input as a YAML message; hex text is recognised\n"
      "(--hex, --raw: take the input as one or the other)",
      "  velmsg encode velmari_messages/msg/Num num=7 | velmsg decode velmari_messages/msg/Num\n"
      "  velmsg decode velmari_messages/msg/Num num.cdr");
  add_type(decode, args);
  decode->add_option("input", args.input, "FILE, or - for standard input (the default)");
  add_flavour(decode, args);
  add_bytes(decode, args);
  commands[decode] = run_decode;
}

}  // namespace velmsg
