// Stand-in for the DDS commands where Fast-DDS is not installed: each reports it.
#include "dds.hpp"

#include <cstdlib>

#include "errors.hpp"

namespace velmsg
{

[[noreturn]] static void no_dds()
{
  throw failure("velmsg was built without Fast-DDS (install libfastrtps-dev and rebuild)");
}

uint32_t domain_from_environment()
{
  return 0;
}

bool localhost_only_from_environment()
{
  return true;
}

void publish(const MessageType &, const Message &, const TopicName &, const PublishOptions &, std::ostream &)
{
  no_dds();
}

int echo(const MessageType *, Flavour, const TopicName &, const EchoOptions &, std::ostream &)
{
  no_dds();
}

std::vector<DiscoveredTopic> discover_topics(double)
{
  no_dds();
}

void print_topic_info(const TopicName &, bool, double, std::ostream &)
{
  no_dds();
}

void measure_topic(const TopicName &, Measure, unsigned, std::ostream &)
{
  no_dds();
}

}  // namespace velmsg
