#include "bag_dds.hpp"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <ctime>
#include <iostream>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "dds.hpp"
#include "dds_participant.hpp"
#include "errors.hpp"
#include "topic_name.hpp"

#include "fastdds/dds/domain/DomainParticipant.hpp"
#include "fastdds/dds/domain/DomainParticipantFactory.hpp"
#include "fastdds/dds/domain/DomainParticipantListener.hpp"
#include "fastdds/dds/publisher/DataWriter.hpp"
#include "fastdds/dds/publisher/Publisher.hpp"
#include "fastdds/dds/subscriber/DataReader.hpp"
#include "fastdds/dds/subscriber/DataReaderListener.hpp"
#include "fastdds/dds/subscriber/SampleInfo.hpp"
#include "fastdds/dds/subscriber/Subscriber.hpp"
#include "fastdds/dds/topic/Topic.hpp"
#include "fastdds/dds/topic/TopicDataType.hpp"
#include "fastdds/dds/topic/TypeSupport.hpp"

namespace velmsg
{
namespace dds = eprosima::fastdds::dds;
namespace rtps = eprosima::fastrtps::rtps;
using Clock = std::chrono::steady_clock;

namespace
{

// Batches are committed at least this often: a recording killed hard loses at most this much.
constexpr auto kCommitPeriod = std::chrono::milliseconds(500);
// ... or sooner, once this much waits in memory.
constexpr size_t kMaxPendingBytes = 64u << 20;
constexpr auto kDiscoveryPoll = std::chrono::milliseconds(20);
// As pub: a subscriber learns of a matched writer a moment after the match, and
// a participant of another vendor may miss the first announcement of it (dds_participant.hpp).
constexpr auto kMatchSettle = std::chrono::milliseconds(static_cast<int>(dds_detail::kMatchSettle_s * 1000));
constexpr auto kForeignAnnouncementRepeat =
  std::chrono::milliseconds(static_cast<int>(dds_detail::kForeignAnnouncementRepeat_s * 1000));
using dds_detail::kAcknowledgementWait_s;
using dds_detail::kHeartbeatPeriod_s;
constexpr int32_t kPlayerBlockingWait_s = 5;

std::atomic<bool> stop_requested{false};

void catch_stop_signals()
{
  stop_requested = false;
  auto on_signal = [](int) {stop_requested = true;};
  std::signal(SIGINT, on_signal);
  std::signal(SIGTERM, on_signal);
}

int64_t system_time_ns()
{
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
    std::chrono::system_clock::now().time_since_epoch()).count();
}

// Sleeps until the time point, or until a stop is asked for; says whether it got there.
bool sleep_until(Clock::time_point when)
{
  while (!stop_requested) {
    auto now = Clock::now();
    if (now >= when) {
      return true;
    }
    std::this_thread::sleep_for(std::min<Clock::duration>(when - now, std::chrono::milliseconds(100)));
  }
  return false;
}

using dds_detail::RawMessage;
using dds_detail::RawTopicType;

QosDuration rmw_duration(const eprosima::fastrtps::Duration_t & duration)
{
  if (duration.seconds == eprosima::fastrtps::Duration_t::INFINITE_SECONDS ||
    duration.nanosec == eprosima::fastrtps::Duration_t::INFINITE_NANOSECONDS)
  {
    return kQosInfinite;
  }
  return {static_cast<uint64_t>(std::max(0, duration.seconds)), duration.nanosec};
}

eprosima::fastrtps::Duration_t dds_duration(const QosDuration & duration)
{
  if (duration.unspecified() || duration.infinite() || duration.sec >= 0x7fffffff || duration.nsec >= 1000000000) {
    return eprosima::fastrtps::c_TimeInfinite;
  }
  return eprosima::fastrtps::Duration_t(static_cast<int32_t>(duration.sec), static_cast<uint32_t>(duration.nsec));
}

// A writer's offered QoS as the rmw graph reports it.
QosProfile offered_profile(const dds::WriterQos & qos)
{
  QosProfile profile;
  profile.reliability = qos.m_reliability.kind == dds::RELIABLE_RELIABILITY_QOS ? QosProfile::kReliable :
    QosProfile::kBestEffort;
  profile.durability = qos.m_durability.kind == dds::VOLATILE_DURABILITY_QOS ? QosProfile::kVolatile :
    QosProfile::kTransientLocal;
  profile.deadline = rmw_duration(qos.m_deadline.period);
  profile.lifespan = rmw_duration(qos.m_lifespan.duration);
  profile.liveliness = qos.m_liveliness.kind == dds::AUTOMATIC_LIVELINESS_QOS ? QosProfile::kAutomatic :
    qos.m_liveliness.kind == dds::MANUAL_BY_PARTICIPANT_LIVELINESS_QOS ? QosProfile::kManualByNode :
    QosProfile::kManualByTopic;
  profile.liveliness_lease_duration = rmw_duration(qos.m_liveliness.lease_duration);
  return profile;
}

struct DiscoveredWriter
{
  std::string topic;  // DDS name
  std::string type;   // DDS name
  QosProfile qos;
};

// What discovery tells: the other participants' writers, and when participants of other vendors appeared.
class Discovery : public dds::DomainParticipantListener
{
public:
  void on_participant_discovery(dds::DomainParticipant *, rtps::ParticipantDiscoveryInfo && info) override
  {
    if (info.status == rtps::ParticipantDiscoveryInfo::DISCOVERED_PARTICIPANT &&
      info.info.m_VendorId != rtps::c_VendorId_eProsima)
    {
      std::lock_guard<std::mutex> lock(mutex_);
      foreign_found_ = Clock::now();
    }
  }

