// Publishing and receiving messages over Fast-DDS on the ROS 2 conventions:
// topic "rt/<topic>", type "<package>::<folder>::dds_::<Type>_", little-endian
// CDR payloads written by the type's own serializer. Loopback only unless
// ROS_LOCALHOST_ONLY=0.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "message_type.hpp"
#include "topic_name.hpp"

namespace eprosima::fastdds::dds {class DomainParticipantQos;}

namespace velmsg
{

// The settings of every participant of velmsg: loopback only unless
// ROS_LOCALHOST_ONLY=0, frequent announcements.
void configure_participant(eprosima::fastdds::dds::DomainParticipantQos & qos);

// ROS_DOMAIN_ID, 0 when unset.
uint32_t domain_from_environment();

// ROS_LOCALHOST_ONLY as ROS 2 reads it: "1" loopback only, "0" every interface.
// Unset (or empty), velmsg stays on the loopback interface.
bool localhost_only_from_environment();

// The QoS policies velmsg sets, as ros2's --qos-* options name them.
struct Qos
{
  bool best_effort = false;      // else reliable
  bool transient_local = false;  // else volatile
  std::optional<unsigned> depth;  // keep the last depth messages; unset, every one
};

struct PublishOptions
{
  unsigned count = 1;
  double rate_hz = 1.0;
  double wait_for_subscriber_s = 5.0;  // then publish anyway, as ROS 2 publishers do
  Qos qos;
};

// Publishes the message count times, the first once a subscriber is matched
// (or the wait is over); returns as soon as every matched reliable subscriber
// acknowledged them or left, or a few seconds passed. Progress lines go to
// log; warnings, which name a QoS or type mismatch, to stderr.
void publish(
  const MessageType & type, const Message & message, const TopicName & topic,
  const PublishOptions & options, std::ostream & log);

struct EchoOptions
{
  std::optional<unsigned> count;  // stop after this many messages
  std::optional<double> timeout_s;  // without it, until interrupted
  Qos qos;
};

// Prints every received message as a YAML document. Without a type, takes the
// one its publishers announce. Returns kExitOk when count messages arrived, or
// on an interrupt; at the timeout, kExitOk when messages arrived and no count
// was asked for, else kExitTimeout.
int echo(
  const MessageType * type, Flavour flavour, const TopicName & topic, const EchoOptions & options,
  std::ostream & out);

struct DiscoveredTopic
{
  std::string ros;                 // "/cmd"
  std::vector<std::string> types;  // "velmari_messages/msg/Control"
};

// The ROS 2 topics that participants of the domain announce within listen_s seconds, by name.
std::vector<DiscoveredTopic> discover_topics(double listen_s);

}  // namespace velmsg
