// velmsg: list, show, encode, decode, publish and echo the messages of the
// interface packages, through their installed type support libraries only;
// the topics of a domain and the installed interface files, as ros2 topic and
// ros2 interface have them. The command families live in files of their own
// (cli.hpp); this file assembles them and runs the one the command line names.
#include <csignal>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#if defined(_WIN32)
#  define WIN32_LEAN_AND_MEAN
#  include <windows.h>  // before shellapi.h, which needs its types
#  include <fcntl.h>
#  include <io.h>
#  include <shellapi.h>
#endif

#include "cli.hpp"
#include "errors.hpp"

#ifndef VELMSG_VERSION
#define VELMSG_VERSION "unknown"
#endif

namespace velmsg
{
namespace
{

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
  "Topics: as ros2 topic (velmsg topic pub|echo|list|info|hz|bw|find|type; pub and\n"
  "echo also on their own), the topic first, then the type. pub publishes at --rate\n"
  "until interrupted; a script publishes one message with --once: velmsg pub /cmd\n"
  "velmari_messages/Control \"{valid: true}\" --once. velmsg echo /cmd finds the type\n"
  "itself. cmd and /cmd are the same topic, DDS topic rt/cmd, in domain\n"
  "ROS_DOMAIN_ID (default 0). QoS: --qos-profile, --qos-reliability,\n"
  "--qos-durability, --qos-depth as ros2 names them; reliable, volatile and every\n"
  "message kept by default. A subscriber with QoS that cannot match, or another type\n"
  "on the topic, is named in a warning. ROS_LOCALHOST_ONLY=1 or unset: velmsg talks\n"
  "over 127.0.0.1 only, and finds only participants that use the loopback interface\n"
  "too (ROS 2 nodes started with ROS_LOCALHOST_ONLY=1); ROS_LOCALHOST_ONLY=0: every\n"
  "interface, with Fast-DDS's default transports and multicast discovery.\n"
  "\n"
  "Bags: velmsg bag record|play|info|echo, in the sqlite3 format of ROS 2 Galactic's\n"
  "ros2 bag (velmsg bag --help).\n"
  "\n"
  "Exit codes:\n"
  "  0  success\n"
  "  1  system failure: a library that does not load, I/O or DDS errors\n"
  "  2  wrong command line (unknown command or option, a bad topic name)\n"
  "  3  bad input: unknown type or field, a value that does not parse or does not\n"
  "     fit its field, bytes that are not a message of the type, empty input\n"
  "  4  echo: fewer than --count messages (or none) before --timeout, or no\n"
  "     publisher that tells the topic's type\n";


// The commands nest (topic list, interface show): a word that names no
// command of its level, or a level left without one, is named with the choices.
void check_command_path(CLI::App & app, int argc, char ** argv)
{
  CLI::App * level = &app;
  std::string path = "velmsg";
  for (int i = 1; ; ++i) {
    std::vector<CLI::App *> choices = level->get_subcommands([](CLI::App *) {return true;});
    if (choices.empty()) {
      return;
    }
    std::string word = i < argc ? argv[i] : "";
    if (word.size() > 1 && word[0] == '-') {
      if (level == &app || word == "-h" || word == "--help") {
        return;  // velmsg's own options, or help
      }
      word.clear();  // an option where a command belongs
    }
    std::string names;
    for (CLI::App * choice : choices) {
      if (choice->get_name() == word) {
        level = choice;
        path += " " + word;
        names.clear();
        break;
      }
      names += (names.empty() ? "" : ", ") + choice->get_name();
    }
    if (names.empty()) {
      continue;
    }
    if (word.empty()) {
      throw usage_error(path + " needs a command, one of: " + names + " (" + path + " --help)");
    }
    throw usage_error("unknown command '" + word + "' of " + path + ", which has: " + names);
  }
}

// "velmsg topic list", the chosen command's path.
std::string command_path(const CLI::App * chosen)
{
  std::string path;
  for (; chosen; chosen = chosen->get_parent()) {
    path = chosen->get_name() + (path.empty() ? "" : " " + path);
  }
  return path;
}

int run(int argc, char ** argv)
{
  Arguments args;
  CLI::App app("velmsg: the messages of the interface packages, by type name", "velmsg");
  app.set_version_flag("--version", VELMSG_VERSION);
  // Topic names and file paths begin with '/'; CLI11 on Windows would read
  // them as /option switches. Subcommands inherit this when they are added.
  app.allow_windows_style_options(false);
  app.footer(kOverview);
  Commands commands;
  add_message_commands(app, args, commands);
  add_topic_commands(app, args, commands);
  add_interface_commands(app, args, commands);
  add_bag_commands(app, args, commands);

  if (argc < 2) {
    std::cerr << app.help();
    return kExitUsage;
  }
  check_command_path(app, argc, argv);
  const CLI::App * chosen = &app;
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp &) {
    for (; !chosen->get_subcommands().empty(); chosen = chosen->get_subcommands().front()) {}
    std::cout << (chosen == &app ? app.help() :
      const_cast<CLI::App *>(chosen)->help(command_path(chosen->get_parent())));
    return kExitOk;
  } catch (const CLI::CallForVersion &) {
    std::cout << "velmsg " << VELMSG_VERSION << "\n";
    return kExitOk;
  } catch (const CLI::ParseError & error) {
    for (; !chosen->get_subcommands().empty(); chosen = chosen->get_subcommands().front()) {}
    throw usage_error(std::string(error.what()) + " (" + command_path(chosen) + " --help has the usage)");
  }
  for (; !chosen->get_subcommands().empty(); chosen = chosen->get_subcommands().front()) {}
  int code = commands.at(chosen)(args);
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
