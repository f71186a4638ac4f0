// The Fast-DDS participant that velmsg's DDS commands share: loopback-only
// discovery, a log of what discovery finds, topics of any message type, and
// the QoS and wording helpers of publish, echo and the topic tools.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "cdr_bytes.hpp"
#include "dds.hpp"
#include "errors.hpp"

#include "fastdds/dds/domain/DomainParticipant.hpp"
#include "fastdds/dds/domain/DomainParticipantFactory.hpp"
#include "fastdds/dds/domain/DomainParticipantListener.hpp"
#include "fastdds/dds/publisher/DataWriter.hpp"
#include "fastdds/dds/publisher/Publisher.hpp"
#include "fastdds/dds/subscriber/DataReader.hpp"
#include "fastdds/dds/subscriber/SampleInfo.hpp"
#include "fastdds/dds/subscriber/Subscriber.hpp"
#include "fastdds/dds/topic/Topic.hpp"
#include "fastdds/dds/topic/TopicDataType.hpp"
#include "fastdds/dds/topic/TypeSupport.hpp"
#include "fastdds/rtps/transport/UDPv4TransportDescriptor.h"
#include "fastrtps/utils/IPLocator.h"


namespace velmsg::dds_detail
{
namespace dds = eprosima::fastdds::dds;
using Clock = std::chrono::steady_clock;


constexpr double kAcknowledgementWait_s = 5.0;
// A subscriber matched by the writer learns of the writer a moment later; a
// sample that arrives before then is dropped, and a volatile reader of Cyclone
// DDS never asks for it again (it starts after the writer's first heartbeat).
// Waiting this long after the match lets the announcement arrive.
constexpr double kMatchSettle_s = 0.25;
// A participant of another vendor may get Fast-DDS's announcement of the writer
// before it knows the writer's participant, and drop it; Fast-DDS announces
// again at the next heartbeat of its endpoint discovery, 1 s later. Fast-DDS
// readers ask for a sample they missed, and need no such wait.
constexpr double kForeignAnnouncementRepeat_s = 1.25;
// Publishers of other participants that exist already are all announced within
// two announcement periods of the first.
constexpr double kTypeSettle_s = 0.6;
constexpr double kHeartbeatPeriod_s = 0.05;
constexpr double kAnnouncementPeriod_s = 0.25;
// Participants of one domain on this host that find each other by unicast discovery.
constexpr uint32_t kParticipantsPerDomain = 32;

// Any message type, serialized through its Fast-CDR callbacks.
class GenericTopicType : public dds::TopicDataType
{
public:
  explicit GenericTopicType(const MessageType & type)
  : type_(type)
  {
    setName(type.dds_type_name().c_str());
    bool bounded = true;
    size_t max_size = type.serializer().max_serialized_size(bounded) + 4;
    // Unbounded types (a header's frame id) grow their payloads as needed; see the writer's memory policy.
    m_typeSize = static_cast<uint32_t>(std::min<size_t>(max_size, 1 << 16));
    m_isGetKeyDefined = false;
    auto_fill_type_object(false);
    auto_fill_type_information(false);
  }

  bool serialize(void * data, eprosima::fastrtps::rtps::SerializedPayload_t * payload) override
  {
    try {
      payload->length = static_cast<uint32_t>(write_cdr(type_, data,
        reinterpret_cast<char *>(payload->data), payload->max_size, true));
      payload->encapsulation = CDR_LE;
      return true;
    } catch (const ToolError &) {
      return false;
    }
  }

  bool deserialize(eprosima::fastrtps::rtps::SerializedPayload_t * payload, void * data) override
  {
    try {
      read_cdr(type_, payload->data, payload->length, data, true);
      return true;
    } catch (const ToolError &) {
      return false;
    }
  }

  std::function<uint32_t()> getSerializedSizeProvider(void * data) override
  {
    return [this, data] {return static_cast<uint32_t>(cdr_size(type_, data, true));};
  }

