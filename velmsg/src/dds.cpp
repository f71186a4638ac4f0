// publish, echo and topic list over the shared participant (dds_participant.hpp).
#include "dds.hpp"

#include <iostream>
#include <thread>

#include "dds_participant.hpp"
#include "message_text.hpp"

namespace velmsg
{
using namespace dds_detail;

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
  stop_on_interrupt();
  auto deadline = Clock::now() + seconds(options.wait_for_subscriber_s);
  dds::PublicationMatchedStatus matched;
  while (!interrupted && writer->get_publication_matched_status(matched) == ReturnCode_t::RETCODE_OK &&
    (matched.current_count == 0 || matched.current_count < static_cast<int32_t>(options.matching_subscriptions)) &&
    (Clock::now() < deadline || options.matching_subscriptions))
  {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (interrupted) {
    return;
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
  for (unsigned i = 1; !interrupted && (!options.count || i <= *options.count); ++i) {
    if (!writer->write(const_cast<void *>(message.data()))) {
      throw failure("DDS refused to publish message " + std::to_string(i) + " on " + topic.dds);
    }
    if (options.print_every && i % options.print_every == 0) {
      log << "published " << type.name().text() << " #" << i << " on " << topic.ros << std::endl;
    }
    if (!options.count || i < *options.count) {
      next += period;
      while (!interrupted && Clock::now() < next) {  // an interrupt ends the wait at once
        std::this_thread::sleep_until(std::min(next, Clock::now() + std::chrono::milliseconds(50)));
      }
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

int echo(
  const MessageType * given, Flavour flavour, const TopicName & topic, const EchoOptions & options,
  std::ostream & out)
{
  // Declared first: the participant's reader reads through the type until the participant is gone.
  std::unique_ptr<MessageType> discovered;
  TopicParticipant participant;
  stop_on_interrupt();

  auto start = Clock::now();
  if (!given) {
    std::optional<std::string> announced = announced_type(participant, topic, options.timeout_s, "echo");
    if (!announced) {
      return kExitOk;  // interrupted
    }
    discovered = std::make_unique<MessageType>(TypeName::parse(ros_type_name(*announced)), flavour);
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
        if (options.print) {
          options.print(out, message);
        } else {
          print_yaml(out, message);
          out << "---\n";
        }
        out.flush();
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
  stop_on_interrupt();
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
