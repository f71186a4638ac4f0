#include "bag_metadata.hpp"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <iomanip>
#include <map>
#include <sstream>

#include "errors.hpp"
#include "yaml-cpp/yaml.h"

namespace velmsg
{
namespace
{

constexpr int kOldestVersion = 4;
constexpr int kNewestVersion = 9;
constexpr uint64_t kPlayerDepth = 10;

// Later releases write the policies by name; Galactic by number.
const std::map<std::string, std::map<std::string, int>> kPolicyNames = {
  {"history", {{"system_default", 0}, {"keep_last", 1}, {"keep_all", 2}, {"unknown", 3}}},
  {"reliability", {{"system_default", 0}, {"reliable", 1}, {"best_effort", 2}, {"unknown", 3},
    {"best_available", 4}}},
  {"durability", {{"system_default", 0}, {"transient_local", 1}, {"volatile", 2}, {"unknown", 3},
    {"best_available", 4}}},
  {"liveliness", {{"system_default", 0}, {"automatic", 1}, {"manual_by_node", 2}, {"manual_by_topic", 3},
    {"unknown", 4}, {"best_available", 5}}},
};

int policy(const YAML::Node & profile, const std::string & key, int fallback)
{
  const YAML::Node value = profile[key];
  if (!value) {
    return fallback;
  }
  const auto & names = kPolicyNames.at(key);
  auto named = names.find(value.Scalar());
  if (named != names.end()) {
    return named->second;
  }
  return value.as<int>();
}

QosDuration duration(const YAML::Node & profile, const std::string & key)
{
  const YAML::Node value = profile[key];
  if (!value) {
    return kQosInfinite;
  }
  QosDuration read{value["sec"].as<uint64_t>(0), value["nsec"].as<uint64_t>(0)};
  // Foxy wrote DDS's own infinities; one nanosecond count too large for int64 is infinite too.
  bool foxy_infinite = read.sec == 2147483647 && (read.nsec == 4294967295 || read.nsec == 2147483647);
  return foxy_infinite || read.infinite() ? kQosInfinite : read;
}

void emit_duration(YAML::Emitter & out, const char * key, const QosDuration & value)
{
  out << YAML::Key << key << YAML::Value << YAML::BeginMap << YAML::Key << "sec" << YAML::Value << value.sec <<
    YAML::Key << "nsec" << YAML::Value << value.nsec << YAML::EndMap;
}

// A required key of metadata.yaml, named in full when it is missing.
YAML::Node required(const YAML::Node & parent, const std::string & key, const std::string & path)
{
  YAML::Node value = parent[key];
  if (!value || value.IsNull()) {
    throw bad_input("has no " + path + key);
  }
  return value;
}

// "4.531" (seconds), the milliseconds without zero padding, as ros2 bag info of Galactic prints them.
std::string seconds_and_milliseconds(int64_t ns)
{
  return std::to_string(ns / 1000000000) + "." + std::to_string(ns % 1000000000 / 1000000);
}

std::string time_point_text(int64_t ns)
{
  std::tm local = local_time(static_cast<std::time_t>(ns / 1000000000));
  char date[64];
  std::strftime(date, sizeof date, "%b %e %Y %H:%M:%S", &local);
  std::string ms = std::to_string(ns % 1000000000 / 1000000);
  return std::string(date) + "." + ms + " (" + seconds_and_milliseconds(ns) + ")";
}

std::string size_text(uint64_t bytes)
{
  static const char * const units[] = {"B", "KiB", "MiB", "GiB", "TiB"};
  double size = static_cast<double>(bytes);
  size_t unit = 0;
  while (size >= 1024 && unit < 4) {
    size /= 1024;
    ++unit;
  }
  std::ostringstream text;
  text << std::fixed << std::setprecision(unit ? 1 : 0) << size << " " << units[unit];
  return text.str();
}

}  // namespace

std::tm local_time(std::time_t time)
{
  std::tm local{};
#if defined(_WIN32)
  localtime_s(&local, &time);
#else
  localtime_r(&time, &local);
#endif
  return local;
}

std::string nanoseconds_text(int64_t ns)
{
  char text[40];
  std::snprintf(text, sizeof text, "%lld.%09lld", static_cast<long long>(ns / 1000000000),
    static_cast<long long>(ns % 1000000000));
  return text;
}

bool QosDuration::infinite() const
{
  return sec > kQosInfinite.sec || (sec == kQosInfinite.sec && nsec >= kQosInfinite.nsec) ||
         nsec >= 9223372036854775807ull;
}

std::string qos_profiles_text(const std::vector<QosProfile> & profiles)
{
  if (profiles.empty()) {
    return "";
  }
  YAML::Emitter out;
  out << YAML::BeginSeq;
  for (const QosProfile & p : profiles) {
    out << YAML::BeginMap;
    out << YAML::Key << "history" << YAML::Value << p.history;
    out << YAML::Key << "depth" << YAML::Value << p.depth;
    out << YAML::Key << "reliability" << YAML::Value << p.reliability;
    out << YAML::Key << "durability" << YAML::Value << p.durability;
    emit_duration(out, "deadline", p.deadline);
    emit_duration(out, "lifespan", p.lifespan);
    out << YAML::Key << "liveliness" << YAML::Value << p.liveliness;
    emit_duration(out, "liveliness_lease_duration", p.liveliness_lease_duration);
    out << YAML::Key << "avoid_ros_namespace_conventions" << YAML::Value << p.avoid_ros_namespace_conventions;
    out << YAML::EndMap;
  }
  out << YAML::EndSeq;
  return out.c_str();
}

std::vector<QosProfile> parse_qos_profiles(const std::string & text, const std::string & topic)
{
  std::vector<QosProfile> profiles;
  try {
    YAML::Node list = YAML::Load(text);
    if (!list || list.IsNull() || (list.IsScalar() && list.Scalar().empty())) {
      return profiles;
    }
    if (!list.IsSequence()) {
      throw bad_input("it is not a list");
    }
    for (const YAML::Node & entry : list) {
      if (!entry.IsMap()) {
        throw bad_input("an entry is not a mapping");
      }
      QosProfile p;
      p.history = policy(entry, "history", p.history);
      p.depth = entry["depth"].as<uint64_t>(p.depth);
      p.reliability = policy(entry, "reliability", QosProfile::kReliabilityDefault);
      p.durability = policy(entry, "durability", QosProfile::kDurabilityDefault);
      p.deadline = duration(entry, "deadline");
      p.lifespan = duration(entry, "lifespan");
      p.liveliness = policy(entry, "liveliness", QosProfile::kLivelinessDefault);
      p.liveliness_lease_duration = duration(entry, "liveliness_lease_duration");
      p.avoid_ros_namespace_conventions = entry["avoid_ros_namespace_conventions"].as<bool>(false);
      profiles.push_back(p);
    }
  } catch (const YAML::Exception & error) {
    throw bad_input("the offered QoS profiles of " + topic + " do not read: " + error.msg);
  } catch (const ToolError & error) {
    throw bad_input("the offered QoS profiles of " + topic + " do not read: " + error.what());
  }
  return profiles;
}

std::optional<QosProfile> agreed_profile(const std::vector<QosProfile> & profiles)
{
  if (profiles.empty()) {
    return std::nullopt;
  }
  const QosProfile & first = profiles.front();
  for (const QosProfile & p : profiles) {
    if (p.reliability != first.reliability || p.durability != first.durability || !(p.deadline == first.deadline) ||
      p.liveliness != first.liveliness || !(p.liveliness_lease_duration == first.liveliness_lease_duration))
    {
      return std::nullopt;
    }
  }
  QosProfile agreed = first;
  agreed.history = 1;  // keep last
  agreed.depth = kPlayerDepth;
  return agreed;
}

void BagMetadata::add_time(int64_t timestamp_ns)
{
  if (starting_time_ns == std::numeric_limits<int64_t>::max()) {
    starting_time_ns = timestamp_ns;
    duration_ns = 0;
    return;
  }
  int64_t end = std::max(starting_time_ns + duration_ns, timestamp_ns);
  starting_time_ns = std::min(starting_time_ns, timestamp_ns);
  duration_ns = end - starting_time_ns;
}

std::string metadata_yaml(const BagMetadata & metadata)
{
  YAML::Emitter out;
  out << YAML::BeginMap << YAML::Key << "rosbag2_bagfile_information" << YAML::Value << YAML::BeginMap;
  out << YAML::Key << "version" << YAML::Value << 4;
  out << YAML::Key << "storage_identifier" << YAML::Value << metadata.storage_identifier;
  out << YAML::Key << "relative_file_paths" << YAML::Value << YAML::BeginSeq;
  for (const std::string & path : metadata.relative_file_paths) {
    out << path;
  }
  out << YAML::EndSeq;
  out << YAML::Key << "duration" << YAML::Value << YAML::BeginMap << YAML::Key << "nanoseconds" <<
    YAML::Value << metadata.duration_ns << YAML::EndMap;
  out << YAML::Key << "starting_time" << YAML::Value << YAML::BeginMap << YAML::Key <<
    "nanoseconds_since_epoch" << YAML::Value << metadata.starting_time_ns << YAML::EndMap;
  out << YAML::Key << "message_count" << YAML::Value << metadata.message_count;
  out << YAML::Key << "topics_with_message_count" << YAML::Value << YAML::BeginSeq;
  for (const BagTopic & topic : metadata.topics) {
    out << YAML::BeginMap << YAML::Key << "topic_metadata" << YAML::Value << YAML::BeginMap;
    out << YAML::Key << "name" << YAML::Value << topic.name;
    out << YAML::Key << "type" << YAML::Value << topic.type;
    out << YAML::Key << "serialization_format" << YAML::Value << topic.serialization_format;
    out << YAML::Key << "offered_qos_profiles" << YAML::Value << YAML::DoubleQuoted <<
      topic.offered_qos_profiles;
    out << YAML::EndMap << YAML::Key << "message_count" << YAML::Value << topic.message_count << YAML::EndMap;
  }
  out << YAML::EndSeq;
  out << YAML::Key << "compression_format" << YAML::Value << YAML::DoubleQuoted << metadata.compression_format;
  out << YAML::Key << "compression_mode" << YAML::Value << YAML::DoubleQuoted << metadata.compression_mode;
  out << YAML::EndMap << YAML::EndMap;
  return std::string(out.c_str()) + "\n";
}

BagMetadata parse_metadata(const std::string & text, const std::string & where)
{
  BagMetadata metadata;
  try {
    YAML::Node root = YAML::Load(text);
    if (!root.IsMap()) {
      throw bad_input("is not a YAML mapping");
    }
    const std::string top = "rosbag2_bagfile_information";
    YAML::Node info = required(root, top, "");
    const std::string path = top + ".";
    metadata.version = required(info, "version", path).as<int>();
    if (metadata.version < kOldestVersion || metadata.version > kNewestVersion) {
      throw bad_input("has version " + std::to_string(metadata.version) + "; velmsg reads versions " +
              std::to_string(kOldestVersion) + " to " + std::to_string(kNewestVersion));
    }
    metadata.storage_identifier = required(info, "storage_identifier", path).as<std::string>();
    if (metadata.storage_identifier != "sqlite3") {
      throw bad_input("names storage '" + metadata.storage_identifier +
              "': velmsg reads bags of storage sqlite3 (.db3) only");
    }
    for (const YAML::Node & file : required(info, "relative_file_paths", path)) {
      metadata.relative_file_paths.push_back(file.as<std::string>());
    }
    metadata.duration_ns = required(required(info, "duration", path), "nanoseconds", path + "duration.")
      .as<int64_t>();
    metadata.starting_time_ns = required(required(info, "starting_time", path), "nanoseconds_since_epoch",
        path + "starting_time.").as<int64_t>();
    metadata.message_count = required(info, "message_count", path).as<uint64_t>();
    if (YAML::Node topics = info["topics_with_message_count"]) {
      for (const YAML::Node & entry : topics) {
        const std::string entry_path = path + "topics_with_message_count[].";
        YAML::Node topic = required(entry, "topic_metadata", entry_path);
        const std::string topic_path = entry_path + "topic_metadata.";
        BagTopic read;
        read.name = required(topic, "name", topic_path).as<std::string>();
        read.type = required(topic, "type", topic_path).as<std::string>();
        read.serialization_format = required(topic, "serialization_format", topic_path).as<std::string>();
        if (YAML::Node profiles = topic["offered_qos_profiles"]) {
          // A text up to version 8, a list from version 9 on.
          read.offered_qos_profiles = profiles.IsSequence() ? YAML::Dump(profiles) : profiles.as<std::string>("");
        }
        read.message_count = required(entry, "message_count", entry_path).as<uint64_t>();
        metadata.topics.push_back(read);
      }
    }
    metadata.compression_format = info["compression_format"].as<std::string>("");
    metadata.compression_mode = info["compression_mode"].as<std::string>("");
  } catch (const YAML::Exception & error) {
    throw bad_input(where + " is not valid bag metadata: " + error.msg + " (line " +
            std::to_string(error.mark.line + 1) + ")");
  } catch (const ToolError & error) {
    throw bad_input(where + " " + error.what());
  }
  if (!metadata.compression_format.empty()) {
    throw bad_input(where + ": the bag is compressed (" + metadata.compression_format + ", " +
            metadata.compression_mode + " mode); velmsg reads uncompressed bags only");
  }
  uint64_t sum = 0;
  for (const BagTopic & topic : metadata.topics) {
    sum += topic.message_count;
  }
  if (sum != metadata.message_count) {
    throw bad_input(where + " counts " + std::to_string(metadata.message_count) +
            " messages, but its topics' counts add up to " + std::to_string(sum));
  }
  return metadata;
}

std::string bag_info_text(const BagMetadata & metadata, uint64_t bag_size_bytes)
{
  const std::string indent(19, ' ');
  std::ostringstream out;
  out << "\nFiles:             ";
  for (size_t i = 0; i < metadata.relative_file_paths.size(); ++i) {
    out << (i ? indent : "") << metadata.relative_file_paths[i] << "\n";
  }
  if (metadata.relative_file_paths.empty()) {
    out << "\n";
  }
  out << "Bag size:          " << size_text(bag_size_bytes) << "\n";
  out << "Storage id:        " << metadata.storage_identifier << "\n";
  out << "Duration:          " << seconds_and_milliseconds(metadata.duration_ns) << "s\n";
  out << "Start:             " << time_point_text(metadata.starting_time_ns) << "\n";
  // An empty bag starts at the largest time there is; its end is that too.
  int64_t end = metadata.starting_time_ns > std::numeric_limits<int64_t>::max() - metadata.duration_ns ?
    std::numeric_limits<int64_t>::max() : metadata.starting_time_ns + metadata.duration_ns;
  out << "End:               " << time_point_text(end) << "\n";
  out << "Messages:          " << metadata.message_count << "\n";
  out << "Topic information: ";
  for (size_t i = 0; i < metadata.topics.size(); ++i) {
    const BagTopic & topic = metadata.topics[i];
    out << (i ? indent : "") << "Topic: " << topic.name << " | Type: " << topic.type << " | Count: " <<
      topic.message_count << " | Serialization Format: " << topic.serialization_format << "\n";
  }
  if (metadata.topics.empty()) {
    out << "\n";
  }
  return out.str() + "\n";
}

}  // namespace velmsg