  void * createData() override
  {
    auto message = std::make_unique<Message>(type_.description());
    void * data = message->data();
    std::lock_guard<std::mutex> lock(mutex_);
    created_.emplace(data, std::move(message));
    return data;
  }

  void deleteData(void * data) override
  {
    std::lock_guard<std::mutex> lock(mutex_);
    created_.erase(data);
  }

  bool getKey(void *, eprosima::fastrtps::rtps::InstanceHandle_t *, bool) override
  {
    return false;
  }

private:
  const MessageType & type_;
  std::mutex mutex_;
  std::map<void *, std::unique_ptr<Message>> created_;
};

// A serialized message exactly as DDS carries it, the encapsulation header first.
struct RawMessage
{
  std::vector<uint8_t> bytes;
};

// Any type under its DDS name: the payload's bytes pass through unchanged,
// never decoded, for the tools that measure, store or replay messages.
class RawTopicType : public dds::TopicDataType
{
public:
  explicit RawTopicType(const std::string & dds_name)
  {
    setName(dds_name.c_str());
    m_typeSize = 1 << 12;  // payloads grow as needed: see the memory policy of the endpoints
    m_isGetKeyDefined = false;
    auto_fill_type_object(false);
    auto_fill_type_information(false);
  }

  bool serialize(void * data, eprosima::fastrtps::rtps::SerializedPayload_t * payload) override
  {
    const std::vector<uint8_t> & bytes = static_cast<RawMessage *>(data)->bytes;
    if (bytes.size() > payload->max_size) {
      return false;
    }
    std::memcpy(payload->data, bytes.data(), bytes.size());
    payload->length = static_cast<uint32_t>(bytes.size());
    payload->encapsulation = bytes.size() > 1 && bytes[1] == 0 ? CDR_BE : CDR_LE;
    return true;
  }

  bool deserialize(eprosima::fastrtps::rtps::SerializedPayload_t * payload, void * data) override
  {
    static_cast<RawMessage *>(data)->bytes.assign(payload->data, payload->data + payload->length);
    return true;
  }

  std::function<uint32_t()> getSerializedSizeProvider(void * data) override
  {
    return [data] {return static_cast<uint32_t>(static_cast<RawMessage *>(data)->bytes.size());};
  }

  void * createData() override {return new RawMessage();}
  void deleteData(void * data) override {delete static_cast<RawMessage *>(data);}
  bool getKey(void *, eprosima::fastrtps::rtps::InstanceHandle_t *, bool) override {return false;}
};

// An endpoint of another participant, as discovery announced it.
struct RemoteEndpoint
{
  eprosima::fastrtps::rtps::GuidPrefix_t participant;
  bool writer = false;
  std::string topic;  // DDS name
  std::string type;   // DDS name
  bool reliable = true;
  bool transient_local = false;
  // What ros2 topic info -v shows besides.
  eprosima::fastrtps::rtps::GUID_t guid;
  eprosima::fastrtps::Duration_t lifespan;
  eprosima::fastrtps::Duration_t deadline;
  dds::LivelinessQosPolicyKind liveliness = dds::AUTOMATIC_LIVELINESS_QOS;
  eprosima::fastrtps::Duration_t lease_duration;
};

// What discovery tells of the other participants and their endpoints, kept
// for the diagnosis of a topic on which nothing matches, and for type discovery.
class DiscoveryLog : public dds::DomainParticipantListener
{
public:
  void on_participant_discovery(
    dds::DomainParticipant *, eprosima::fastrtps::rtps::ParticipantDiscoveryInfo && info) override
  {
    if (info.status == eprosima::fastrtps::rtps::ParticipantDiscoveryInfo::DISCOVERED_PARTICIPANT) {
      participants_seen_ = true;
      std::lock_guard<std::mutex> lock(mutex_);
      participants_.emplace(info.info.m_guid.guidPrefix, Participant{Clock::now(),
          info.info.m_VendorId == eprosima::fastrtps::rtps::c_VendorId_eProsima});
    }
  }

