// Publishing and receiving messages over Fast-DDS on the ROS 2 conventions:
// topic "rt/<topic>", type "<package>::<folder>::dds_::<Type>_", little-endian
// CDR payloads written by the type's own serializer. Loopback only unless
// ROS_LOCALHOST_ONLY=0.
#pragma once

#include <cstdint>
#include <functional>
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
  std::optional<unsigned> count;  // unset: until interrupted
  double rate_hz = 1.0;
  double wait_for_subscriber_s = 5.0;  // then publish anyway, as ROS 2 publishers do
  unsigned matching_subscriptions = 0;  // first wait, however long, for this many subscriptions
  unsigned print_every = 1;  // a progress line for every Nth message; 0: none
  Qos qos;
};

// Publishes the message count times (or until interrupted), the first once a
// subscriber is matched (or the wait is over); returns as soon as every
// matched reliable subscriber acknowledged them or left, or a few seconds
// passed. Progress lines go to log; warnings, which name a QoS or type
// mismatch, to stderr.
void publish(
  const MessageType & type, const Message & message, const TopicName & topic,
  const PublishOptions & options, std::ostream & log);

struct EchoOptions
{
  std::optional<unsigned> count;  // stop after this many messages
  std::optional<double> timeout_s;  // without it, until interrupted
  Qos qos;
  // How each message is printed; unset, as a YAML document ending in "---".
  std::function<void(std::ostream &, const Message &)> print;
};

// Prints every received message. Without a type, takes the one its
// publishers announce, waiting for one as long as timeout_s says (without
// it, until one comes or an interrupt); publishers of two types are refused.
// Returns kExitOk when count messages arrived, or on an interrupt; at the
// timeout, kExitOk when messages arrived and no count was asked for, else
// kExitTimeout.
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

// ros2 topic info [-v]: the topic's type, its publishers and subscriptions
// (with -v each endpoint's QoS) as discovery finds them within listen_s.
void print_topic_info(const TopicName & topic, bool verbose, double listen_s, std::ostream & out);

// ros2 topic hz and bw: the rate or the bandwidth of a topic's messages over
// the last window of them, printed once a second until interrupted. The
// messages are received as bytes, never decoded.
enum class Measure { rate, bandwidth };
void measure_topic(const TopicName & topic, Measure measure, unsigned window, std::ostream & out);

}  // namespace velmsg
