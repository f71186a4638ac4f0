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
#include <sstream>
#include <thread>

#include "cdr_bytes.hpp"
#include "errors.hpp"
#include "message_text.hpp"

#include "fastdds/dds/domain/DomainParticipant.hpp"
#include "fastdds/dds/domain/DomainParticipantFactory.hpp"
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

// A participant on the domain of ROS_DOMAIN_ID with the topic; deletes what it made.
// On the loopback interface only unless ROS_LOCALHOST_ONLY=0 asks for every interface.
class TopicParticipant
{
public:
  TopicParticipant(const MessageType & type, const TopicName & topic)
  {
    auto factory = dds::DomainParticipantFactory::get_instance();
    dds::DomainParticipantQos qos = dds::PARTICIPANT_QOS_DEFAULT;
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
    participant_.reset(factory->create_participant(domain_from_environment(), qos));
    if (!participant_) {
      throw failure("cannot create a DDS participant on domain " +
              std::to_string(domain_from_environment()));
    }
    dds::TypeSupport support(new GenericTopicType(type));
    if (support.register_type(participant_.get()) != ReturnCode_t::RETCODE_OK) {
      throw failure("cannot register the DDS type " + type.dds_type_name());
    }
    topic_ = participant_->create_topic(topic.dds, support.get_type_name(), dds::TOPIC_QOS_DEFAULT);
    if (!topic_) {
      throw failure("cannot create the DDS topic " + topic.dds);
    }
  }

  dds::DomainParticipant * participant() {return participant_.get();}
  dds::Topic * topic() {return topic_;}

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
  std::unique_ptr<dds::DomainParticipant, Deleter> participant_;
  dds::Topic * topic_ = nullptr;
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

// Reliable (or best effort) and volatile as ROS 2's profiles; every sample is
// kept until acknowledged or taken, and payloads grow with the message.
template<typename Qos>
void set_entity_qos(Qos & qos, bool best_effort)
{
  qos.reliability().kind = best_effort ? dds::BEST_EFFORT_RELIABILITY_QOS : dds::RELIABLE_RELIABILITY_QOS;
  qos.durability().kind = dds::VOLATILE_DURABILITY_QOS;
  qos.history().kind = dds::KEEP_ALL_HISTORY_QOS;
  qos.endpoint().history_memory_policy =
    eprosima::fastrtps::rtps::PREALLOCATED_WITH_REALLOC_MEMORY_MODE;
}

std::atomic<bool> interrupted{false};

std::chrono::duration<double> seconds(double s)
{
  return std::chrono::duration<double>(s);
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
  TopicParticipant participant(type, topic);
  dds::Publisher * publisher = participant.participant()->create_publisher(dds::PUBLISHER_QOS_DEFAULT);
  dds::DataWriterQos qos = dds::DATAWRITER_QOS_DEFAULT;
  set_entity_qos(qos, options.best_effort);
  // A subscriber that the writer has matched may not have matched the writer
  // yet when the first message arrives, and drops it; it asks again after the
  // next heartbeat, which by default comes 3 s later.
  qos.reliable_writer_qos().times.heartbeatPeriod = eprosima::fastrtps::Duration_t(kHeartbeatPeriod_s);
  dds::DataWriter * writer = publisher ? publisher->create_datawriter(participant.topic(), qos) : nullptr;
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
    std::cerr << "velmsg: warning: no subscriber on " << topic.ros << " (DDS topic " << topic.dds <<
      ") within " << options.wait_for_subscriber_s << " s; publishing anyway. " <<
      reach_hint("subscribers") << std::endl;
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
  eprosima::fastrtps::Duration_t wait(kAcknowledgementWait_s);
  if (matched.current_count && writer->wait_for_acknowledgments(wait) != ReturnCode_t::RETCODE_OK) {
    std::cerr << "velmsg: warning: not every subscriber acknowledged the messages within "
              << kAcknowledgementWait_s << " s" << std::endl;
  }
}

int echo(
  const MessageType & type, const TopicName & topic, const EchoOptions & options,
  std::ostream & out)
{
  TopicParticipant participant(type, topic);
  dds::Subscriber * subscriber =
    participant.participant()->create_subscriber(dds::SUBSCRIBER_QOS_DEFAULT);
  dds::DataReaderQos qos = dds::DATAREADER_QOS_DEFAULT;
  set_entity_qos(qos, options.best_effort);
  dds::DataReader * reader = subscriber ? subscriber->create_datareader(participant.topic(), qos) : nullptr;
  if (!reader) {
    throw failure("cannot create a DDS reader on " + topic.dds);
  }

  interrupted = false;
  auto on_signal = [](int) {interrupted = true;};
  std::signal(SIGINT, on_signal);
  std::signal(SIGTERM, on_signal);

  unsigned received = 0;
  bool ever_matched = false;
  std::optional<Clock::time_point> deadline;
  if (options.timeout_s) {
    deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(seconds(*options.timeout_s));
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
  if (!ever_matched && received == 0) {
    std::cerr << "velmsg: no publisher on " << topic.ros << " (DDS topic " << topic.dds << ") matched; " <<
      reach_hint("publishers") << std::endl;
  }
  if (interrupted || (options.count && received == *options.count) || (!options.count && received)) {
    return kExitOk;
  }
  std::ostringstream text;
  text << "received " << received << " of " << (options.count ? *options.count : 1) << " messages on " <<
    topic.ros << " within " << *options.timeout_s << " s";
  throw ToolError(kExitTimeout, text.str());
}

}  // namespace velmsg