  void on_publisher_discovery(dds::DomainParticipant *, rtps::WriterDiscoveryInfo && info) override
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (info.info.guid().guidPrefix == own_) {
      return;
    }
    if (info.status == rtps::WriterDiscoveryInfo::REMOVED_WRITER) {
      writers_.erase(info.info.guid());
      return;
    }
    writers_[info.info.guid()] = {info.info.topicName().to_string(), info.info.typeName().to_string(),
      offered_profile(info.info.m_qos)};
  }

  std::vector<DiscoveredWriter> writers() const
  {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<DiscoveredWriter> all;
    for (const auto & entry : writers_) {
      all.push_back(entry.second);
    }
    return all;
  }

  std::optional<Clock::time_point> foreign_found() const
  {
    std::lock_guard<std::mutex> lock(mutex_);
    return foreign_found_;
  }

  void ignore_participant(const rtps::GuidPrefix_t & own)
  {
    std::lock_guard<std::mutex> lock(mutex_);
    own_ = own;
  }

private:
  mutable std::mutex mutex_;
  std::map<rtps::GUID_t, DiscoveredWriter> writers_;
  std::optional<Clock::time_point> foreign_found_;
  rtps::GuidPrefix_t own_;
};

// A participant of velmsg's settings, with its types registered once each; deletes all it made.
class BagParticipant
{
public:
  BagParticipant()
  {
    dds::DomainParticipantQos qos = dds::PARTICIPANT_QOS_DEFAULT;
    configure_participant(qos);
    participant_ = dds::DomainParticipantFactory::get_instance()->create_participant(
      domain_from_environment(), qos, &discovery_, dds::StatusMask::none());
    if (!participant_) {
      throw failure("cannot create a DDS participant on domain " + std::to_string(domain_from_environment()));
    }
    discovery_.ignore_participant(participant_->guid().guidPrefix);
  }

  ~BagParticipant()
  {
    participant_->delete_contained_entities();
    dds::DomainParticipantFactory::get_instance()->delete_participant(participant_);
  }

  BagParticipant(const BagParticipant &) = delete;
  BagParticipant & operator=(const BagParticipant &) = delete;

