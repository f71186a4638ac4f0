// The peer the serializers are measured against: what a DDS user has
// without our libraries, written by hand for the same fields in the manner
// of Fast-DDS's generated types: plain structures with a std::string frame
// id, straight-line Fast-CDR calls, one per field, each type's functions in
// its own source file (a nested type's are called, not inlined),
// reached through a callbacks record like ours. Written out field by field
// on purpose: it is the yardstick, not product code.
#ifndef BENCH__PEER_HPP_
#define BENCH__PEER_HPP_

#include <cstddef>
#include <cstdint>
#include <string>

#include "fastcdr/Cdr.h"
#include "rosidl_typesupport_fastrtps_cpp/message_type_support.h"

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

// peer_time.cpp, peer_header.cpp
void serialize(const Time & m, Cdr & cdr);
void deserialize(Time & m, Cdr & cdr);
std::size_t size(const Time & m, std::size_t offset);
void serialize(const Header & m, Cdr & cdr);
void deserialize(Header & m, Cdr & cdr);
std::size_t size(const Header & m, std::size_t offset);

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

struct VelmariEgoCache
{
  float x = 0, y = 0, z = 0, yaw = 0, pitch = 0, roll = 0, speed = 0;
};

struct Control
{
  Header header;
  bool valid = false;
  double throttle = 0, brake = 0, steer = 0;
  int32_t mode = 0, gear = 0;
};

struct EgoState
{
  Header header;
  double x = 0, y = 0, z = 0, yaw = 0, pitch = 0, roll = 0, speed = 0;
};

struct Num
{
  int64_t num = 0;
};
using AddThreeInts_Response = Num;

struct AddThreeInts_Request
{
  int64_t a = 0, b = 0, c = 0;
};

// The callbacks record of each type (peer.cpp); no max size.
template<class T>
const message_type_support_callbacks_t & callbacks();

}  // namespace peer

#endif  // BENCH__PEER_HPP_
