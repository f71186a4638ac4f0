// Publishing and receiving messages over Fast-DDS on the ROS 2 conventions:
// topic "rt/<topic>", type "<package>::<folder>::dds_::<Type>_", little-endian
// CDR payloads written by the type's own serializer. Loopback only unless
// ROS_LOCALHOST_ONLY=0.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "message_type.hpp"
#include "topic_name.hpp"

namespace velmsg
{

// ROS_DOMAIN_ID, 0 when unset.
uint32_t domain_from_environment();

// ROS_LOCALHOST_ONLY as ROS 2 reads it: "1" loopback only, "0" every interface.
// Unset (or empty), velmsg stays on the loopback interface.
bool localhost_only_from_environment();

struct PublishOptions
{
  unsigned count = 1;
  double rate_hz = 1.0;
  double wait_for_subscriber_s = 5.0;  // then publish anyway, as ROS 2 publishers do
  bool best_effort = false;            // as ROS 2's sensor-data profile
};

// Publishes the message count times, the first as soon as a subscriber is
// matched (or the wait is over); returns once every subscriber acknowledged
// them or a few seconds passed. Progress lines go to log, warnings to stderr.
void publish(
  const MessageType & type, const Message & message, const TopicName & topic,
  const PublishOptions & options, std::ostream & log);

struct EchoOptions
{
  std::optional<unsigned> count;  // stop after this many messages
  std::optional<double> timeout_s;  // without it, until interrupted
  bool best_effort = false;  // also matches best-effort publishers, without their retransmissions
};

// Prints every received message as a YAML document. Returns kExitOk when count
// messages arrived, or on an interrupt; at the timeout, kExitOk when messages
// arrived and no count was asked for, else kExitTimeout.
int echo(
  const MessageType & type, const TopicName & topic, const EchoOptions & options,
  std::ostream & out);

}  // namespace velmsg
