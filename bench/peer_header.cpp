// Peer (peer.hpp): Header, in a source file of its own like every type.
#include "peer.hpp"

namespace peer
{

void serialize(const Header & m, Cdr & cdr)
{
  serialize(m.stamp, cdr);
  cdr << m.frame_id;
}
void deserialize(Header & m, Cdr & cdr)
{
  deserialize(m.stamp, cdr);
  cdr >> m.frame_id;
}
std::size_t size(const Header & m, std::size_t offset)
{
  const std::size_t start = offset;
  offset += size(m.stamp, offset);
  offset += aligned(offset, 4) + m.frame_id.size() + 1;
  return offset - start;
}

}  // namespace peer
