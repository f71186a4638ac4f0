// velmsg's command line: the arguments every command may take, the helpers
// that declare options the same way everywhere, and the command families,
// each in a file of its own, that add their commands and what runs them.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CLI/CLI.hpp"
#include "message_type.hpp"

namespace velmsg
{

// Everything any command takes; each command declares the options it accepts.
struct Arguments
{
  std::string type;
  std::string topic;
  std::string package;
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
  bool count_topics = false;
  bool verbose = false;
  bool only_messages = false;
  bool only_services = false;
  bool only_actions = false;
  bool csv = false;
  bool no_arrays = false;
  std::optional<std::string> field;  // echo --field
  std::optional<unsigned> times;  // pub
  unsigned matching_subscriptions = 0;  // pub -w
  unsigned print_every = 1;  // pub -p
  std::optional<unsigned> count;  // echo
  unsigned window = 10000;  // hz, bw
  double rate_hz = 1.0;
  double wait_s = 5.0;
  double listen_s = 1.0;  // topic list, info, find, type
  std::optional<double> timeout_s;
  std::optional<double> duration_s;  // hz, bw
  std::optional<std::string> qos_profile;
  std::optional<std::string> qos_reliability;
  std::optional<std::string> qos_durability;
  std::optional<unsigned> qos_depth;
  // Spellings of earlier releases, refused with the ones that replace them.
  bool old_best_effort = false;
  std::optional<unsigned> old_count;

  Flavour flavour() const {return cpp ? Flavour::cpp : Flavour::c;}
};

// What runs each command, by the command's CLI11 node.
using Commands = std::map<const CLI::App *, std::function<int(const Arguments &)>>;

// The families, in the order velmsg --help lists them.
void add_message_commands(CLI::App & app, Arguments & args, Commands & commands);  // list show encode decode
void add_topic_commands(CLI::App & app, Arguments & args, Commands & commands);  // pub echo topic
void add_interface_commands(CLI::App & app, Arguments & args, Commands & commands);  // interface
void add_bag_commands(CLI::App & app, Arguments & args, Commands & commands);  // bag (bag_command.cpp)

// A command with its one-line help and its examples.
CLI::App * command(CLI::App & parent, const char * name, const char * what, const char * examples);

// A number option's bounds, said in words: "--timeout: 0 is not within 0.1 to 86400 s".
CLI::Validator within(double low, double high, const char * unit);

void add_type(CLI::App * sub, Arguments & args);
void add_values(CLI::App * sub, Arguments & args);
void add_flavour(CLI::App * sub, Arguments & args);
void add_topic(CLI::App * sub, Arguments & args);
// How long discovery listens before it answers (topic list, info, find, type).
void add_listen(CLI::App * sub, Arguments & args);

// The message of the command line: example values with --fill, then --file,
// then every value argument in order.
std::unique_ptr<Message> message_from(const MessageType & type, const Arguments & args);

// Input of a file or of standard input ("-"), at most 64 MiB.
std::vector<uint8_t> read_input(const std::string & path);

}  // namespace velmsg
