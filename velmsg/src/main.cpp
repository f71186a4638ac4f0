// velmsg: list, show, encode, decode, publish and echo the messages of the
// interface packages, through their installed type support libraries only;
// list the topics of a domain and show the installed interface files.
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <filesystem>
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
#include "bag_command.hpp"
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
  std::optional<std::string> values_file;  // YAML, applied before the values
  std::string input = "-";
  std::optional<std::string> out;
  bool cpp = false;
  bool fill = false;
  bool bare = false;
  bool hex = false;
  bool raw = false;
  bool services = false;
  bool once = false;
  bool show_types = false;
  std::optional<unsigned> times;  // pub
  std::optional<unsigned> count;  // echo
  double rate_hz = 1.0;
  double wait_s = 5.0;
  double listen_s = 1.0;  // topic list
  std::optional<double> timeout_s;
  std::optional<std::string> qos_profile;
  std::optional<std::string> qos_reliability;
  std::optional<std::string> qos_durability;
  std::optional<unsigned> qos_depth;
  // Spellings of earlier releases, refused with the ones that replace them.
  bool old_best_effort = false;
  std::optional<unsigned> old_count;

  Flavour flavour() const {return cpp ? Flavour::cpp : Flavour::c;}
};

std::vector<uint8_t> read_input(const std::string & path);