  dds::Topic * open_topic(const std::string & dds_topic, const std::string & dds_type)
  {
    if (!participant_->find_type(dds_type)) {
      dds::TypeSupport support(new RawTopicType(dds_type));
      if (support.register_type(participant_) != ReturnCode_t::RETCODE_OK) {
        throw failure("cannot register the DDS type " + dds_type);
      }
    }
    dds::Topic * topic = participant_->create_topic(dds_topic, dds_type, dds::TOPIC_QOS_DEFAULT);
    if (!topic) {
      throw failure("cannot create the DDS topic " + dds_topic + " of type " + dds_type);
    }
    return topic;
  }

  // Stops every reader and writer: no listener runs after it returns.
  void stop() {participant_->delete_contained_entities();}

  dds::DomainParticipant * operator->() {return participant_;}
  const Discovery & discovery() const {return discovery_;}

private:
  Discovery discovery_;
  dds::DomainParticipant * participant_ = nullptr;
};

template<typename EntityQos>
void grow_payloads_as_needed(EntityQos & qos)
{
  qos.endpoint().history_memory_policy = rtps::PREALLOCATED_WITH_REALLOC_MEMORY_MODE;
}

// A name such as /_private or /a/_b: left out of -a unless --include-hidden-topics.
bool hidden(const std::string & topic)
{
  return topic.find("/_") != std::string::npos;
}

// A recording in progress: readers take messages into memory; a writer thread
// commits them to the bag in batches.
class Recorder
{
public:
  Recorder(BagParticipant & participant, const RecordOptions & options, BagWriter & bag, std::ostream & log)
  : participant_(participant), options_(options), bag_(bag), log_(log),
    wanted_(options.topics.begin(), options.topics.end())
  {
    writer_thread_ = std::thread([this] {write_batches();});
  }

  ~Recorder()
  {
    finish();
  }

  // Subscribes to the topics discovery found since the last call.
  void subscribe_new_topics()
  {
    std::map<std::string, std::vector<DiscoveredWriter>> by_topic;
    for (const DiscoveredWriter & writer : participant_.discovery().writers()) {
      if (writer.topic.rfind("rt/", 0) == 0) {
        by_topic[writer.topic].push_back(writer);
      }
    }
    for (const auto & [dds_topic, writers] : by_topic) {
      std::string name = "/" + dds_topic.substr(3);
      bool wanted = options_.all ? options_.include_hidden || !hidden(name) : wanted_.count(name) > 0;
      if (!wanted || subscribed_.count(name)) {
        continue;
      }
      subscribe(name, dds_topic, writers);
    }
  }

  bool failed() const
  {
    std::lock_guard<std::mutex> lock(mutex_);
    return error_.has_value();
  }

  bool count_reached() const
  {
    std::lock_guard<std::mutex> lock(mutex_);
    return options_.max_messages && accepted_ >= *options_.max_messages;
  }

  // Stops the readers and writes what they took.
  void finish()
  {
    participant_.stop();
    {
      std::lock_guard<std::mutex> lock(mutex_);
      finishing_ = true;
    }
    wake_.notify_all();
    if (writer_thread_.joinable()) {
      writer_thread_.join();
    }
  }

  void rethrow_failure() const
  {
    if (error_) {
      throw *error_;
    }
  }

private:
  class TopicReader : public dds::DataReaderListener
  {
  public:
    TopicReader(Recorder & recorder, size_t topic) : recorder_(recorder), topic_(topic) {}

    void on_data_available(dds::DataReader * reader) override
    {
      RawMessage raw;
      dds::SampleInfo info;
      while (reader->take_next_sample(&raw, &info) == ReturnCode_t::RETCODE_OK) {
        if (info.valid_data) {
          recorder_.accept(topic_, system_time_ns(), std::move(raw.bytes));
        }
      }
    }

  private:
    Recorder & recorder_;
    size_t topic_;
  };

