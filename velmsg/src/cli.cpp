#include "cli.hpp"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "errors.hpp"
#include "message_text.hpp"

namespace velmsg
{

constexpr size_t kMaxInputBytes = 64u << 20;

namespace
{
std::string example(const char * text)
{
  return std::string("\nExample:\n") + text;
}
}  // namespace

CLI::App * command(CLI::App & parent, const char * name, const char * what, const char * examples)
{
  CLI::App * sub = parent.add_subcommand(name, what);
  sub->footer(example(examples));
  return sub;
}

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

void add_topic(CLI::App * sub, Arguments & args)
{
  sub->add_option("topic", args.topic, "ROS 2 topic name: cmd and /cmd are DDS topic rt/cmd")->required();
}

void add_listen(CLI::App * sub, Arguments & args)
{
  sub->add_option("--spin-time,--wait", args.listen_s,
    "listen S seconds for participants before answering (default 1)")
  ->type_name("S")->check(within(0.1, 60, " s"));
}

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

}  // namespace velmsg