  void on_subscriber_discovery(
    dds::DomainParticipant *, eprosima::fastrtps::rtps::ReaderDiscoveryInfo && info) override
  {
    record(info.info, false, info.status == eprosima::fastrtps::rtps::ReaderDiscoveryInfo::REMOVED_READER);
  }

  void on_publisher_discovery(
    dds::DomainParticipant *, eprosima::fastrtps::rtps::WriterDiscoveryInfo && info) override
  {
    record(info.info, true, info.status == eprosima::fastrtps::rtps::WriterDiscoveryInfo::REMOVED_WRITER);
  }

  bool participants_seen() const {return participants_seen_;}

  std::vector<RemoteEndpoint> endpoints() const
  {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<RemoteEndpoint> all;
    for (const auto & entry : endpoints_) {
      all.push_back(entry.second);
    }
    return all;
  }

  // The writers (or readers) on a DDS topic.
  std::vector<RemoteEndpoint> on_topic(const std::string & dds_topic, bool writers) const
  {
    std::vector<RemoteEndpoint> found;
    for (const RemoteEndpoint & endpoint : endpoints()) {
      if (endpoint.topic == dds_topic && endpoint.writer == writers) {
        found.push_back(endpoint);
      }
    }
    return found;
  }

  // When the last participant of another vendor with a reader on the DDS topic was discovered.
  std::optional<Clock::time_point> foreign_reader_found(const std::string & dds_topic) const
  {
    std::optional<Clock::time_point> last;
    for (const RemoteEndpoint & reader : on_topic(dds_topic, false)) {
      std::lock_guard<std::mutex> lock(mutex_);
      auto participant = participants_.find(reader.participant);
      if (participant != participants_.end() && !participant->second.fast_dds) {
        last = std::max(last.value_or(participant->second.found), participant->second.found);
      }
    }
    return last;
  }

  void ignore_participant(const eprosima::fastrtps::rtps::GuidPrefix_t & own)
  {
    std::lock_guard<std::mutex> lock(mutex_);
    own_ = own;
  }

private:
  // A reader's or a writer's announcement (ReaderProxyData, WriterProxyData).
  template<typename ProxyData>
  void record(const ProxyData & data, bool writer, bool removed)
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (data.guid().guidPrefix == own_) {
      return;
    }
    if (removed) {
      endpoints_.erase(data.guid());
      return;
    }
    const auto & qos = data.m_qos;
    endpoints_[data.guid()] = {data.guid().guidPrefix, writer, data.topicName().to_string(),
      data.typeName().to_string(), qos.m_reliability.kind == dds::RELIABLE_RELIABILITY_QOS,
      qos.m_durability.kind != dds::VOLATILE_DURABILITY_QOS, data.guid(), qos.m_lifespan.duration,
      qos.m_deadline.period, qos.m_liveliness.kind, qos.m_liveliness.lease_duration};
  }

  struct Participant
  {
    Clock::time_point found;
    bool fast_dds;
  };
  mutable std::mutex mutex_;
  std::map<eprosima::fastrtps::rtps::GuidPrefix_t, Participant> participants_;
  std::map<eprosima::fastrtps::rtps::GUID_t, RemoteEndpoint> endpoints_;
  eprosima::fastrtps::rtps::GuidPrefix_t own_;
  std::atomic<bool> participants_seen_{false};
};

// A participant on the domain of ROS_DOMAIN_ID that logs what discovery finds;
// deletes what it made. On the loopback interface only unless
// ROS_LOCALHOST_ONLY=0 asks for every interface.
class TopicParticipant
{
public:
  TopicParticipant()
  {
    auto factory = dds::DomainParticipantFactory::get_instance();
    dds::DomainParticipantQos qos = dds::PARTICIPANT_QOS_DEFAULT;
    configure(qos);
    participant_.reset(factory->create_participant(domain_from_environment(), qos, &log_,
      dds::StatusMask::none()));
    if (!participant_) {
      throw failure("cannot create a DDS participant on domain " +
              std::to_string(domain_from_environment()));
    }
    // Before any endpoint of its own exists: the log keeps the others' alone.
    log_.ignore_participant(participant_->guid().guidPrefix);
  }

