// velmsg: list, show, encode, decode, publish and echo the messages of the
// interface packages, through their installed type support libraries only.
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#if defined(_WIN32)
#  define WIN32_LEAN_AND_MEAN
#  include <windows.h>  // before shellapi.h, which needs its types
#  include <fcntl.h>
#  include <io.h>
#  include <shellapi.h>
#endif

#include "CLI/CLI.hpp"
#include "cdr_bytes.hpp"
#include "dds.hpp"
#include "errors.hpp"
#include "known_types.hpp"
#include "message_text.hpp"
#include "message_type.hpp"
#include "topic_name.hpp"

#ifndef VELMSG_VERSION
#define VELMSG_VERSION "unknown"
#endif

namespace velmsg
{
namespace
{

constexpr size_t kMaxInputBytes = 64u << 20;

// Everything any command takes; each command declares the options it accepts.
struct Arguments
{
  std::string type;
  std::string topic;
  std::vector<std::string> values;  // field=value or YAML, in order
  std::string input = "-";
  std::optional<std::string> out;
  bool cpp = false;
  bool fill = false;
  bool bare = false;
  bool hex = false;
  bool raw = false;
  bool services = false;
  bool best_effort = false;
  std::optional<unsigned> count;
  double rate_hz = 1.0;
  double wait_s = 5.0;
  std::optional<double> timeout_s;