// The message of the command line: example values with --fill, then --file, then every value argument in order.
std::unique_ptr<Message> message_from(const MessageType & type, const Arguments & args)
{
  require_supported(type.description());
  auto message = std::make_unique<Message>(type.description());
  if (args.fill) {
    fill_example(*message);
  }
  if (args.values_file) {
    std::vector<uint8_t> text = read_input(*args.values_file);
    assign_yaml(*message, std::string_view(reinterpret_cast<const char *>(text.data()), text.size()));
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
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
      throw failure("cannot read " + path + ": it is a folder, not a file");
    }
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

// Whether text is a type in the full form, as an argument in the wrong place would be.
bool names_a_type(const std::string & text)
{
  if (text.find("/msg/") == std::string::npos && text.find("/srv/") == std::string::npos) {
    return false;
  }
  try {
    TypeName::parse(text);
    return true;
  } catch (const ToolError &) {
    return false;
  }
}

// The type argument of pub or echo. ros2 takes the topic first, and so does
// velmsg since it follows ros2: the earlier order gets a hint, not "unknown type".
std::unique_ptr<MessageType> type_after_topic(const Arguments & args, const std::string & command)
{
  try {
    return std::make_unique<MessageType>(TypeName::parse(args.type), args.flavour());
  } catch (const ToolError & error) {
    if (error.code() != kExitBadInput || !names_a_type(args.topic)) {
      throw;
    }
    throw usage_error("the topic comes first, then the type, as in ros2 topic " + command + ": velmsg " +
            command + " " + args.type + " " + args.topic);
  }
}

// The QoS options as ros2 names them: a profile, then single policies over it.
Qos qos_from(const Arguments & args)
{
  if (args.old_best_effort) {
    throw usage_error("--best-effort is now --qos-reliability best_effort, as ros2 names it");
  }
  Qos qos;
  const std::string profile = args.qos_profile.value_or("system_default");
  if (profile == "sensor_data") {
    qos.best_effort = true;
    qos.depth = 5;
  } else if (profile == "services_default") {
    qos.depth = 10;
  } else if (profile == "parameters" || profile == "parameter_events") {
    qos.depth = 1000;
  }
  if (args.qos_reliability) {
    qos.best_effort = *args.qos_reliability == "best_effort";
  }
  if (args.qos_durability) {
    qos.transient_local = *args.qos_durability == "transient_local";
  }
  if (args.qos_depth) {
    qos.depth = *args.qos_depth;
  }
  return qos;
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
  if (args.old_count) {
    throw usage_error("pub --count N is now --times N (or --once), as in ros2 topic pub");
  }
  TopicName topic = resolve_topic(args.topic);
  auto type = type_after_topic(args, "pub");
  note_dds_prefix(topic);
  auto message = message_from(*type, args);
  PublishOptions options;
  options.count = args.times.value_or(1);
  options.rate_hz = args.rate_hz;
  options.wait_for_subscriber_s = args.wait_s;
  options.qos = qos_from(args);
  publish(*type, *message, topic, options, std::cout);
  return kExitOk;
}

int run_echo(const Arguments & args)
{
  TopicName topic = resolve_topic(args.topic);
  std::unique_ptr<MessageType> type;
  if (!args.type.empty()) {
    type = type_after_topic(args, "echo");
  }
  note_dds_prefix(topic);
  EchoOptions options;
  options.count = args.once ? std::optional<unsigned>(1) : args.count;
  options.timeout_s = args.timeout_s;
  options.qos = qos_from(args);
  return echo(type.get(), args.flavour(), topic, options, std::cout);
}

int run_interface_show(const Arguments & args)
{
  std::cout << interface_text(TypeName::parse(args.type));
  return kExitOk;
}

int run_topic_list(const Arguments & args)
{
  for (const DiscoveredTopic & topic : discover_topics(args.listen_s)) {
    std::cout << topic.ros;
    if (args.show_types) {
      std::cout << " [";
      for (size_t i = 0; i < topic.types.size(); ++i) {
        std::cout << (i ? ", " : "") << topic.types[i];
      }
      std::cout << "]";
    }
    std::cout << "\n";
  }
  return kExitOk;
}

const char * const kOverview =
  "<type> is <package>/<folder>/<Type>, e.g. velmari_messages/msg/Control, or\n"
  "<package>/<Type> for a message (velmsg list names them all).\n"
  "\n"
  "Values: field=value, nested fields by path (header.frame_id=base_link,\n"
  "header.stamp.sec=5), or a YAML mapping as ros2 topic pub takes it:\n"
  "\"{valid: true, throttle: 0.4, header: {frame_id: map}}\"; --file FILE (- for\n"
  "standard input) reads a YAML message of any size, such as decode prints; later\n"
  "values win. --fill first gives every field an example value. bool: true, True,\n"
  "TRUE, 1, false, False, FALSE, 0. Integers: decimal (no leading 0), 0x hex or 0o\n"
  "octal. Floats: decimal or exponent form, .inf, -.inf, .nan. Output is YAML that\n"
  "YAML 1.1 and 1.2 readers read back unchanged (floats such as 1.0e-45).\n"
  "\n"
  "Bytes: a serialized message as ROS 2 stores it, the encapsulation header\n"
  "00 01 00 00 then little-endian CDR; --bare: the body alone. encode writes hex to\n"
  "standard output and raw bytes to --out FILE; decode reads either (see --help of\n"
  "each). --cpp uses the C++ structures and serializer instead of the C ones.\n"
  "\n"
  "Topics: as ros2 topic, the topic first, then the type: velmsg pub /cmd\n"
  "velmari_messages/Control \"{valid: true}\" --once; velmsg echo /cmd finds the type\n"
  "itself. cmd and /cmd are the same topic, DDS topic rt/cmd, in domain\n"
  "ROS_DOMAIN_ID (default 0). QoS: --qos-profile, --qos-reliability,\n"
  "--qos-durability, --qos-depth as ros2 names them; reliable, volatile and every\n"
  "message kept by default. A subscriber with QoS that cannot match, or another type\n"
  "on the topic, is named in a warning. ROS_LOCALHOST_ONLY=1 or unset: velmsg talks\n"
  "over 127.0.0.1 only, and finds only participants that use the loopback interface\n"
  "too (ROS 2 nodes started with ROS_LOCALHOST_ONLY=1); ROS_LOCALHOST_ONLY=0: every\n"
  "interface, with Fast-DDS's default transports and multicast discovery.\n"
  "\n"
  "Exit codes:\n"
  "  0  success\n"
  "  1  system failure: a library that does not load, I/O or DDS errors\n"
  "  2  wrong command line (unknown command or option, a bad topic name)\n"
  "  3  bad input: unknown type or field, a value that does not parse or does not\n"
  "     fit its field, bytes that are not a message of the type, empty input\n"
  "  4  echo: fewer than --count messages (or none) before --timeout, or no\n"
  "     publisher that tells the topic's type\n";

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

// A number option's bounds, said in words: "--timeout: 0 is not within 0.1 to 86400 s".
CLI::Validator within(double low, double high, const char * unit)
{
  auto text = [](double value) {
      std::ostringstream out;
      out.precision(12);
      out << value;
      return out.str();
    };
  return CLI::Validator([=](std::string & value) -> std::string {
             char * end = nullptr;
             double number = std::strtod(value.c_str(), &end);
             if (end == value.c_str() || *end) {
               return "'" + value + "' is not a number";
             }
             if (!(number >= low && number <= high)) {
               return value + " is not within " + text(low) + " to " + text(high) + unit;
             }
             return std::string();
           }, "");
}

void add_type(CLI::App * sub, Arguments & args)
{
  sub->add_option("type", args.type, "<package>/<folder>/<Type> or <package>/<Type>")->required();
}

void add_values(CLI::App * sub, Arguments & args)
{
  sub->add_option("values", args.values, "field=value or a YAML mapping, any number");
  sub->add_option("--file", args.values_file, "a YAML message from FILE, - for standard input; "
    "values given after it win")->type_name("FILE");
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

void add_topic(CLI::App * sub, Arguments & args)
{
  sub->add_option("topic", args.topic, "ROS 2 topic name: cmd and /cmd are DDS topic rt/cmd")->required();
}

void add_qos(CLI::App * sub, Arguments & args)
{
  sub->add_option("--qos-profile", args.qos_profile,
    "system_default (reliable, volatile), sensor_data (best_effort, depth 5), services_default, "
    "parameters or parameter_events; the options below change one policy of it")
  ->type_name("NAME")->check(CLI::IsMember(
      {"system_default", "sensor_data", "services_default", "parameters", "parameter_events"}));
  sub->add_option("--qos-reliability", args.qos_reliability, "reliable (default) or best_effort")
  ->type_name("KIND")->check(CLI::IsMember({"reliable", "best_effort"}));
  sub->add_option("--qos-durability", args.qos_durability, "volatile (default) or transient_local")
  ->type_name("KIND")->check(CLI::IsMember({"volatile", "transient_local"}));
  sub->add_option("--qos-depth", args.qos_depth, "keep the last N messages (default: every one)")
  ->type_name("N")->check(within(1, 100000, ""));
  sub->add_flag("--best-effort", args.old_best_effort)->group("");
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
      "publish a message over DDS once a subscriber is matched (or after --wait); the\n"
      "topic first, then the type, as ros2 topic pub",
      "  velmsg pub /cmd velmari_messages/Control \"{valid: true, throttle: 0.4}\" --once\n"
      "  velmsg pub /cmd velmari_messages/msg/Control --file control.yaml --times 10 -r 5");
  add_topic(pub, args);
  add_type(pub, args);
  add_values(pub, args);
  add_flavour(pub, args);
  add_qos(pub, args);
  auto once = pub->add_flag("-1,--once", args.once, "publish one message (the default)");
  pub->add_option("--times", args.times, "publish N messages (default 1)")
  ->type_name("N")->check(within(1, 1000000, ""))->excludes(once);
  pub->add_option("--count", args.old_count)->group("");
  pub->add_option("-r,--rate", args.rate_hz, "messages per second (default 1)")
  ->type_name("HZ")->check(within(0.01, 1000, " Hz"));
  pub->add_option("--wait", args.wait_s,
    "wait up to S seconds (default 5) for a subscriber, then publish anyway")
  ->type_name("S")->check(within(0, 60, " s"));

  CLI::App * echo_command = command(app, "echo",
      "print received messages as YAML documents until interrupted, --count or --timeout;\n"
      "without a type, the one its publishers announce",
      "  velmsg echo /cmd --once\n  velmsg echo /cmd velmari_messages/msg/Control --count 2 --timeout 10");
  add_topic(echo_command, args);
  echo_command->add_option("type", args.type,
    "<package>/<folder>/<Type> or <package>/<Type>; left out, the type that discovery reports");
  add_flavour(echo_command, args);
  add_qos(echo_command, args);
  auto echo_once = echo_command->add_flag("--once", args.once, "stop after the first message");
  echo_command->add_option("--count", args.count, "stop after N messages")
  ->type_name("N")->check(within(1, 1000000, ""))->excludes(echo_once);
  echo_command->add_option("--timeout", args.timeout_s, "stop after S seconds")
  ->type_name("S")->check(within(0.1, 86400, " s"));

  CLI::App * interface_command = command(app, "interface", "interface files, as ros2 interface show",
      "  velmsg interface show velmari_messages/msg/Control");
  interface_command->require_subcommand(1);
  CLI::App * interface_show = interface_command->add_subcommand("show",
      "the text of a type's interface file (.msg, .srv), as installed");
  add_type(interface_show, args);

  CLI::App * topic_command = command(app, "topic", "the topics on the domain, as ros2 topic list",
      "  velmsg topic list -t");
  topic_command->require_subcommand(1);
  CLI::App * topic_list = topic_command->add_subcommand("list",
      "every topic that the participants of the domain publish or subscribe, one per line");
  topic_list->add_flag("-t,--show-types", args.show_types, "each topic's type(s) after it");
  topic_list->add_option("--wait", args.listen_s, "listen S seconds for participants (default 1)")
  ->type_name("S")->check(within(0.1, 60, " s"));

  add_bag_command(app);

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
    name == "pub" ? run_pub(args) : name == "topic" ? run_topic_list(args) :
    name == "interface" ? run_interface_show(args) : name == "bag" ? run_bag() : run_echo(args);
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