  void subscribe(const std::string & name, const std::string & dds_topic, const std::vector<DiscoveredWriter> & writers)
  {
    const std::string & type = writers.front().type;
    std::vector<QosProfile> offered;
    bool reliable = true;
    bool transient_local = true;
    for (const DiscoveredWriter & writer : writers) {
      if (writer.type != type) {
        std::cerr << "velmsg: warning: the publishers of " << name << " have different types; recording " <<
          ros_type_name(type) << ", not " << ros_type_name(writer.type) << std::endl;
        continue;
      }
      offered.push_back(writer.qos);
      reliable = reliable && writer.qos.reliability == QosProfile::kReliable;
      transient_local = transient_local && writer.qos.durability == QosProfile::kTransientLocal;
    }
    BagTopic topic{name, ros_type_name(type), "cdr", qos_profiles_text(offered), 0};
    size_t index;
    {
      std::lock_guard<std::mutex> lock(bag_mutex_);
      index = bag_.add_topic(topic);
    }
    subscribed_.insert(name);
    dds::Topic * dds_topic_entity = participant_.open_topic(dds_topic, type);
    // Reliable only if every publisher offers it, transient local likewise, as
    // ROS 2's recorder asks; every sample kept until taken, so none is dropped.
    dds::DataReaderQos qos = dds::DATAREADER_QOS_DEFAULT;
    qos.reliability().kind = reliable ? dds::RELIABLE_RELIABILITY_QOS : dds::BEST_EFFORT_RELIABILITY_QOS;
    qos.durability().kind = transient_local ? dds::TRANSIENT_LOCAL_DURABILITY_QOS : dds::VOLATILE_DURABILITY_QOS;
    qos.history().kind = dds::KEEP_ALL_HISTORY_QOS;
    grow_payloads_as_needed(qos);
    if (!subscriber_) {
      subscriber_ = participant_->create_subscriber(dds::SUBSCRIBER_QOS_DEFAULT);
    }
    readers_.push_back(std::make_unique<TopicReader>(*this, index));
    if (!subscriber_ ||
      !subscriber_->create_datareader(dds_topic_entity, qos, readers_.back().get(), dds::StatusMask::data_available()))
    {
      throw failure("cannot create a DDS reader on " + dds_topic);
    }
    log_ << "subscribed to " << name << " (" << topic.type << ")" << std::endl;
  }

  void accept(size_t topic, int64_t timestamp_ns, std::vector<uint8_t> && bytes)
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (error_ || (options_.max_messages && accepted_ >= *options_.max_messages)) {
      return;
    }
    ++accepted_;
    pending_bytes_ += bytes.size();
    pending_.push_back({topic, timestamp_ns, std::move(bytes)});
    if (pending_bytes_ >= kMaxPendingBytes) {
      wake_.notify_all();
    }
  }

  void write_batches()
  {
    for (bool last = false; !last; ) {
      std::vector<PendingMessage> batch;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        wake_.wait_for(lock, kCommitPeriod, [this] {return finishing_ || pending_bytes_ >= kMaxPendingBytes;});
        batch.swap(pending_);
        pending_bytes_ = 0;
        last = finishing_;
      }
      try {
        std::lock_guard<std::mutex> lock(bag_mutex_);
        bag_.write(batch);
      } catch (const ToolError & error) {
        std::lock_guard<std::mutex> lock(mutex_);
        error_ = error;
        pending_.clear();
        stop_requested = true;
        return;
      }
    }
  }

  BagParticipant & participant_;
  const RecordOptions & options_;
  BagWriter & bag_;
  std::ostream & log_;
  std::set<std::string> wanted_;
  std::set<std::string> subscribed_;
  dds::Subscriber * subscriber_ = nullptr;
  std::vector<std::unique_ptr<TopicReader>> readers_;

  mutable std::mutex mutex_;  // guards the fields below
  std::condition_variable wake_;
  std::vector<PendingMessage> pending_;
  size_t pending_bytes_ = 0;
  uint64_t accepted_ = 0;
  bool finishing_ = false;
  std::optional<ToolError> error_;

  std::mutex bag_mutex_;
  std::thread writer_thread_;
};