  // The settings of every participant of velmsg.
  static void configure(dds::DomainParticipantQos & qos)
  {
    qos.name("velmsg");
    if (localhost_only_from_environment()) {
      restrict_to_loopback(qos);
    }
    // A participant that learns of a new one by unicast discovery does not
    // answer it at once; the newcomer hears of it at its next announcement.
    // Announcing often lets a pub find an echo that runs already in a fraction
    // of a second, rather than in up to 3 s (Fast-DDS's default period).
    qos.wire_protocol().builtin.discovery_config.leaseDuration_announcementperiod =
      eprosima::fastrtps::Duration_t(kAnnouncementPeriod_s);
  }

  // The topic of a type; the type registered on first use.
  dds::Topic * open_topic(const MessageType & type, const TopicName & topic)
  {
    return open(dds::TypeSupport(new GenericTopicType(type)), topic);
  }

  // The topic of a type known by its DDS name alone, whose samples stay bytes.
  dds::Topic * open_raw_topic(const std::string & dds_type_name, const TopicName & topic)
  {
    return open(dds::TypeSupport(new RawTopicType(dds_type_name)), topic);
  }

  const DiscoveryLog & log() const {return log_;}
  dds::DomainParticipant * participant() {return participant_.get();}

private:
  dds::Topic * open(dds::TypeSupport support, const TopicName & topic)
  {
    if (support.register_type(participant_.get()) != ReturnCode_t::RETCODE_OK) {
      throw failure("cannot register the DDS type " + support.get_type_name());
    }
    dds::Topic * created = participant_->create_topic(topic.dds, support.get_type_name(), dds::TOPIC_QOS_DEFAULT);
    if (!created) {
      throw failure("cannot create the DDS topic " + topic.dds);
    }
    return created;
  }

  // UDP on 127.0.0.1 only, and discovery by unicast to the well-known ports of
  // the first participants there: no multicast group is joined or sent to,
  // whatever an XML profile of the environment set up.
  static void restrict_to_loopback(dds::DomainParticipantQos & qos)
  {
    // Fast-DDS would turn the participant into a client of the discovery
    // servers this variable names, wherever they are.
    unsetenv("ROS_DISCOVERY_SERVER");
    auto udp = std::make_shared<eprosima::fastdds::rtps::UDPv4TransportDescriptor>();
    udp->interfaceWhiteList.push_back("127.0.0.1");
    udp->maxInitialPeersRange = kParticipantsPerDomain;
    qos.transport().user_transports.clear();
    qos.transport().user_transports.push_back(udp);
    qos.transport().use_builtin_transports = false;
    eprosima::fastrtps::rtps::Locator_t loopback;
    loopback.kind = LOCATOR_KIND_UDPv4;
    eprosima::fastrtps::rtps::IPLocator::setIPv4(loopback, 127, 0, 0, 1);
    loopback.port = 0;  // 0: the well-known port of the participant
    auto & wire = qos.wire_protocol();
    wire.builtin.discovery_config.discoveryProtocol = eprosima::fastrtps::rtps::DiscoveryProtocol_t::SIMPLE;
    wire.builtin.discovery_config.m_DiscoveryServers.clear();
    wire.builtin.metatrafficMulticastLocatorList.clear();
    wire.builtin.metatrafficUnicastLocatorList.clear();
    wire.builtin.metatrafficUnicastLocatorList.push_back(loopback);
    wire.builtin.initialPeersList.clear();
    wire.builtin.initialPeersList.push_back(loopback);
    wire.default_multicast_locator_list.clear();
    wire.default_unicast_locator_list.clear();
    wire.default_unicast_locator_list.push_back(loopback);
    wire.default_external_unicast_locators.clear();
    wire.builtin.metatraffic_external_unicast_locators.clear();
  }

  struct Deleter
  {
    void operator()(dds::DomainParticipant * participant) const
    {
      participant->delete_contained_entities();
      dds::DomainParticipantFactory::get_instance()->delete_participant(participant);
    }
  };
  DiscoveryLog log_;  // outlives the participant, which calls it
  std::unique_ptr<dds::DomainParticipant, Deleter> participant_;
};

