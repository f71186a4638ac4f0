// Recording DDS traffic into a bag and playing a bag back, over Fast-DDS on the
// ROS 2 conventions: serialized messages as they travel, never decoded.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "bag_store.hpp"

namespace velmsg
{

struct RecordOptions
{
  std::string folder;
  std::vector<std::string> topics;  // resolved ROS 2 names; empty with all
  bool all = false;
  bool include_hidden = false;
  std::optional<double> duration_s;
  std::optional<uint64_t> max_messages;
  uint64_t max_file_bytes = 0;  // 0: one file
  double max_file_duration_s = 0;
};

// Records until interrupted (SIGINT, SIGTERM), the duration or the message
// count; progress to log. Returns the exit code.
int record(const RecordOptions & options, std::ostream & log);

struct PlayOptions
{
  double rate = 1.0;
  bool loop = false;
  std::set<std::string> topics;  // all when empty
  double wait_for_subscribers_s = 5.0;
};

int play(const BagReader & bag, const PlayOptions & options, std::ostream & log);

}  // namespace velmsg
