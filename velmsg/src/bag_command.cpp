// velmsg bag: record, play, inspect and export ROS 2 bags (sqlite3 storage, as
// ROS 2 Galactic writes them).

#include <ctime>
#include <filesystem>
#include <iostream>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "bag_dds.hpp"
#include "bag_store.hpp"
#include "cdr_bytes.hpp"
#include "cli.hpp"
#include "errors.hpp"
#include "message_text.hpp"
#include "message_type.hpp"
#include "topic_name.hpp"

namespace velmsg
{
namespace
{

// The smallest split size ros2 bag record takes.
constexpr uint64_t kMinimumSplitBytes = 86016;

struct BagArguments
{
  std::string bag;
  // record
  std::vector<std::string> topics;
  bool all = false;
  std::optional<std::string> output;
  std::string storage = "sqlite3";
  uint64_t max_bag_size = 0;
  double max_bag_duration_s = 0;
  bool include_hidden = false;
  std::optional<double> duration_s;
  std::optional<uint64_t> max_messages;
  // play
  double rate = 1.0;
  bool loop = false;
  std::vector<std::string> play_topics;
  double wait_s = 5.0;
  // echo
  std::optional<std::string> topic;
  bool csv = false;
  bool cpp = false;
};

BagArguments args;

// A bound on a number option, kept out of the option's type text in the help.
template<typename T>
CLI::Validator within(T low, T high)
{
  return CLI::Range(low, high).description("");
}

std::string resolved(const std::string & topic)
{
  return resolve_topic(topic).ros;
}

// rosbag2_YYYY_MM_DD-HH_MM_SS, as ros2 bag record names a bag it is not given a name for.
std::string default_bag_name()
{
  std::tm local = local_time(std::time(nullptr));
  char name[64];
  std::strftime(name, sizeof name, "rosbag2_%Y_%m_%d-%H_%M_%S", &local);
  return name;
}

int run_record()
{
  if (args.storage != "sqlite3") {
    throw usage_error("storage '" + args.storage + "' is not one velmsg writes: it writes sqlite3");
  }
  if (args.all == !args.topics.empty()) {
    throw usage_error(args.all ? "give either topics or -a, not both" :
            "give the topics to record, or -a for every topic");
  }
  if (args.max_bag_size && args.max_bag_size < kMinimumSplitBytes) {
    throw usage_error("--max-bag-size must be 0 (no splitting) or at least " + std::to_string(kMinimumSplitBytes) +
            " bytes");
  }
  RecordOptions options;
  options.folder = args.output.value_or(default_bag_name());
  for (const std::string & topic : args.topics) {
    options.topics.push_back(resolved(topic));
  }
  options.all = args.all;
  options.include_hidden = args.include_hidden;
  options.duration_s = args.duration_s;
  options.max_messages = args.max_messages;
  options.max_file_bytes = args.max_bag_size;
  options.max_file_duration_s = args.max_bag_duration_s;
  return record(options, std::cout);
}

// The names of a bag's topics: "/a, /b".
std::string topic_list(const BagMetadata & metadata)
{
  std::string names;
  for (const BagTopic & topic : metadata.topics) {
    names += (names.empty() ? "" : ", ") + topic.name;
  }
  return names.empty() ? "none" : names;
}

// The topics asked for, each of which the bag must have.
std::set<std::string> chosen_topics(const BagMetadata & metadata, const std::vector<std::string> & topics)
{
  std::set<std::string> chosen;
  for (const std::string & topic : topics) {
    std::string name = resolved(topic);
    bool known = false;
    for (const BagTopic & candidate : metadata.topics) {
      known = known || candidate.name == name;
    }
    if (!known) {
      throw bad_input("the bag has no topic " + name + " (it has: " + topic_list(metadata) + ")");
    }
    chosen.insert(name);
  }
  return chosen;
}

std::unique_ptr<BagReader> open_bag()
{
  auto bag = std::make_unique<BagReader>(args.bag);
  if (bag->recovered() && std::filesystem::is_directory(args.bag)) {
    std::cerr << "velmsg: note: " << args.bag << " has no metadata.yaml (a recording that did not end?): " <<
      "read from its .db3 files" << std::endl;
  }
  return bag;
}

int run_play()
{
  auto bag = open_bag();
  PlayOptions options;
  options.rate = args.rate;
  options.loop = args.loop;
  options.topics = chosen_topics(bag->metadata(), args.play_topics);
  options.wait_for_subscribers_s = args.wait_s;
  return play(*bag, options, std::cout);
}

int run_info()
{
  auto bag = open_bag();
  std::cout << bag_info_text(bag->metadata(), bag->size_bytes());
  return kExitOk;
}

int run_echo()
{
  auto bag = open_bag();
  const BagMetadata & metadata = bag->metadata();
  std::set<std::string> topics = chosen_topics(metadata,
      args.topic ? std::vector<std::string>{*args.topic} : std::vector<std::string>{});
  if (args.csv && topics.empty() && metadata.topics.size() != 1) {
    throw usage_error("--csv prints one topic: give it with --topic (the bag has: " + topic_list(metadata) + ")");
  }
  Flavour flavour = args.cpp ? Flavour::cpp : Flavour::c;
  // The types are loaded on first use: a topic of a type that is not installed
  // fails only when one of its messages is to be printed.
  std::map<std::string, std::unique_ptr<MessageType>> types;
  std::map<const BagTopic *, uint64_t> seen;
  bool header_printed = false;
  bag->for_each(topics, [&](const StoredMessage & stored) {
      const BagTopic & topic = *stored.topic;
      uint64_t index = ++seen[&topic];
      if (topic.serialization_format != "cdr") {
        throw bad_input(topic.name + " holds messages in format '" + topic.serialization_format +
                "': velmsg decodes cdr");
      }
      auto & type = types[topic.type];
      if (!type) {
        type = std::make_unique<MessageType>(TypeName::parse(topic.type), flavour);
        require_supported(type->description());
      }
      Message message(type->description());
      try {
        decode_cdr(*type, std::vector<uint8_t>(stored.data, stored.data + stored.size), message.data(), true);
      } catch (const ToolError & error) {
        throw ToolError(error.code(), "message " + std::to_string(index) + " of " + topic.name + " (received at " +
                nanoseconds_text(stored.timestamp_ns) + ") does not decode as " + topic.type + ": " + error.what());
      }
      if (!args.csv) {
        std::cout << "# " << topic.name << " " << nanoseconds_text(stored.timestamp_ns) << "\n";
        print_yaml(std::cout, message);
        std::cout << "---\n";
        return true;
      }
      if (!header_printed) {
        std::cout << "receive_time," << csv_header(message.description()) << "\n";
        header_printed = true;
      }
      std::cout << stored.timestamp_ns << "," << csv_row(message) << "\n";
      return true;
    });
  return kExitOk;
}

}  // namespace

void add_bag_commands(CLI::App & app, Arguments &, Commands & commands)
{
  CLI::App * bag_app = app.add_subcommand("bag", "record, play, inspect and export ROS 2 bags (sqlite3, as ros2 bag writes "
      "them)");
  bag_app->footer("\nExample:\n  velmsg bag record -o drive /cmd /odom --duration 60\n  velmsg bag info drive\n"
    "  velmsg bag play drive -r 2\n  velmsg bag echo drive --topic /cmd --csv > cmd.csv");

  CLI::App * record = bag_app->add_subcommand("record",
      "record topics over DDS into a bag folder until Ctrl-C, --duration or --max-messages");
  record->add_option("topics", args.topics, "the topics to record");
  record->add_flag("-a,--all", args.all, "every topic, also those that appear later");
  record->add_option("-o,--output", args.output, "the bag folder, which must not exist (default: "
    "rosbag2_YYYY_MM_DD-HH_MM_SS)")->type_name("DIR");
  record->add_option("-s,--storage", args.storage, "storage: sqlite3 (the only one)")->type_name("ID");
  record->add_option("-b,--max-bag-size", args.max_bag_size, "start a new .db3 file past this many bytes "
    "(at least 86016; 0: never)")->type_name("BYTES");
  record->add_option("-d,--max-bag-duration", args.max_bag_duration_s, "start a new .db3 file past this many "
    "seconds (0: never)")->type_name("S")->check(within(0.0, 1e7));
  record->add_flag("--include-hidden-topics", args.include_hidden, "with -a, also topics such as /_name");
  record->add_option("--duration", args.duration_s, "stop after S seconds")->type_name("S")
  ->check(within(0.1, 1e7));
  record->add_option("--max-messages", args.max_messages, "stop after N messages")->type_name("N")
  ->check(within(uint64_t{1}, std::numeric_limits<uint64_t>::max()));

  CLI::App * play = bag_app->add_subcommand("play",
      "publish a bag's messages over DDS, bytes unchanged, with the recorded gaps (scaled by --rate)");
  play->add_option("bag", args.bag, "the bag folder (or one .db3 file)")->required();
  play->add_option("-r,--rate", args.rate, "play this many times faster (default 1)")->type_name("RATE")
  ->check(within(0.01, 1000.0));
  play->add_flag("-l,--loop", args.loop, "play again from the start until interrupted");
  play->add_option("--topics", args.play_topics, "only these topics")->type_name("TOPIC");
  play->add_option("--wait", args.wait_s, "wait up to S seconds (default 5) for every topic's subscribers, "
    "then play anyway")->type_name("S")->check(within(0.0, 60.0));

  CLI::App * info = bag_app->add_subcommand("info", "what a bag holds, as ros2 bag info prints it");
  info->add_option("bag", args.bag, "the bag folder (or one .db3 file)")->required();

  CLI::App * echo = bag_app->add_subcommand("echo",
      "print a bag's messages as YAML documents, or one topic as CSV (one column per field)");
  echo->add_option("bag", args.bag, "the bag folder (or one .db3 file)")->required();
  echo->add_option("--topic", args.topic, "only this topic")->type_name("TOPIC");
  echo->add_flag("--csv", args.csv, "CSV: receive_time (ns since the epoch), then one column per field");
  echo->add_flag("--cpp", args.cpp, "the C++ structures and serializer");

  commands[record] = [](const Arguments &) {return run_record();};
  commands[play] = [](const Arguments &) {return run_play();};
  commands[info] = [](const Arguments &) {return run_info();};
  commands[echo] = [](const Arguments &) {return run_echo();};
}

}  // namespace velmsg