// Said when no peer matched: what velmsg's network reaches, and how to reach further.
inline std::string reach_hint(const char * peers)
{
  std::string where = localhost_only_from_environment() ?
    "velmsg talks over 127.0.0.1 only, so it finds " + std::string(peers) +
    " that use the loopback interface too (ROS 2 nodes started with ROS_LOCALHOST_ONLY=1); "
    "ROS_LOCALHOST_ONLY=0 reaches every interface" :
    std::string("ROS_LOCALHOST_ONLY=0: every interface");
  return "domain " + std::to_string(domain_from_environment()) + " (ROS_DOMAIN_ID); " + where;
}

// The policies that decide whether a reader and a writer match, as DDS names them.
inline std::string policy_name(dds::QosPolicyId_t id)
{
  switch (id) {
    case dds::DURABILITY_QOS_POLICY_ID: return "durability";
    case dds::PRESENTATION_QOS_POLICY_ID: return "presentation";
    case dds::DEADLINE_QOS_POLICY_ID: return "deadline";
    case dds::LATENCYBUDGET_QOS_POLICY_ID: return "latency budget";
    case dds::OWNERSHIP_QOS_POLICY_ID: return "ownership";
    case dds::LIVELINESS_QOS_POLICY_ID: return "liveliness";
    case dds::RELIABILITY_QOS_POLICY_ID: return "reliability";
    case dds::DESTINATIONORDER_QOS_POLICY_ID: return "destination order";
    case dds::DATAREPRESENTATION_QOS_POLICY_ID: return "data representation";
    default: return "number " + std::to_string(static_cast<unsigned>(id));
  }
}

// Why no endpoint of the other side matched on the topic: another type, a QoS
// policy that cannot match, or, when nothing at all was discovered, the network.
// Empty when none of these is known.
inline std::string unmatched_reason(
  const DiscoveryLog & log, const TopicName & topic, const MessageType & type, const Qos & qos, bool we_write,
  dds::QosPolicyId_t incompatible)
{
  const std::string peer = we_write ? "subscriber" : "publisher";
  std::vector<RemoteEndpoint> peers = log.on_topic(topic.dds, !we_write);
  if (peers.empty()) {
    return log.participants_seen() ? std::string() : "no DDS participant found on " +
           reach_hint(we_write ? "subscribers" : "publishers");
  }
  std::set<std::string> other_types;
  for (const RemoteEndpoint & endpoint : peers) {
    if (endpoint.type != type.dds_type_name()) {
      other_types.insert(ros_type_name(endpoint.type));
    }
  }
  if (!other_types.empty()) {
    std::string types;
    for (const std::string & name : other_types) {
      types += (types.empty() ? "" : ", ") + name;
    }
    return "a " + peer + " on " + topic.ros + " has type " + types + ", not " + type.name().text() +
           ": give the type the topic carries (velmsg " + (we_write ? "pub " : "echo ") + topic.ros +
           " " + *other_types.begin() + ")";
  }
  const char * ours = we_write ? "velmsg offers" : "velmsg asks for";
  const char * theirs = we_write ? "the subscriber asks for" : "the publisher offers";
  for (const RemoteEndpoint & endpoint : peers) {
    // A reader asks for at most what the writer offers: reliable over best effort, transient local over volatile.
    bool writer_reliable = we_write ? !qos.best_effort : endpoint.reliable;
    bool reader_reliable = we_write ? endpoint.reliable : !qos.best_effort;
    if (reader_reliable && !writer_reliable) {
      return std::string("incompatible QoS policy reliability: ") + theirs + " " +
             (endpoint.reliable ? "reliable" : "best_effort") + ", " + ours + " " +
             (qos.best_effort ? "best_effort" : "reliable") + " (give --qos-reliability " +
             (we_write ? "reliable" : "best_effort") + ")";
    }
    bool writer_lasting = we_write ? qos.transient_local : endpoint.transient_local;
    bool reader_lasting = we_write ? endpoint.transient_local : qos.transient_local;
    if (reader_lasting && !writer_lasting) {
      return std::string("incompatible QoS policy durability: ") + theirs + " " +
             (endpoint.transient_local ? "transient_local" : "volatile") + ", " + ours + " " +
             (qos.transient_local ? "transient_local" : "volatile") + " (give --qos-durability " +
             (we_write ? "transient_local" : "volatile") + ")";
    }
  }
  if (incompatible != dds::INVALID_QOS_POLICY_ID) {
    return "incompatible QoS policy " + policy_name(incompatible) + " of the " + peer;
  }
  return std::string();
}