  Flavour flavour() const {return cpp ? Flavour::cpp : Flavour::c;}
};

// The message of the command line: example values with --fill, then every value argument in order.
std::unique_ptr<Message> message_from(const MessageType & type, const Arguments & args)
{
  require_supported(type.description());
  auto message = std::make_unique<Message>(type.description());
  if (args.fill) {
    fill_example(*message);
  }
  for (const std::string & value : args.values) {
    apply_argument(*message, value);
  }
  return message;
}

std::vector<uint8_t> read_input(const std::string & path)
{
  std::ifstream file;
  std::istream * in = &std::cin;
  if (path != "-") {
    file.open(path, std::ios::binary);
    if (!file) {
      throw failure("cannot open " + path + ": " + std::strerror(errno));
    }
    in = &file;
  }
  std::vector<uint8_t> bytes;
  char chunk[65536];
  while (*in) {
    in->read(chunk, sizeof chunk);
    bytes.insert(bytes.end(), chunk, chunk + in->gcount());
    if (bytes.size() > kMaxInputBytes) {
      throw bad_input("the input is larger than " + std::to_string(kMaxInputBytes) + " bytes");
    }
  }
  if (in->bad()) {
    throw failure("cannot read " + (path == "-" ? std::string("the standard input") : path));
  }
  return bytes;
}

// Hex text is digits and whitespace only; raw bytes of a serialized message
// start with the encapsulation header's 00, which is neither.
bool looks_like_hex(const std::vector<uint8_t> & input)
{
  bool digits = false;
  for (uint8_t byte : input) {
    if (std::isxdigit(byte)) {
      digits = true;
    } else if (!std::isspace(byte)) {
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
  bool detected_hex = !args.hex && !args.raw && looks_like_hex(input);
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

// ROS 2 puts "rt" before every topic name: a user who gives the DDS name gets it twice.
void note_dds_prefix(const TopicName & topic)
{
  if (topic.ros.rfind("/rt/", 0) == 0) {
    std::cerr << "velmsg: note: ROS 2 topic " << topic.ros << " is DDS topic " << topic.dds <<
      "; for DDS topic " << topic.ros.substr(1) << " give " << topic.ros.substr(4) << std::endl;
  }
}

int run_pub(const Arguments & args)
{
  MessageType type(TypeName::parse(args.type), args.flavour());
  TopicName topic = resolve_topic(args.topic);
  note_dds_prefix(topic);
  auto message = message_from(type, args);
  PublishOptions options;
  options.count = args.count.value_or(1);
  options.rate_hz = args.rate_hz;
  options.wait_for_subscriber_s = args.wait_s;
  options.best_effort = args.best_effort;
  publish(type, *message, topic, options, std::cout);
  return kExitOk;
}

int run_echo(const Arguments & args)
{
  MessageType type(TypeName::parse(args.type), args.flavour());
  TopicName topic = resolve_topic(args.topic);
  note_dds_prefix(topic);
  require_supported(type.description());
  EchoOptions options;
  options.count = args.count;
  options.timeout_s = args.timeout_s;
  options.best_effort = args.best_effort;
  return echo(type, topic, options, std::cout);
}

const char * const kOverview =
  "<type> is <package>/<folder>/<Type>, e.g. velmari_messages/msg/Control (velmsg list\n"
  "names them all).\n"
  "\n"
  "Values: field=value, nested fields by path (header.frame_id=base_link,\n"
  "header.stamp.sec=5), or a YAML mapping as ros2 topic pub takes it:\n"
  "\"{valid: true, throttle: 0.4, header: {frame_id: map}}\"; later values win.\n"
  "--fill first gives every field an example value. bool: true, True, TRUE, 1,\n"
  "false, False, FALSE, 0. Integers: decimal (no leading 0), 0x hex or 0o octal.\n"
  "Floats: decimal or exponent form, .inf, -.inf, .nan. Output is YAML that YAML\n"
  "1.1 and 1.2 readers read back unchanged (floats such as 1.0e-45).\n"
  "\n"
  "Bytes: a serialized message as ROS 2 stores it, the encapsulation header\n"
  "00 01 00 00 then little-endian CDR; --bare: the body alone. encode writes hex to\n"
  "standard output and raw bytes to --out FILE; decode reads either (see --help of\n"
  "each). --cpp uses the C++ structures and serializer instead of the C ones.\n"
  "\n"
  "Topics: ROS 2 names, cmd and /cmd are the same topic, DDS topic rt/cmd, in domain\n"
  "ROS_DOMAIN_ID (default 0). ROS_LOCALHOST_ONLY=1 or unset: velmsg talks over\n"
  "127.0.0.1 only, and finds only participants that use the loopback interface too\n"
  "(ROS 2 nodes started with ROS_LOCALHOST_ONLY=1); ROS_LOCALHOST_ONLY=0: every\n"
  "interface, with Fast-DDS's default transports and multicast discovery.\n"
  "\n"
  "Exit codes:\n"
  "  0  success\n"
  "  1  system failure: a library that does not load, I/O or DDS errors\n"
  "  2  wrong command line (unknown command or option, a bad topic name)\n"
  "  3  bad input: unknown type or field, a value that does not parse or does not\n"
  "     fit its field, bytes that are not a message of the type, empty input\n"
  "  4  echo: fewer than --count messages (or none) before --timeout\n";

std::string example(const char * text)
{
  return std::string("\nExample:\n") + text;
}

CLI::App * command(CLI::App & app, const char * name, const char * what, const char * examples)
{
  CLI::App * sub = app.add_subcommand(name, what);
  sub->footer(example(examples));
  return sub;
}

void add_type(CLI::App * sub, Arguments & args)
{
  sub->add_option("type", args.type, "<package>/<folder>/<Type>")->required();
}

void add_values(CLI::App * sub, Arguments & args)
{
  sub->add_option("values", args.values, "field=value or a YAML mapping, any number");
  sub->add_flag("--fill", args.fill, "first give every field an example value");
}

void add_flavour(CLI::App * sub, Arguments & args)
{
  sub->add_flag("--cpp", args.cpp, "the C++ structures and serializer");
}

void add_bytes(CLI::App * sub, Arguments & args)
{
  sub->add_flag("--bare", args.bare, "the message body without the 4-byte encapsulation header");
  // Once needed for the header, which is now the default.
  sub->add_flag("--encapsulation")->group("");
  auto hex = sub->add_flag("--hex", args.hex, "hex text");
  sub->add_flag("--raw", args.raw, "raw bytes")->excludes(hex);
}

void add_dds(CLI::App * sub, Arguments & args, bool publisher)
{
  sub->add_option("topic", args.topic, "ROS 2 topic name: cmd and /cmd are DDS topic rt/cmd")->required();
  sub->add_option("--count", args.count,
    publisher ? "publish N messages (default 1)" : "stop after N messages")
  ->type_name("N")->check(CLI::Range(1u, 1000000u));
  sub->add_flag("--best-effort", args.best_effort,
    publisher ? "best-effort writer (ROS 2's sensor-data profile)" :
    "best-effort reader: also hears best-effort publishers");
}

int run(int argc, char ** argv)
{
  Arguments args;
  CLI::App app("velmsg: the messages of the interface packages, by type name", "velmsg");
  app.set_version_flag("--version", VELMSG_VERSION);
  // Topic names and file paths begin with '/'; CLI11 on Windows would read
  // them as /option switches. Subcommands inherit this when they are added.
  app.allow_windows_style_options(false);
  app.require_subcommand(1);
  app.footer(kOverview);

  CLI::App * list = command(app, "list", "every message type, one per line (--services: the services)",
      "  velmsg list\n  velmsg list --services");
  list->add_flag("--services", args.services, "list the service types instead");

  CLI::App * show = command(app, "show", "the fields of a type: type, name and offset in its structure",
      "  velmsg show velmari_messages/msg/Control --cpp");
  add_type(show, args);
  add_flavour(show, args);

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

  CLI::App * decode = command(app, "decode",
      "CDR bytes from FILE or standard input as a YAML message; hex text is recognised\n"
      "(--hex, --raw: take the input as one or the other)",
      "  velmsg encode velmari_messages/msg/Num num=7 | velmsg decode velmari_messages/msg/Num\n"
      "  velmsg decode velmari_messages/msg/Num num.cdr");
  add_type(decode, args);
  decode->add_option("input", args.input, "FILE, or - for standard input (the default)");
  add_flavour(decode, args);
  add_bytes(decode, args);

  CLI::App * pub = command(app, "pub",
      "publish a message over DDS as soon as a subscriber is matched (or after --wait)",
      "  velmsg pub velmari_messages/msg/Control /cmd \"{valid: true, throttle: 0.4}\" --count 10 --rate 5");
  add_type(pub, args);
  add_dds(pub, args, true);
  add_values(pub, args);
  add_flavour(pub, args);
  pub->add_option("--rate", args.rate_hz, "messages per second (default 1)")
  ->type_name("HZ")->check(CLI::Range(0.01, 1000.0));
  pub->add_option("--wait", args.wait_s,
    "wait up to S seconds (default 5) for a subscriber, then publish anyway")
  ->type_name("S")->check(CLI::Range(0.0, 60.0));

  CLI::App * echo_command = command(app, "echo",
      "print received messages as YAML documents until interrupted, --count or --timeout",
      "  velmsg echo velmari_messages/msg/Control /cmd --count 1 --timeout 10");
  add_type(echo_command, args);
  add_dds(echo_command, args, false);
  add_flavour(echo_command, args);
  echo_command->add_option("--timeout", args.timeout_s, "stop after S seconds")
  ->type_name("S")->check(CLI::Range(0.1, 86400.0));

  if (argc < 2) {
    std::cerr << app.help();
    return kExitUsage;
  }
  std::string first = argv[1];
  auto commands = app.get_subcommands([&](const CLI::App * sub) {return sub->get_name() == first;});
  if (first.rfind("-", 0) != 0 && commands.empty()) {
    throw usage_error("unknown command '" + first + "' (velmsg --help lists them)");
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp &) {
    std::cout << (app.get_subcommands().empty() ? app.help() : app.get_subcommands().front()->help("velmsg"));
    return kExitOk;
  } catch (const CLI::CallForVersion &) {
    std::cout << "velmsg " << VELMSG_VERSION << "\n";
    return kExitOk;
  } catch (const CLI::ParseError & error) {
    std::string where = app.get_subcommands().empty() ? "velmsg --help" :
      "velmsg " + app.get_subcommands().front()->get_name() + " --help";
    throw usage_error(std::string(error.what()) + " (" + where + " has the usage)");
  }

  CLI::App * chosen = app.get_subcommands().front();
  const std::string & name = chosen->get_name();
  int code = name == "list" ? run_list(args) : name == "show" ? run_show(args) :
    name == "encode" ? run_encode(args) : name == "decode" ? run_decode(args) :
    name == "pub" ? run_pub(args) : run_echo(args);
  std::cout.flush();
  if (!std::cout) {
    throw failure("cannot write to the standard output");
  }
  return code;
}

}  // namespace
}  // namespace velmsg

#if defined(_WIN32)
namespace
{
// The command line in UTF-8, as on other platforms: main()'s own arguments are
// in the ANSI code page, which loses every character outside it.
std::vector<std::string> utf8_arguments()
{
  std::vector<std::string> arguments;
  int count = 0;
  LPWSTR * wide = CommandLineToArgvW(GetCommandLineW(), &count);
  for (int i = 0; wide && i < count; ++i) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
    std::string text(size > 0 ? static_cast<std::size_t>(size) : 1, '\0');
    if (size > 0) {
      WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, &text[0], size, nullptr, nullptr);
    }
    text.resize(std::strlen(text.c_str()));
    arguments.push_back(text);
  }
  LocalFree(wide);
  return arguments;
}
}  // namespace
#endif

int main(int argc, char ** argv)
{
#if defined(_WIN32)
  // Bytes in and out as they are: no newline translation of CDR or text.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  std::vector<std::string> arguments = utf8_arguments();
  std::vector<char *> pointers;
  for (std::string & argument : arguments) {
    pointers.push_back(&argument[0]);
  }
  pointers.push_back(nullptr);
  if (!arguments.empty()) {
    argc = static_cast<int>(arguments.size());
    argv = pointers.data();
  }
#else
  std::signal(SIGPIPE, SIG_IGN);
#endif
  try {
    return velmsg::run(argc, argv);
  } catch (const velmsg::ToolError & error) {
    std::cerr << "velmsg: error: " << error.what() << std::endl;
    return error.code();
  } catch (const std::exception & error) {
    std::cerr << "velmsg: error: " << error.what() << std::endl;
    return velmsg::kExitFailure;
  }
}
