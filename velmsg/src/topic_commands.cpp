// velmsg pub and echo, and the topic family as ros2 topic has it: pub, echo,
// list, info, hz, bw, find, type. pub and echo stand at the top level too.
#include <algorithm>
#include <iostream>
#include <sstream>

#include "cli.hpp"
#include "dds.hpp"
#include "errors.hpp"
#include "message_text.hpp"
#include "topic_name.hpp"

namespace velmsg
{
namespace
{

// Whether text names an installed message type, as an argument in the wrong place would.
bool names_a_type(const std::string & text, Flavour flavour)
{
  try {
    MessageType type(TypeName::parse(text), flavour);
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
    if (error.code() != kExitBadInput || !names_a_type(args.topic, args.flavour())) {
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
  options.count = args.once ? std::optional<unsigned>(1) : args.times;
  options.rate_hz = args.rate_hz;
  options.wait_for_subscriber_s = args.wait_s;
  options.matching_subscriptions = args.matching_subscriptions;
  options.print_every = args.print_every;
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
  if (args.csv) {
    options.print = [](std::ostream & out, const Message & message) {out << csv_row(message) << "\n";};
  } else if (args.field) {
    options.print = [field = *args.field](std::ostream & out, const Message & message) {
        print_field_yaml(out, message, field);
        out << "---\n";
      };
  }
  if (args.field && type) {
    Message probe(type->description());  // an unknown field is named before anything is received
    std::ostringstream ignored;
    print_field_yaml(ignored, probe, *args.field);
  }
  return echo(type.get(), args.flavour(), topic, options, std::cout);
}

int run_list(const Arguments & args)
{
  std::vector<DiscoveredTopic> topics = discover_topics(args.listen_s);
  if (args.count_topics) {
    std::cout << topics.size() << "\n";
    return kExitOk;
  }
  for (const DiscoveredTopic & topic : topics) {
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

int run_info(const Arguments & args)
{
  print_topic_info(resolve_topic(args.topic), args.verbose, args.listen_s, std::cout);
  return kExitOk;
}

int run_find(const Arguments & args)
{
  const std::string wanted = TypeName::parse(args.type).text();
  size_t count = 0;
  for (const DiscoveredTopic & topic : discover_topics(args.listen_s)) {
    if (std::find(topic.types.begin(), topic.types.end(), wanted) != topic.types.end()) {
      ++count;
      if (!args.count_topics) {
        std::cout << topic.ros << "\n";
      }
    }
  }
  if (args.count_topics) {
    std::cout << count << "\n";
  }
  return kExitOk;
}

int run_type(const Arguments & args)
{
  const TopicName topic = resolve_topic(args.topic);
  for (const DiscoveredTopic & found : discover_topics(args.listen_s)) {
    if (found.ros == topic.ros) {
      for (const std::string & type : found.types) {
        std::cout << type << "\n";
      }
      return kExitOk;
    }
  }
  throw bad_input("unknown topic '" + topic.ros + "': no participant of the domain announces it");
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

void add_pub(CLI::App & parent, Arguments & args, Commands & commands)
{
  CLI::App * pub = command(parent, "pub",
      "publish a message over DDS at --rate until interrupted, as ros2 topic pub does;\n"
      "--once publishes one message (what a script wants), --times N that many",
      "  velmsg pub /cmd velmari_messages/Control \"{valid: true, throttle: 0.4}\" --once\n"
      "  velmsg pub /cmd velmari_messages/msg/Control --file control.yaml --times 10 -r 5");
  add_topic(pub, args);
  add_type(pub, args);
  add_values(pub, args);
  add_flavour(pub, args);
  add_qos(pub, args);
  auto once = pub->add_flag("-1,--once", args.once, "publish one message, then exit");
  pub->add_option("-t,--times", args.times, "publish N messages, then exit")
  ->type_name("N")->check(within(1, 1000000, ""))->excludes(once);
  pub->add_option("--count", args.old_count)->group("");
  pub->add_option("-r,--rate", args.rate_hz, "messages per second (default 1)")
  ->type_name("HZ")->check(within(0.01, 1000, " Hz"));
  pub->add_option("-p,--print", args.print_every, "a line for every Nth message published (default 1; 0: none)")
  ->type_name("N")->check(within(0, 1000000, ""));
  pub->add_option("-w,--wait-matching-subscriptions", args.matching_subscriptions,
    "before the first message, wait however long it takes for N subscriptions")
  ->type_name("N")->check(within(0, 1000, ""));
  pub->add_option("--wait", args.wait_s,
    "wait up to S seconds (default 5) for a subscriber, then publish anyway")
  ->type_name("S")->check(within(0, 60, " s"));
  commands[pub] = run_pub;
}

void add_echo(CLI::App & parent, Arguments & args, Commands & commands)
{
  CLI::App * echo = command(parent, "echo",
      "print received messages as YAML documents until interrupted, --count or --timeout;\n"
      "without a type, the one its publishers announce (waiting for one as long as --timeout)",
      "  velmsg echo /cmd --once\n  velmsg echo /cmd velmari_messages/msg/Control --count 2 --timeout 10\n"
      "  velmsg echo /cmd --field header.stamp\n  velmsg echo /cmd --csv > cmd.csv");
  add_topic(echo, args);
  echo->add_option("type", args.type,
    "<package>/<folder>/<Type> or <package>/<Type>; left out, the type that discovery reports");
  add_flavour(echo, args);
  add_qos(echo, args);
  auto echo_once = echo->add_flag("--once", args.once, "stop after the first message");
  echo->add_option("--count", args.count, "stop after N messages")
  ->type_name("N")->check(within(1, 1000000, ""))->excludes(echo_once);
  echo->add_option("--timeout", args.timeout_s, "stop after S seconds")
  ->type_name("S")->check(within(0.1, 86400, " s"));
  auto csv = echo->add_flag("--csv", args.csv, "one line of comma-separated values per message");
  echo->add_option("--field", args.field, "print this field alone (a path: header.stamp)")
  ->type_name("FIELD")->excludes(csv);
  echo->add_flag("--no-arr", args.no_arrays, "leave out array fields (velmsg reads messages without arrays)");
  commands[echo] = run_echo;
}

}  // namespace

void add_topic_commands(CLI::App & app, Arguments & args, Commands & commands)
{
  add_pub(app, args, commands);
  add_echo(app, args, commands);

  CLI::App * topic = command(app, "topic", "topics as ros2 topic: pub, echo, list, info, hz, bw, find, type",
      "  velmsg topic list -t\n  velmsg topic info /cmd -v\n  velmsg topic hz /cmd");
  add_pub(*topic, args, commands);
  add_echo(*topic, args, commands);

  CLI::App * list = topic->add_subcommand("list",
      "every topic that the participants of the domain publish or subscribe, one per line");
  list->add_flag("-t,--show-types", args.show_types, "each topic's type(s) after it");
  list->add_flag("-c,--count-topics", args.count_topics, "only the number of topics");
  add_listen(list, args);
  commands[list] = run_list;

  CLI::App * info = topic->add_subcommand("info", "a topic's type and its publisher and subscription counts");
  add_topic(info, args);
  info->add_flag("-v,--verbose", args.verbose, "each endpoint with its QoS");
  add_listen(info, args);
  commands[info] = run_info;

  auto measure = [&](const char * name, const char * what, Measure kind) {
      CLI::App * sub = topic->add_subcommand(name, what);
      add_topic(sub, args);
      sub->add_option("-w,--window", args.window, "over the last N messages (default 10000)")
      ->type_name("N")->check(within(2, 1000000, ""));
      commands[sub] = [kind](const Arguments & given) {
          measure_topic(resolve_topic(given.topic), kind, given.window, std::cout);
          return kExitOk;
        };
    };
  measure("hz", "the rate of a topic's messages, once a second until interrupted", Measure::rate);
  measure("bw", "the bandwidth of a topic's messages, once a second until interrupted", Measure::bandwidth);

  CLI::App * find = topic->add_subcommand("find", "the topics that carry a type");
  add_type(find, args);
  find->add_flag("-c,--count-topics", args.count_topics, "only the number of topics");
  add_listen(find, args);
  commands[find] = run_find;

  CLI::App * type = topic->add_subcommand("type", "the type(s) of a topic");
  add_topic(type, args);
  add_listen(type, args);
  commands[type] = run_type;
}

}  // namespace velmsg
