// The peer the serializers are measured against: what a DDS user writes by
// hand for the same fields without our libraries, plain structures with a
// std::string frame id and straight-line Fast-CDR calls, one per field, in
// the manner of Fast-DDS's own generated types (serialize, deserialize and
// getCdrSerializedSize). Written out field by field on purpose: it is the
// yardstick, not product code, and must not share the product's machinery.
#ifndef BENCH__PEER_HPP_
#define BENCH__PEER_HPP_

#include <cstddef>
#include <cstdint>
#include <string>

#include "fastcdr/Cdr.h"

namespace peer
{

using eprosima::fastcdr::Cdr;

inline std::size_t aligned(std::size_t offset, std::size_t width)
{
  return width + Cdr::alignment(offset, width);
}

struct Time
{
  int32_t sec = 0;
  uint32_t nanosec = 0;
};

struct Header
{
  Time stamp;
  std::string frame_id;
};

inline void serialize(const Header & m, Cdr & cdr)
{
  cdr << m.stamp.sec << m.stamp.nanosec << m.frame_id;
}
inline void deserialize(Header & m, Cdr & cdr)
{
  cdr >> m.stamp.sec >> m.stamp.nanosec >> m.frame_id;
}
inline std::size_t size(const Header & m, std::size_t offset)
{
  const std::size_t start = offset;
  offset += aligned(offset, 4);
  offset += aligned(offset, 4);
  offset += aligned(offset, 4) + m.frame_id.size() + 1;
  return offset - start;
}

struct Zodizu610
{
  Header header;
  int32_t gpsweek = 0;
  double gpstime = 0;
  float heading = 0, pitch = 0, roll = 0, gyro_x = 0, gyro_y = 0, gyro_z = 0;
  float acc_x = 0, acc_y = 0, acc_z = 0;
  double lat = 0, lon = 0, alt = 0;
  float ve = 0, vn = 0, vu = 0, v = 0;
  int16_t nsv1 = 0, nsv2 = 0;
  uint8_t status = 0;
  int16_t age = 0, warning = 0;
};

inline void serialize(const Zodizu610 & m, Cdr & cdr)
{
  serialize(m.header, cdr);
  cdr << m.gpsweek << m.gpstime << m.heading << m.pitch << m.roll << m.gyro_x << m.gyro_y <<
    m.gyro_z << m.acc_x << m.acc_y << m.acc_z << m.lat << m.lon << m.alt << m.ve << m.vn <<
    m.vu << m.v << m.nsv1 << m.nsv2 << m.status << m.age << m.warning;
}
inline void deserialize(Zodizu610 & m, Cdr & cdr)
{
  deserialize(m.header, cdr);
  cdr >> m.gpsweek >> m.gpstime >> m.heading >> m.pitch >> m.roll >> m.gyro_x >> m.gyro_y >>
    m.gyro_z >> m.acc_x >> m.acc_y >> m.acc_z >> m.lat >> m.lon >> m.alt >> m.ve >> m.vn >>
    m.vu >> m.v >> m.nsv1 >> m.nsv2 >> m.status >> m.age >> m.warning;
}
inline std::size_t size(const Zodizu610 & m, std::size_t offset)
{
  const std::size_t start = offset;
  offset += size(m.header, offset);
  offset += aligned(offset, 4);  // gpsweek
  offset += aligned(offset, 8);  // gpstime
  for (int i = 0; i < 9; ++i) {  // heading .. acc_z
    offset += aligned(offset, 4);
  }
  for (int i = 0; i < 3; ++i) {  // lat, lon, alt
    offset += aligned(offset, 8);
  }
  for (int i = 0; i < 4; ++i) {  // ve, vn, vu, v
    offset += aligned(offset, 4);
  }
  offset += aligned(offset, 2);  // nsv1
  offset += aligned(offset, 2);  // nsv2
  offset += 1;  // status
  offset += aligned(offset, 2);  // age
  offset += aligned(offset, 2);  // warning
  return offset - start;
}

struct VelmariEgoCache
{
  float x = 0, y = 0, z = 0, yaw = 0, pitch = 0, roll = 0, speed = 0;
};

inline void serialize(const VelmariEgoCache & m, Cdr & cdr)
{
  cdr << m.x << m.y << m.z << m.yaw << m.pitch << m.roll << m.speed;
}
inline void deserialize(VelmariEgoCache & m, Cdr & cdr)
{
  cdr >> m.x >> m.y >> m.z >> m.yaw >> m.pitch >> m.roll >> m.speed;
}
inline std::size_t size(const VelmariEgoCache &, std::size_t offset)
{
  const std::size_t start = offset;
  for (int i = 0; i < 7; ++i) {
    offset += aligned(offset, 4);
  }
  return offset - start;
}

struct Control
{
  Header header;
  bool valid = false;
  double throttle = 0, brake = 0, steer = 0;
  int32_t mode = 0, gear = 0;
};

inline void serialize(const Control & m, Cdr & cdr)
{
  serialize(m.header, cdr);
  cdr << m.valid << m.throttle << m.brake << m.steer << m.mode << m.gear;
}
inline void deserialize(Control & m, Cdr & cdr)
{
  deserialize(m.header, cdr);
  cdr >> m.valid >> m.throttle >> m.brake >> m.steer >> m.mode >> m.gear;
}
inline std::size_t size(const Control & m, std::size_t offset)
{
  const std::size_t start = offset;
  offset += size(m.header, offset);
  offset += 1;  // valid
  for (int i = 0; i < 3; ++i) {
    offset += aligned(offset, 8);
  }
  offset += aligned(offset, 4);
  offset += aligned(offset, 4);
  return offset - start;
}

struct EgoState
{
  Header header;
  double x = 0, y = 0, z = 0, yaw = 0, pitch = 0, roll = 0, speed = 0;
};

inline void serialize(const EgoState & m, Cdr & cdr)
{
  serialize(m.header, cdr);
  cdr << m.x << m.y << m.z << m.yaw << m.pitch << m.roll << m.speed;
}
inline void deserialize(EgoState & m, Cdr & cdr)
{
  deserialize(m.header, cdr);
  cdr >> m.x >> m.y >> m.z >> m.yaw >> m.pitch >> m.roll >> m.speed;
}
inline std::size_t size(const EgoState & m, std::size_t offset)
{
  const std::size_t start = offset;
  offset += size(m.header, offset);
  for (int i = 0; i < 7; ++i) {
    offset += aligned(offset, 8);
  }
  return offset - start;
}

struct Num
{
  int64_t num = 0;
};
using AddThreeInts_Response = Num;

inline void serialize(const Num & m, Cdr & cdr) {cdr << m.num;}
inline void deserialize(Num & m, Cdr & cdr) {cdr >> m.num;}
inline std::size_t size(const Num &, std::size_t offset) {return aligned(offset, 8);}

struct AddThreeInts_Request
{
  int64_t a = 0, b = 0, c = 0;
};

inline void serialize(const AddThreeInts_Request & m, Cdr & cdr) {cdr << m.a << m.b << m.c;}
inline void deserialize(AddThreeInts_Request & m, Cdr & cdr) {cdr >> m.a >> m.b >> m.c;}
inline std::size_t size(const AddThreeInts_Request &, std::size_t offset)
{
  const std::size_t start = offset;
  for (int i = 0; i < 3; ++i) {
    offset += aligned(offset, 8);
  }
  return offset - start;
}

}  // namespace peer

#endif  // BENCH__PEER_HPP_
