#include "dds.hpp"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <map>
#include <optional>
#include <memory>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

#include "cdr_bytes.hpp"
#include "errors.hpp"
#include "message_text.hpp"

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

namespace velmsg
{
namespace dds = eprosima::fastdds::dds;
using Clock = std::chrono::steady_clock;

namespace
{

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
// echo without a type: how long to wait for a publisher that tells it, at most.
constexpr double kTypeDiscoveryWait_s = 5.0;
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

// An endpoint of another participant, as discovery announced it.
struct RemoteEndpoint
{
  eprosima::fastrtps::rtps::GuidPrefix_t participant;
  bool writer = false;
  std::string topic;  // DDS name
  std::string type;   // DDS name
  bool reliable = true;
  bool transient_local = false;
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
    endpoints_[data.guid()] = {data.guid().guidPrefix, writer, data.topicName().to_string(),
      data.typeName().to_string(), data.m_qos.m_reliability.kind == dds::RELIABLE_RELIABILITY_QOS,
      data.m_qos.m_durability.kind != dds::VOLATILE_DURABILITY_QOS};
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
    dds::TypeSupport support(new GenericTopicType(type));
    if (support.register_type(participant_.get()) != ReturnCode_t::RETCODE_OK) {
      throw failure("cannot register the DDS type " + type.dds_type_name());
    }
    dds::Topic * created = participant_->create_topic(topic.dds, support.get_type_name(), dds::TOPIC_QOS_DEFAULT);
    if (!created) {
      throw failure("cannot create the DDS topic " + topic.dds);
    }
    return created;
  }

