// Peer (peer.hpp): Time, in a source file of its own like every type.
#include "peer.hpp"

namespace peer
{

void serialize(const Time & m, Cdr & cdr)
{
  cdr << m.sec << m.nanosec;
}
void deserialize(Time & m, Cdr & cdr)
{
  cdr >> m.sec >> m.nanosec;
}
std::size_t size(const Time &, std::size_t offset)
{
  const std::size_t start = offset;
  offset += aligned(offset, 4);
  offset += aligned(offset, 4);
  return offset - start;
}

}  // namespace peer