// The writer QoS of a played topic: the recorded profile when its publishers
// agreed, else ROS 2's default (reliable, volatile).
dds::DataWriterQos player_qos(const BagTopic & topic)
{
  std::optional<QosProfile> agreed = agreed_profile(parse_qos_profiles(topic.offered_qos_profiles, topic.name));
  if (!agreed) {
    std::cerr << "velmsg: warning: " << topic.name << " was recorded with " <<
      (topic.offered_qos_profiles.empty() ? "no publisher's QoS" : "publishers that offered different QoS") <<
      "; playing it with the default QoS (reliable, volatile)" << std::endl;
  }
  QosProfile profile = agreed.value_or(QosProfile{});
  dds::DataWriterQos qos = dds::DATAWRITER_QOS_DEFAULT;
  qos.reliability().kind = profile.reliability == QosProfile::kBestEffort ? dds::BEST_EFFORT_RELIABILITY_QOS :
    dds::RELIABLE_RELIABILITY_QOS;
  qos.reliability().max_blocking_time = eprosima::fastrtps::Duration_t(kPlayerBlockingWait_s, 0);
  qos.durability().kind = profile.durability == QosProfile::kTransientLocal ? dds::TRANSIENT_LOCAL_DURABILITY_QOS :
    dds::VOLATILE_DURABILITY_QOS;
  qos.deadline().period = dds_duration(profile.deadline);
  qos.lifespan().duration = dds_duration(profile.lifespan);
  qos.liveliness().kind = profile.liveliness == QosProfile::kManualByNode ? dds::MANUAL_BY_PARTICIPANT_LIVELINESS_QOS :
    profile.liveliness == QosProfile::kManualByTopic ? dds::MANUAL_BY_TOPIC_LIVELINESS_QOS :
    dds::AUTOMATIC_LIVELINESS_QOS;
  qos.liveliness().lease_duration = dds_duration(profile.liveliness_lease_duration);
  // Keep last 10 is what a late subscriber of a transient local topic gets.
  // A volatile writer keeps every message until it is acknowledged instead, so
  // that a slow subscriber loses none; no subscriber can tell the difference.
  if (profile.durability == QosProfile::kTransientLocal) {
    qos.history().kind = dds::KEEP_LAST_HISTORY_QOS;
    qos.history().depth = 10;
  } else {
    qos.history().kind = dds::KEEP_ALL_HISTORY_QOS;
  }
  qos.reliable_writer_qos().times.heartbeatPeriod = eprosima::fastrtps::Duration_t(kHeartbeatPeriod_s);
  grow_payloads_as_needed(qos);
  return qos;
}

}  // namespace

int record(const RecordOptions & options, std::ostream & log)
{
  BagWriter bag(options.folder, options.max_file_bytes,
    static_cast<int64_t>(options.max_file_duration_s * 1e9));
  catch_stop_signals();
#if defined(SIGXFSZ)
  // A file size limit fails the write, reported as such, instead of killing the recording.
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  std::optional<ToolError> failure_seen;
  {
    BagParticipant participant;
    Recorder recorder(participant, options, bag, log);
    log << "recording into " << options.folder << std::endl;
    auto start = Clock::now();
    try {
      while (!stop_requested && !recorder.failed() && !recorder.count_reached() &&
        (!options.duration_s || Clock::now() - start < std::chrono::duration<double>(*options.duration_s)))
      {
        recorder.subscribe_new_topics();
        std::this_thread::sleep_for(kDiscoveryPoll);
      }
    } catch (const ToolError & error) {
      failure_seen = error;
    }
    recorder.finish();
    try {
      recorder.rethrow_failure();
    } catch (const ToolError & error) {
      failure_seen = error;
    }
  }
  try {
    bag.close();
  } catch (const ToolError & error) {
    failure_seen = failure_seen.value_or(error);
  }
  const BagMetadata & metadata = bag.metadata();
  log << "recorded " << counted(metadata.message_count, "message") << " on " <<
    counted(metadata.topics.size(), "topic") << " into " << options.folder << std::endl;
  if (failure_seen) {
    throw ToolError(failure_seen->code(), std::string(failure_seen->what()) + "; the bag keeps the " +
            counted(metadata.message_count, "message") + " committed before");
  }
  return kExitOk;
}