  const DiscoveryLog & log() const {return log_;}
  dds::DomainParticipant * participant() {return participant_.get();}

private:
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
std::string reach_hint(const char * peers)
{
  std::string where = localhost_only_from_environment() ?
    "velmsg talks over 127.0.0.1 only, so it finds " + std::string(peers) +
    " that use the loopback interface too (ROS 2 nodes started with ROS_LOCALHOST_ONLY=1); "
    "ROS_LOCALHOST_ONLY=0 reaches every interface" :
    std::string("ROS_LOCALHOST_ONLY=0: every interface");
  return "domain " + std::to_string(domain_from_environment()) + " (ROS_DOMAIN_ID); " + where;
}

// The policies that decide whether a reader and a writer match, as DDS names them.
std::string policy_name(dds::QosPolicyId_t id)
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
std::string unmatched_reason(
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
void set_entity_qos(EntityQos & entity, const Qos & qos)
{
  entity.reliability().kind = qos.best_effort ? dds::BEST_EFFORT_RELIABILITY_QOS : dds::RELIABLE_RELIABILITY_QOS;
  entity.durability().kind = qos.transient_local ? dds::TRANSIENT_LOCAL_DURABILITY_QOS :
    dds::VOLATILE_DURABILITY_QOS;
  entity.history().kind = qos.depth ? dds::KEEP_LAST_HISTORY_QOS : dds::KEEP_ALL_HISTORY_QOS;
  entity.history().depth = static_cast<int32_t>(qos.depth.value_or(1));
  entity.endpoint().history_memory_policy =
    eprosima::fastrtps::rtps::PREALLOCATED_WITH_REALLOC_MEMORY_MODE;
}

std::atomic<bool> interrupted{false};

std::chrono::duration<double> seconds(double s)
{
  return std::chrono::duration<double>(s);
}

// "0.5 s", "5 s"
std::string seconds_text(double s)
{
  std::ostringstream text;
  text << s << " s";
  return text.str();
}

}  // namespace

bool localhost_only_from_environment()
{
  const char * text = std::getenv("ROS_LOCALHOST_ONLY");
  std::string value = text ? text : "";
  if (value.empty() || value == "1") {
    return true;
  }
  if (value == "0") {
    return false;
  }
  throw usage_error("ROS_LOCALHOST_ONLY must be 1 (loopback only) or 0 (every interface), not '" + value +
          "'");
}

void configure_participant(dds::DomainParticipantQos & qos)
{
  TopicParticipant::configure(qos);
}

uint32_t domain_from_environment()
{
  const char * text = std::getenv("ROS_DOMAIN_ID");
  if (!text || !*text) {
    return 0;
  }
  char * end = nullptr;
  unsigned long domain = std::strtoul(text, &end, 10);
  if (*end || domain > 232) {
    throw usage_error("ROS_DOMAIN_ID must be a number from 0 to 232, not '" + std::string(text) + "'");
  }
  return static_cast<uint32_t>(domain);
}

void publish(
  const MessageType & type, const Message & message, const TopicName & topic,
  const PublishOptions & options, std::ostream & log)
{
  TopicParticipant participant;
  dds::Topic * dds_topic = participant.open_topic(type, topic);
  dds::Publisher * publisher = participant.participant()->create_publisher(dds::PUBLISHER_QOS_DEFAULT);
  dds::DataWriterQos qos = dds::DATAWRITER_QOS_DEFAULT;
  set_entity_qos(qos, options.qos);
  // A Fast-DDS subscriber that missed the first message asks again after the
  // next heartbeat, which by default comes 3 s later.
  qos.reliable_writer_qos().times.heartbeatPeriod = eprosima::fastrtps::Duration_t(kHeartbeatPeriod_s);
  dds::DataWriter * writer = publisher ? publisher->create_datawriter(dds_topic, qos) : nullptr;
  if (!writer) {
    throw failure("cannot create a DDS writer on " + topic.dds);
  }

  // Polled, not waited on a condition: the first match is what counts.
  auto deadline = Clock::now() + seconds(options.wait_for_subscriber_s);
  dds::PublicationMatchedStatus matched;
  while (writer->get_publication_matched_status(matched) == ReturnCode_t::RETCODE_OK &&
    matched.current_count == 0 && Clock::now() < deadline)
  {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (matched.current_count == 0) {
    dds::OfferedIncompatibleQosStatus incompatible;
    writer->get_offered_incompatible_qos_status(incompatible);
    std::string reason = unmatched_reason(participant.log(), topic, type, options.qos, true,
        incompatible.last_policy_id);
    std::cerr << "velmsg: warning: no subscriber on " << topic.ros << " (DDS topic " << topic.dds << ") " <<
      (options.wait_for_subscriber_s > 0 ? "within " + seconds_text(options.wait_for_subscriber_s) :
      std::string("matched yet")) << "; publishing anyway" << (reason.empty() ? "" : ". " + reason) <<
      std::endl;
  } else {
    auto first_write = Clock::now() + std::chrono::duration_cast<Clock::duration>(seconds(kMatchSettle_s));
    if (auto foreign = participant.log().foreign_reader_found(topic.dds)) {
      first_write = std::max(first_write,
          *foreign + std::chrono::duration_cast<Clock::duration>(seconds(kForeignAnnouncementRepeat_s)));
    }
    std::this_thread::sleep_until(first_write);
  }

  auto period = std::chrono::duration_cast<Clock::duration>(seconds(1.0 / options.rate_hz));
  auto next = Clock::now();
  for (unsigned i = 1; i <= options.count; ++i) {
    if (!writer->write(const_cast<void *>(message.data()))) {
      throw failure("DDS refused to publish message " + std::to_string(i) + " on " + topic.dds);
    }
    log << "published " << type.name().text() << " #" << i << " on " << topic.ros << std::endl;
    if (i < options.count) {
      next += period;
      std::this_thread::sleep_until(next);
    }
  }
  // Until every matched reliable subscriber acknowledged, or left: one that
  // leaves is unmatched, and acknowledges nothing more.
  auto acknowledged_by = Clock::now() + seconds(kAcknowledgementWait_s);
  while (matched.current_count > 0 &&
    writer->wait_for_acknowledgments(eprosima::fastrtps::Duration_t(0.02)) != ReturnCode_t::RETCODE_OK)
  {
    if (writer->get_publication_matched_status(matched) != ReturnCode_t::RETCODE_OK ||
      Clock::now() > acknowledged_by)
    {
      std::cerr << "velmsg: warning: not every subscriber acknowledged the messages within " <<
        seconds_text(kAcknowledgementWait_s) << std::endl;
      break;
    }
  }
}

// echo without a type: the type that the topic's publishers announce, once one is found.
std::unique_ptr<MessageType> type_from_publishers(
  const TopicParticipant & participant, const TopicName & topic, Flavour flavour, double wait_s)
{
  auto deadline = Clock::now() + seconds(wait_s);
  std::vector<RemoteEndpoint> writers;
  while (!interrupted && Clock::now() < deadline &&
    (writers = participant.log().on_topic(topic.dds, true)).empty())
  {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (writers.empty()) {
    if (interrupted) {
      return nullptr;
    }
    throw ToolError(kExitTimeout, "no publisher on " + topic.ros + " (DDS topic " + topic.dds + ") within " +
            seconds_text(wait_s) + " to tell its type: give it, velmsg echo " + topic.ros + " <type>" +
            (participant.log().participants_seen() ? "" : "; no DDS participant found on " +
            reach_hint("publishers")));
  }
  // Publishers of other types announce themselves at the same moment.
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  std::set<std::string> types;
  for (const RemoteEndpoint & writer : participant.log().on_topic(topic.dds, true)) {
    types.insert(ros_type_name(writer.type));
  }
  if (types.size() > 1) {
    std::string names;
    for (const std::string & name : types) {
      names += (names.empty() ? "" : ", ") + name;
    }
    throw usage_error("the publishers on " + topic.ros + " have different types, " + names +
            ": give one, velmsg echo " + topic.ros + " " + *types.begin());
  }
  return std::make_unique<MessageType>(TypeName::parse(*types.begin()), flavour);
}

int echo(
  const MessageType * given, Flavour flavour, const TopicName & topic, const EchoOptions & options,
  std::ostream & out)
{
  // Declared first: the participant's reader reads through the type until the participant is gone.
  std::unique_ptr<MessageType> discovered;
  TopicParticipant participant;
  interrupted = false;
  auto on_signal = [](int) {interrupted = true;};
  std::signal(SIGINT, on_signal);
  std::signal(SIGTERM, on_signal);

  auto start = Clock::now();
  if (!given) {
    discovered = type_from_publishers(participant, topic, flavour,
        std::min(options.timeout_s.value_or(kTypeDiscoveryWait_s), kTypeDiscoveryWait_s));
    if (!discovered) {
      return kExitOk;  // interrupted
    }
  }
  const MessageType & type = given ? *given : *discovered;
  require_supported(type.description());
  dds::Topic * dds_topic = participant.open_topic(type, topic);
  dds::Subscriber * subscriber =
    participant.participant()->create_subscriber(dds::SUBSCRIBER_QOS_DEFAULT);
  dds::DataReaderQos qos = dds::DATAREADER_QOS_DEFAULT;
  set_entity_qos(qos, options.qos);
  dds::DataReader * reader = subscriber ? subscriber->create_datareader(dds_topic, qos) : nullptr;
  if (!reader) {
    throw failure("cannot create a DDS reader on " + topic.dds);
  }

  unsigned received = 0;
  bool ever_matched = false;
  bool warned = false;
  std::optional<Clock::time_point> deadline;
  if (options.timeout_s) {
    deadline = start + std::chrono::duration_cast<Clock::duration>(seconds(*options.timeout_s));
  }
  while (!interrupted && (!options.count || received < *options.count) &&
    (!deadline || Clock::now() < *deadline))
  {
    reader->wait_for_unread_message(eprosima::fastrtps::Duration_t(0.1));
    dds::SubscriptionMatchedStatus matched;
    if (reader->get_subscription_matched_status(matched) == ReturnCode_t::RETCODE_OK &&
      matched.total_count > 0)
    {
      ever_matched = true;
    }
    if (!ever_matched && !warned) {
      // A publisher that cannot match is named as soon as it is seen.
      dds::RequestedIncompatibleQosStatus incompatible;
      reader->get_requested_incompatible_qos_status(incompatible);
      std::string reason = unmatched_reason(participant.log(), topic, type, options.qos, false,
          incompatible.last_policy_id);
      if (!reason.empty() && participant.log().participants_seen()) {
        std::cerr << "velmsg: warning: a publisher on " << topic.ros << " does not match: " << reason << std::endl;
        warned = true;
      }
    }
    for (;;) {
      if (options.count && received == *options.count) {
        break;
      }
      Message message(type.description());
      dds::SampleInfo info;
      if (reader->take_next_sample(message.data(), &info) != ReturnCode_t::RETCODE_OK) {
        break;
      }
      if (info.valid_data) {
        print_yaml(out, message);
        out << "---" << std::endl;
        ++received;
      }
    }
  }
  if (!ever_matched && received == 0 && !warned) {
    std::cerr << "velmsg: no publisher on " << topic.ros << " (DDS topic " << topic.dds << ") matched; " <<
      (participant.log().participants_seen() ? "other participants of domain " +
      std::to_string(domain_from_environment()) + " were found, none publishes it" :
      "no DDS participant found on " + reach_hint("publishers")) << std::endl;
  }
  if (interrupted || (options.count && received == *options.count) || (!options.count && received)) {
    return kExitOk;
  }
  std::ostringstream text;
  if (options.count && *options.count > 1) {
    text << "received " << received << " of " << *options.count << " messages";
  } else {
    text << "received no message";
  }
  text << " on " << topic.ros << " within " << seconds_text(*options.timeout_s);
  throw ToolError(kExitTimeout, text.str());
}

std::vector<DiscoveredTopic> discover_topics(double listen_s)
{
  TopicParticipant participant;
  interrupted = false;
  auto on_signal = [](int) {interrupted = true;};
  std::signal(SIGINT, on_signal);
  std::signal(SIGTERM, on_signal);
  auto deadline = Clock::now() + seconds(listen_s);
  while (!interrupted && Clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  // ROS 2 topics only: DDS topic rt/<name> is /<name>.
  std::map<std::string, std::set<std::string>> topics;
  for (const RemoteEndpoint & endpoint : participant.log().endpoints()) {
    if (endpoint.topic.rfind("rt/", 0) == 0) {
      topics["/" + endpoint.topic.substr(3)].insert(ros_type_name(endpoint.type));
    }
  }
  std::vector<DiscoveredTopic> found;
  for (const auto & [name, types] : topics) {
    found.push_back({name, std::vector<std::string>(types.begin(), types.end())});
  }
  return found;
}

}  // namespace velmsg
