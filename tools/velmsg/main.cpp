// velmsg: list, show, encode, decode, publish and echo the messages of the
// interface packages, through their installed type support libraries only.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
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

#include "cdr_bytes.hpp"
#include "dds.hpp"
#include "errors.hpp"
#include "known_types.hpp"
#include "message_text.hpp"
#include "message_type.hpp"

namespace velmsg
{
namespace
{

constexpr size_t kMaxInputBytes = 64u << 20;

struct CommandLine
{
  std::vector<std::string> positional;
  std::map<std::string, std::string> options;  // "--rate" -> "10"; flags map to ""

  bool has(const std::string & option) const {return options.count(option) != 0;}
  Flavour flavour() const {return has("--cpp") ? Flavour::cpp : Flavour::c;}
};

struct Command
{
  const char * name;
  const char * arguments;
  const char * summary;
  size_t required;   // positional arguments
  size_t optional;   // further positional arguments that may follow
  bool takes_fields;  // then any number of field=value
  std::vector<std::pair<const char *, bool>> options;  // name, takes a value
  int (*run)(const CommandLine &);
};

double number_option(
  const CommandLine & line, const std::string & option, double fallback, double low, double high)
{
  auto found = line.options.find(option);
  if (found == line.options.end()) {
    return fallback;
  }
  char * end = nullptr;
  errno = 0;
  double value = std::strtod(found->second.c_str(), &end);
  if (found->second.empty() || *end || errno || !(value >= low && value <= high)) {
    std::ostringstream range;
    range << low << " to " << high;
    throw usage_error(option + " takes a number from " + range.str() + ", not '" + found->second + "'");
  }
  return value;
}

unsigned count_option(const CommandLine & line, unsigned fallback)
{
  double count = number_option(line, "--count", fallback, 1, 1000000);
  if (count != std::floor(count)) {
    throw usage_error("--count takes a whole number, not '" + line.options.at("--count") + "'");
  }
  return static_cast<unsigned>(count);
}

// The message of the command line: example values with --fill, then every field=value in order.
std::unique_ptr<Message> message_from(
  const MessageType & type, const CommandLine & line, size_t first_field)
{
  require_supported(type.description());
  auto message = std::make_unique<Message>(type.description());
  if (line.has("--fill")) {
    fill_example(*message);
  }
  for (size_t i = first_field; i < line.positional.size(); ++i) {
    assign_field(*message, line.positional[i]);
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

int run_list(const CommandLine &)
{
  for (const TypeName & name : known_types().messages) {
    std::cout << name.text() << "\n";
  }
  for (const TypeName & name : known_types().services) {
    std::cout << name.text() << "  (service)\n";
  }
  return kExitOk;
}

int run_show(const CommandLine & line)
{
  TypeName name = TypeName::parse(line.positional[0]);
  Flavour flavour = line.flavour();
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

int run_encode(const CommandLine & line)
{
  MessageType type(TypeName::parse(line.positional[0]), line.flavour());
  auto message = message_from(type, line, 1);
  std::vector<uint8_t> bytes = encode_cdr(type, message->data(), line.has("--encapsulation"));
  if (line.has("--out")) {
    const std::string & path = line.options.at("--out");
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) {
      throw failure("cannot write " + path + ": " + std::strerror(errno));
    }
  } else {
    std::cout << to_hex(bytes);
  }
  return kExitOk;
}

int run_decode(const CommandLine & line)
{
  MessageType type(TypeName::parse(line.positional[0]), line.flavour());
  require_supported(type.description());
  std::vector<uint8_t> input = read_input(line.positional.size() > 1 ? line.positional[1] : "-");
  if (line.has("--hex")) {
    input = from_hex(std::string(input.begin(), input.end()));
  }
  // Into a message of its own, printed only once every byte is accounted for.
  Message message(type.description());
  decode_cdr(type, input, message.data(), line.has("--encapsulation"));
  std::ostringstream yaml;
  print_yaml(yaml, message);
  std::cout << yaml.str();
  return kExitOk;
}

int run_pub(const CommandLine & line)
{
  MessageType type(TypeName::parse(line.positional[0]), line.flavour());
  auto message = message_from(type, line, 2);
  PublishOptions options;
  options.count = count_option(line, 1);
  options.rate_hz = number_option(line, "--rate", 1.0, 0.01, 1000);
  options.wait_for_subscriber_s = number_option(line, "--wait", 5.0, 0, 60);
  options.best_effort = line.has("--best-effort");
  publish(type, *message, line.positional[1], options, std::cout);
  return kExitOk;
}

int run_echo(const CommandLine & line)
{
  MessageType type(TypeName::parse(line.positional[0]), line.flavour());
  require_supported(type.description());
  EchoOptions options;
  if (line.has("--count")) {
    options.count = count_option(line, 1);
  }
  options.timeout_s = number_option(line, "--timeout", 30, 0.1, 86400);
  options.best_effort = line.has("--best-effort");
  return echo(type, line.positional[1], options, std::cout);
}

const std::vector<Command> & commands()
{
  static const std::vector<Command> table = {
    {"list", "", "every message and service type", 0, 0, false, {}, run_list},
    {"show", "<type> [--cpp]",
      "the fields of a type: type, name and offset in the C (or C++) structure", 1, 0, false,
      {{"--cpp", false}}, run_show},
    {"encode", "<type> [field=value ...] [--fill] [--cpp] [--out FILE] [--encapsulation]",
      "a message as CDR bytes (hex on standard output, raw into FILE)", 1, 0, true,
      {{"--cpp", false}, {"--fill", false}, {"--out", true}, {"--encapsulation", false}}, run_encode},
    {"decode", "<type> [FILE|-] [--cpp] [--hex] [--encapsulation]",
      "CDR bytes (raw, or hex with --hex) as a YAML message", 1, 1, false,
      {{"--cpp", false}, {"--hex", false}, {"--encapsulation", false}}, run_decode},
    {"pub", "<type> <topic> [field=value ...] [--fill] [--cpp] [--count N] [--rate HZ] [--wait S]"
      " [--best-effort]",
      "publish a message N times (default 1) at HZ (default 1) over DDS, after waiting up to\n"
      "      S seconds (default 5) for a subscriber", 2, 0, true,
      {{"--cpp", false}, {"--fill", false}, {"--count", true}, {"--rate", true}, {"--wait", true},
        {"--best-effort", false}},
      run_pub},
    {"echo", "<type> <topic> [--cpp] [--count N] [--timeout S] [--best-effort]",
      "print received messages as YAML until N arrived or S seconds (default 30) passed", 2, 0, false,
      {{"--cpp", false}, {"--count", true}, {"--timeout", true}, {"--best-effort", false}}, run_echo},
  };
  return table;
}

void print_help(std::ostream & out)
{
  out << "usage: velmsg <command> [arguments]\n\ncommands:\n";
  for (const Command & command : commands()) {
    out << "  velmsg " << command.name << (*command.arguments ? " " : "") << command.arguments
        << "\n      " << command.summary << "\n";
  }
  out <<
    "\n"
    "<type> is <package>/<folder>/<Type>, e.g. velmari_messages/msg/Control.\n"
    "Fields are set by name, nested fields by path: header.frame_id=base_link,\n"
    "header.stamp.sec=5, valid=true, status=255. --fill first gives every field an\n"
    "example value. --cpp uses the C++ structures and serializer instead of the C ones.\n"
    "CDR is little-endian; --encapsulation adds (encode) or expects (decode) the\n"
    "4-byte header 00 01 00 00 of DDS payloads.\n"
    "pub and echo use DDS topic rt/<topic> on domain ROS_DOMAIN_ID (default 0),\n"
    "over the loopback interface only, reliable unless --best-effort (a best-effort\n"
    "echo also hears reliable publishers, a reliable one only reliable publishers).\n"
    "\n"
    "exit codes:\n"
    "  0  success\n"
    "  1  system failure: a library that does not load, I/O or DDS errors\n"
    "  2  wrong command line\n"
    "  3  bad input: unknown type or field, a value that does not parse or does not\n"
    "     fit its field, bytes that are not a message of the type, empty input\n"
    "  4  echo: fewer than --count messages before --timeout\n";
}

CommandLine parse_command_line(const Command & command, int argc, char ** argv)
{
  CommandLine line;
  for (int i = 2; i < argc; ++i) {
    std::string argument = argv[i];
    if (argument.rfind("--", 0) != 0) {
      line.positional.push_back(argument);
      continue;
    }
    std::string option = argument.substr(0, argument.find('='));
    auto declared = std::find_if(command.options.begin(), command.options.end(),
        [&](const auto & candidate) {return option == candidate.first;});
    if (declared == command.options.end()) {
      throw usage_error("velmsg " + std::string(command.name) + " has no option " + option);
    }
    std::string value;
    if (argument.size() > option.size()) {
      value = argument.substr(option.size() + 1);
      if (!declared->second) {
        throw usage_error(option + " takes no value");
      }
    } else if (declared->second) {
      if (i + 1 >= argc) {
        throw usage_error(option + " needs a value");
      }
      value = argv[++i];
    }
    line.options[option] = value;
  }
  size_t most = command.takes_fields ? SIZE_MAX : command.required + command.optional;
  if (line.positional.size() < command.required || line.positional.size() > most) {
    throw usage_error("usage: velmsg " + std::string(command.name) + " " + command.arguments);
  }
  return line;
}

int run(int argc, char ** argv)
{
  if (argc < 2) {
    print_help(std::cerr);
    return kExitUsage;
  }
  std::string name = argv[1];
  if (name == "--help" || name == "-h" || name == "help") {
    print_help(std::cout);
    return kExitOk;
  }
  for (const Command & command : commands()) {
    if (name == command.name) {
      for (int i = 2; i < argc; ++i) {
        if (argv[i] == std::string("--help")) {
          std::cout << "usage: velmsg " << command.name << " " << command.arguments << "\n  "
                    << command.summary << "\n";
          return kExitOk;
        }
      }
      int code = command.run(parse_command_line(command, argc, argv));
      std::cout.flush();
      if (!std::cout) {
        throw failure("cannot write to the standard output");
      }
      return code;
    }
  }
  throw usage_error("unknown command '" + name + "' (velmsg --help lists them)");
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