int play(const BagReader & bag, const PlayOptions & options, std::ostream & log)
{
  const BagMetadata & metadata = bag.metadata();
  catch_stop_signals();
  BagParticipant participant;
  dds::Publisher * publisher = participant->create_publisher(dds::PUBLISHER_QOS_DEFAULT);
  if (!publisher) {
    throw failure("cannot create a DDS publisher");
  }
  std::map<const BagTopic *, dds::DataWriter *> writers;
  for (const BagTopic & topic : metadata.topics) {
    if (!options.topics.empty() && !options.topics.count(topic.name)) {
      continue;
    }
    if (topic.serialization_format != "cdr") {
      throw bad_input(topic.name + " holds messages in format '" + topic.serialization_format +
              "': velmsg plays cdr (leave it out with --topics)");
    }
    std::string dds_topic = "rt" + std::string(topic.name.rfind('/', 0) == 0 ? "" : "/") + topic.name;
    dds::DataWriter * writer = publisher->create_datawriter(
      participant.open_topic(dds_topic, dds_type_name(topic.type)), player_qos(topic));
    if (!writer) {
      throw failure("cannot create a DDS writer on " + dds_topic);
    }
    writers.emplace(&topic, writer);
  }

  // Every topic's subscribers first, as pub waits for its subscriber.
  auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
    std::chrono::duration<double>(options.wait_for_subscribers_s));
  auto unmatched = [&] {
      std::vector<std::string> names;
      for (const auto & [topic, writer] : writers) {
        dds::PublicationMatchedStatus matched;
        if (writer->get_publication_matched_status(matched) != ReturnCode_t::RETCODE_OK ||
          matched.current_count == 0)
        {
          names.push_back(topic->name);
        }
      }
      return names;
    };
  std::vector<std::string> waiting;
  while (!(waiting = unmatched()).empty() && Clock::now() < deadline && !stop_requested) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  for (const std::string & name : waiting) {
    std::cerr << "velmsg: warning: no subscriber on " << name << " within " << options.wait_for_subscribers_s <<
      " s; playing anyway" << std::endl;
  }
  if (waiting.size() < writers.size()) {
    auto first_write = Clock::now() + kMatchSettle;
    if (auto foreign = participant.discovery().foreign_found()) {
      first_write = std::max(first_write, *foreign + kForeignAnnouncementRepeat);
    }
    sleep_until(first_write);
  }

  uint64_t published = 0;
  RawMessage raw;
  for (uint64_t before = ~uint64_t{0}; before != published && !stop_requested; ) {  // a pass that plays nothing ends a loop
    before = published;
    auto start = Clock::now();
    bag.for_each(options.topics, [&](const StoredMessage & message) {
        double offset_ns = static_cast<double>(message.timestamp_ns - metadata.starting_time_ns) / options.rate;
        if (!sleep_until(start + std::chrono::nanoseconds(static_cast<int64_t>(std::max(0.0, offset_ns))))) {
          return false;
        }
        raw.bytes.assign(message.data, message.data + message.size);
        if (!writers.at(message.topic)->write(&raw)) {
          throw failure("DDS refused to publish message " + std::to_string(published + 1) + " on " +
                  message.topic->name + " (received at " + nanoseconds_text(message.timestamp_ns) + ")");
        }
        ++published;
        return true;
      });
    if (!options.loop) {
      break;
    }
  }

  // Until every reliable subscriber acknowledged, as pub does.
  auto acknowledged_by = Clock::now() + std::chrono::duration_cast<Clock::duration>(
    std::chrono::duration<double>(kAcknowledgementWait_s));
  for (const auto & [topic, writer] : writers) {
    auto left = std::chrono::duration<double>(acknowledged_by - Clock::now()).count();
    if (writer->wait_for_acknowledgments(eprosima::fastrtps::Duration_t(std::max(0.0, left))) !=
      ReturnCode_t::RETCODE_OK)
    {
      std::cerr << "velmsg: warning: not every subscriber of " << topic->name <<
        " acknowledged the messages within " << kAcknowledgementWait_s << " s" << std::endl;
    }
  }
  log << "played " << counted(published, "message") << std::endl;
  return kExitOk;
}

}  // namespace velmsg
