// Stand-in for bag_dds.cpp where Fast-DDS is not installed: bag info and echo
// work, record and play report it.
#include "bag_dds.hpp"

#include "errors.hpp"

namespace velmsg
{

int record(const RecordOptions &, std::ostream &)
{
  throw failure("velmsg was built without Fast-DDS (install libfastrtps-dev and rebuild): no bag record");
}

int play(const BagReader &, const PlayOptions &, std::ostream &)
{
  throw failure("velmsg was built without Fast-DDS (install libfastrtps-dev and rebuild): no bag play");
}

}  // namespace velmsg