// Reliable or best effort, volatile or transient local, as the options say;
// every sample kept until acknowledged or taken unless a depth is given, and
// payloads that grow with the message.
template<typename EntityQos>
inline void set_entity_qos(EntityQos & entity, const Qos & qos)
{
  entity.reliability().kind = qos.best_effort ? dds::BEST_EFFORT_RELIABILITY_QOS : dds::RELIABLE_RELIABILITY_QOS;
  entity.durability().kind = qos.transient_local ? dds::TRANSIENT_LOCAL_DURABILITY_QOS :
    dds::VOLATILE_DURABILITY_QOS;
  entity.history().kind = qos.depth ? dds::KEEP_LAST_HISTORY_QOS : dds::KEEP_ALL_HISTORY_QOS;
  entity.history().depth = static_cast<int32_t>(qos.depth.value_or(1));
  entity.endpoint().history_memory_policy =
    eprosima::fastrtps::rtps::PREALLOCATED_WITH_REALLOC_MEMORY_MODE;
}

inline std::atomic<bool> interrupted{false};

// Ctrl-C and SIGTERM end a command that runs until interrupted, as a clean stop.
inline void stop_on_interrupt()
{
  interrupted = false;
  auto on_signal = [](int) {interrupted = true;};
  std::signal(SIGINT, on_signal);
  std::signal(SIGTERM, on_signal);
}

inline std::chrono::duration<double> seconds(double s)
{
  return std::chrono::duration<double>(s);
}

// "0.5 s", "5 s"
inline std::string seconds_text(double s)
{
  std::ostringstream text;
  text << s << " s";
  return text.str();
}

// The DDS type name that the publishers on a topic announce, once one is
// found: waits wait_s (without it, until one comes), then for the others that
// exist to be announced too. Publishers of two types are refused with both
// named; no publisher within the wait is a timeout. Empty when interrupted.
inline std::optional<std::string> announced_type(
  const TopicParticipant & participant, const TopicName & topic, std::optional<double> wait_s,
  const char * command)
{
  auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(seconds(wait_s.value_or(0)));
  std::vector<RemoteEndpoint> writers;
  while (!interrupted && (!wait_s || Clock::now() < deadline) &&
    (writers = participant.log().on_topic(topic.dds, true)).empty())
  {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (interrupted) {
    return std::nullopt;
  }
  if (writers.empty()) {
    throw ToolError(kExitTimeout, "no publisher on " + topic.ros + " (DDS topic " + topic.dds + ") within " +
            seconds_text(*wait_s) + " to tell its type: give it, velmsg " + command + " " + topic.ros +
            " <type>" + (participant.log().participants_seen() ? "" : "; no DDS participant found on " +
            reach_hint("publishers")));
  }
  std::this_thread::sleep_for(seconds(kTypeSettle_s));
  std::set<std::string> types;
  for (const RemoteEndpoint & writer : participant.log().on_topic(topic.dds, true)) {
    types.insert(writer.type);
  }
  if (types.size() > 1) {
    std::string names;
    for (const std::string & name : types) {
      names += (names.empty() ? "" : " and ") + ros_type_name(name);
    }
    throw usage_error("the publishers on " + topic.ros + " announce two types, " + names +
            ": give one, velmsg " + command + " " + topic.ros + " " + ros_type_name(*types.begin()));
  }
  return *types.begin();
}

}  // namespace velmsg::dds_detail
