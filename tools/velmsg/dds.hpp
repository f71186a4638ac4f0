// Publishing and receiving messages over Fast-DDS on the ROS 2 conventions:
// topic "rt/<topic>", type "<package>::<folder>::dds_::<Type>_", little-endian
// CDR payloads written by the type's own serializer. Loopback only.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "message_type.hpp"

namespace velmsg
{

// ROS_DOMAIN_ID, 0 when unset.
uint32_t domain_from_environment();

struct PublishOptions
{
  unsigned count = 1;
  double rate_hz = 1.0;
  double wait_for_subscriber_s = 5.0;  // then publish anyway, as ROS 2 publishers do
  bool best_effort = false;            // as ROS 2's sensor-data profile
};

// Publishes the message count times; returns once every subscriber acknowledged
// them or a few seconds passed. Progress lines go to log, warnings to stderr.
void publish(
  const MessageType & type, const Message & message, const std::string & topic,
  const PublishOptions & options, std::ostream & log);

struct EchoOptions
{
  std::optional<unsigned> count;  // stop after this many messages
  double timeout_s = 30.0;
  bool best_effort = false;  // also matches best-effort publishers, without their retransmissions
};

// Prints every received message as a YAML document. Returns kExitOk when count
// messages arrived (or, without a count, at the timeout), kExitTimeout when the
// timeout came first.
int echo(
  const MessageType & type, const std::string & topic, const EchoOptions & options,
  std::ostream & out);

}  // namespace velmsg
