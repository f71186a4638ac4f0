// ros2 topic info, hz and bw over the shared participant: what discovery
// tells of a topic's endpoints, and the rate and size of its messages as
// they arrive, as bytes.
#include <cmath>
#include <deque>
#include <iomanip>
#include <thread>

#include "dds.hpp"
#include "dds_participant.hpp"

namespace velmsg
{
using namespace dds_detail;

namespace
{

// A time as ros2 prints it: nanoseconds, the infinite one as DDS encodes it
// (0x7fffffff s and 0xffffffff ns, 2147483651294967295).
std::string nanoseconds(const eprosima::fastrtps::Duration_t & duration)
{
  return std::to_string(static_cast<uint64_t>(static_cast<uint32_t>(duration.seconds)) * 1000000000ull +
         duration.nanosec) + " nanoseconds";
}

// The GID of an endpoint as ros2 prints it: the 16 bytes of its GUID and 8 of zeros.
std::string gid_text(const eprosima::fastrtps::rtps::GUID_t & guid)
{
  std::ostringstream text;
  text << std::hex << std::setfill('0');
  for (size_t i = 0; i < 24; ++i) {
    unsigned byte = i < 12 ? guid.guidPrefix.value[i] : i < 16 ? guid.entityId.value[i - 12] : 0;
    text << (i ? "." : "") << std::setw(2) << byte;
  }
  return text.str();
}

void print_endpoint(std::ostream & out, const RemoteEndpoint & endpoint)
{
  // Fast-DDS announces no ROS 2 node: ros2 prints these placeholders for such an endpoint.
  out << "Node name: _NODE_NAME_UNKNOWN_\n"
    "Node namespace: _NODE_NAMESPACE_UNKNOWN_\n"
    "Topic type: " << ros_type_name(endpoint.type) << "\n"
    "Endpoint type: " << (endpoint.writer ? "PUBLISHER" : "SUBSCRIPTION") << "\n"
    "GID: " << gid_text(endpoint.guid) << "\n"
    "QoS profile:\n"
    "  Reliability: " << (endpoint.reliable ? "RELIABLE" : "BEST_EFFORT") << "\n"
    "  Durability: " << (endpoint.transient_local ? "TRANSIENT_LOCAL" : "VOLATILE") << "\n"
    "  Lifespan: " << nanoseconds(endpoint.lifespan) << "\n"
    "  Deadline: " << nanoseconds(endpoint.deadline) << "\n"
    "  Liveliness: " << (endpoint.liveliness == dds::AUTOMATIC_LIVELINESS_QOS ? "AUTOMATIC" : "MANUAL_BY_TOPIC") <<
    "\n"
    "  Liveliness lease duration: " << nanoseconds(endpoint.lease_duration) << "\n\n";
}

// "1.23KB" as ros2 topic bw prints sizes.
std::string size_text(double bytes)
{
  std::ostringstream text;
  text << std::fixed << std::setprecision(2);
  if (bytes < 1000) {
    text << bytes << "B";
  } else if (bytes < 1000000) {
    text << bytes / 1000 << "KB";
  } else {
    text << bytes / 1000000 << "MB";
  }
  return text.str();
}

}  // namespace

void print_topic_info(const TopicName & topic, bool verbose, double listen_s, std::ostream & out)
{
  TopicParticipant participant;
  stop_on_interrupt();
  auto deadline = Clock::now() + seconds(listen_s);
  while (!interrupted && Clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::vector<RemoteEndpoint> publishers = participant.log().on_topic(topic.dds, true);
  std::vector<RemoteEndpoint> subscriptions = participant.log().on_topic(topic.dds, false);
  std::set<std::string> types;
  for (const auto * side : {&publishers, &subscriptions}) {
    for (const RemoteEndpoint & endpoint : *side) {
      types.insert(ros_type_name(endpoint.type));
    }
  }
  if (types.empty()) {
    throw usage_error("unknown topic '" + topic.ros + "': no publisher or subscription on " +
            reach_hint("participants"));
  }
  std::string type_line;
  for (const std::string & type : types) {
    type_line += (type_line.empty() ? "" : ", ") + type;
  }
  const char * gap = verbose ? "\n\n" : "\n";
  out << "Type: " << type_line << gap << "Publisher count: " << publishers.size() << gap;
  if (verbose) {
    for (const RemoteEndpoint & endpoint : publishers) {
      print_endpoint(out, endpoint);
    }
  }
  out << "Subscription count: " << subscriptions.size() << gap;
  if (verbose) {
    for (const RemoteEndpoint & endpoint : subscriptions) {
      print_endpoint(out, endpoint);
    }
  }
}

void measure_topic(const TopicName & topic, Measure measure, unsigned window, std::ostream & out)
{
  TopicParticipant participant;
  stop_on_interrupt();
  std::optional<std::string> type = announced_type(participant, topic, std::nullopt,
      measure == Measure::rate ? "topic hz" : "topic bw");
  if (!type) {
    return;
  }
  dds::Subscriber * subscriber = participant.participant()->create_subscriber(dds::SUBSCRIBER_QOS_DEFAULT);
  dds::DataReaderQos qos = dds::DATAREADER_QOS_DEFAULT;
  // As ros2's measuring subscriptions: best effort reaches reliable publishers too.
  set_entity_qos(qos, Qos{true, false, 100});
  dds::DataReader * reader = subscriber ?
    subscriber->create_datareader(participant.open_raw_topic(*type, topic), qos) : nullptr;
  if (!reader) {
    throw failure("cannot create a DDS reader on " + topic.dds);
  }
  if (measure == Measure::bandwidth) {
    out << "Subscribed to [" << topic.ros << "]" << std::endl;
  }

  // The last window messages: when each arrived, and its size.
  std::deque<std::pair<Clock::time_point, size_t>> recent;
  size_t reported = 0, arrived = 0;
  auto next_report = Clock::now() + std::chrono::seconds(1);
  while (!interrupted) {
    reader->wait_for_unread_message(eprosima::fastrtps::Duration_t(0.05));
    RawMessage message;
    dds::SampleInfo info;
    while (reader->take_next_sample(&message, &info) == ReturnCode_t::RETCODE_OK) {
      if (info.valid_data) {
        recent.emplace_back(Clock::now(), message.bytes.size());
        ++arrived;
        if (recent.size() > window) {
          recent.pop_front();
        }
      }
    }
    if (Clock::now() < next_report) {
      continue;
    }
    next_report += std::chrono::seconds(1);
    if (arrived == reported || recent.size() < 2) {
      out << "no new messages" << std::endl;
      continue;
    }
    reported = arrived;
    std::ostringstream line;
    if (measure == Measure::rate) {
      // Over the intervals between the messages of the window.
      double sum = 0, sum_of_squares = 0, low = HUGE_VAL, high = 0;
      for (size_t i = 1; i < recent.size(); ++i) {
        double interval = std::chrono::duration<double>(recent[i].first - recent[i - 1].first).count();
        sum += interval;
        sum_of_squares += interval * interval;
        low = std::min(low, interval);
        high = std::max(high, interval);
      }
      double n = static_cast<double>(recent.size() - 1), mean = sum / n;
      double deviation = std::sqrt(std::max(0.0, sum_of_squares / n - mean * mean));
      line << std::fixed << std::setprecision(3) << "average rate: " << 1 / mean << "\n\tmin: " << low <<
        "s max: " << high << "s std dev: " << std::setprecision(5) << deviation << "s window: " <<
        recent.size();
    } else {
      double total = 0, low = HUGE_VAL, high = 0;
      for (const auto & [when, size] : recent) {
        total += static_cast<double>(size);
        low = std::min(low, static_cast<double>(size));
        high = std::max(high, static_cast<double>(size));
      }
      double span = std::chrono::duration<double>(Clock::now() - recent.front().first).count();
      line << "average: " << size_text(total / std::max(span, 1e-9)) << "/s\n\tmean: " <<
        size_text(total / static_cast<double>(recent.size())) << " min: " << size_text(low) << " max: " <<
        size_text(high) << " window: " << recent.size();
    }
    out << line.str() << std::endl;
  }
}

}  // namespace velmsg
