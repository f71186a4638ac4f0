// Stand-in for dds.cpp where Fast-DDS is not installed: pub and echo report it.
#include "dds.hpp"

#include <cstdlib>

#include "errors.hpp"

namespace velmsg
{

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
  throw failure("velmsg was built without Fast-DDS (install libfastrtps-dev and rebuild)");
}

int echo(const MessageType *, Flavour, const TopicName &, const EchoOptions &, std::ostream &)
{
  throw failure("velmsg was built without Fast-DDS (install libfastrtps-dev and rebuild)");
}

std::vector<DiscoveredTopic> discover_topics(double)
{
  throw failure("velmsg was built without Fast-DDS (install libfastrtps-dev and rebuild)");
}

}  // namespace velmsg
