// What a ROS 2 bag says about itself: metadata.yaml (written as version 4, as
// Galactic writes it; read from version 4 to 9), the offered QoS profiles of
// its topics, and the summary `ros2 bag info` prints.
#pragma once

#include <cstdint>
#include <ctime>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace velmsg
{

// rmw_time_t: seconds and nanoseconds, both unsigned.
struct QosDuration
{
  uint64_t sec = 0;
  uint64_t nsec = 0;
  bool operator==(const QosDuration & other) const {return sec == other.sec && nsec == other.nsec;}
  bool unspecified() const {return sec == 0 && nsec == 0;}
  bool infinite() const;
};

// RMW_DURATION_INFINITE
constexpr QosDuration kQosInfinite{9223372036ull, 854775807ull};

// One publisher's offered QoS as the rmw graph reports it; the policies are
// the rmw enum values (history 3 and depth 0: unknown, as the graph gives them).
struct QosProfile
{
  enum Reliability { kReliabilityDefault = 0, kReliable = 1, kBestEffort = 2 };
  enum Durability { kDurabilityDefault = 0, kTransientLocal = 1, kVolatile = 2 };
  enum Liveliness { kLivelinessDefault = 0, kAutomatic = 1, kManualByNode = 2, kManualByTopic = 3 };
  int history = 3;
  uint64_t depth = 0;
  int reliability = kReliable;
  int durability = kVolatile;
  QosDuration deadline = kQosInfinite;
  QosDuration lifespan = kQosInfinite;
  int liveliness = kAutomatic;
  QosDuration liveliness_lease_duration = kQosInfinite;
  bool avoid_ros_namespace_conventions = false;
};

// The YAML text of a list of profiles, as the bag stores it (empty list: "").
std::string qos_profiles_text(const std::vector<QosProfile> & profiles);

// The profiles of a topic, from the text a bag stores (policies as numbers or,
// as later releases write them, names). Fails with a bad-input error naming the topic.
std::vector<QosProfile> parse_qos_profiles(const std::string & text, const std::string & topic);

// The profile a player offers: the recorded one (keep last 10) when every
// publisher agreed on the policies a subscriber sees; else nothing.
std::optional<QosProfile> agreed_profile(const std::vector<QosProfile> & profiles);

struct BagTopic
{
  std::string name;  // "/cmd"
  std::string type;  // "velmari_messages/msg/Control"
  std::string serialization_format = "cdr";
  std::string offered_qos_profiles;  // the text, as stored
  uint64_t message_count = 0;
};

struct BagMetadata
{
  int version = 4;
  std::string storage_identifier = "sqlite3";
  std::vector<std::string> relative_file_paths;
  int64_t duration_ns = 0;
  int64_t starting_time_ns = std::numeric_limits<int64_t>::max();  // an empty bag keeps it
  uint64_t message_count = 0;
  std::vector<BagTopic> topics;
  std::string compression_format;
  std::string compression_mode;

  // Widens the time span to take a message received at the given time.
  void add_time(int64_t timestamp_ns);
};

// metadata.yaml in version 4 (the metadata's own version is not consulted).
std::string metadata_yaml(const BagMetadata & metadata);

// metadata.yaml of version 4 to 9; `where` names the file in errors.
BagMetadata parse_metadata(const std::string & text, const std::string & where);

// The local time of the machine.
std::tm local_time(std::time_t time);

// A receive time as "1585866235.112411371" (seconds since the epoch).
std::string nanoseconds_text(int64_t ns);

// What `ros2 bag info` prints: the summary, fields padded to 19 columns.
std::string bag_info_text(const BagMetadata & metadata, uint64_t bag_size_bytes);

}  // namespace velmsg
