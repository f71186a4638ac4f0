// Peer (peer.hpp): the message types, straight-line, behind callbacks records.
#include "peer.hpp"

namespace peer
{
namespace
{

template<class T>
const T & message(const void * untyped) {return *static_cast<const T *>(untyped);}
template<class T>
T & message(void * untyped) {return *static_cast<T *>(untyped);}

bool serialize_Zodizu610(const void * untyped, Cdr & cdr)
{
  const auto & m = message<Zodizu610>(untyped);
  serialize(m.header, cdr);
  cdr << m.gpsweek << m.gpstime << m.heading << m.pitch << m.roll << m.gyro_x << m.gyro_y <<
    m.gyro_z << m.acc_x << m.acc_y << m.acc_z << m.lat << m.lon << m.alt << m.ve << m.vn <<
    m.vu << m.v << m.nsv1 << m.nsv2 << m.status << m.age << m.warning;
  return true;
}
bool deserialize_Zodizu610(Cdr & cdr, void * untyped)
{
  auto & m = message<Zodizu610>(untyped);
  deserialize(m.header, cdr);
  cdr >> m.gpsweek >> m.gpstime >> m.heading >> m.pitch >> m.roll >> m.gyro_x >> m.gyro_y >>
    m.gyro_z >> m.acc_x >> m.acc_y >> m.acc_z >> m.lat >> m.lon >> m.alt >> m.ve >> m.vn >>
    m.vu >> m.v >> m.nsv1 >> m.nsv2 >> m.status >> m.age >> m.warning;
  return true;
}
uint32_t size_Zodizu610(const void * untyped)
{
  const auto & m = message<Zodizu610>(untyped);
  std::size_t offset = 0;
  offset += size(m.header, offset);
  offset += aligned(offset, 4);  // gpsweek
  offset += aligned(offset, 8);  // gpstime
  offset += aligned(offset, 4);  // heading
  offset += aligned(offset, 4);  // pitch
  offset += aligned(offset, 4);  // roll
  offset += aligned(offset, 4);  // gyro_x
  offset += aligned(offset, 4);  // gyro_y
  offset += aligned(offset, 4);  // gyro_z
  offset += aligned(offset, 4);  // acc_x
  offset += aligned(offset, 4);  // acc_y
  offset += aligned(offset, 4);  // acc_z
  offset += aligned(offset, 8);  // lat
  offset += aligned(offset, 8);  // lon
  offset += aligned(offset, 8);  // alt
  offset += aligned(offset, 4);  // ve
  offset += aligned(offset, 4);  // vn
  offset += aligned(offset, 4);  // vu
  offset += aligned(offset, 4);  // v
  offset += aligned(offset, 2);  // nsv1
  offset += aligned(offset, 2);  // nsv2
  offset += 1;  // status
  offset += aligned(offset, 2);  // age
  offset += aligned(offset, 2);  // warning
  return static_cast<uint32_t>(offset);
}

bool serialize_VelmariEgoCache(const void * untyped, Cdr & cdr)
{
  const auto & m = message<VelmariEgoCache>(untyped);
  cdr << m.x << m.y << m.z << m.yaw << m.pitch << m.roll << m.speed;
  return true;
}
bool deserialize_VelmariEgoCache(Cdr & cdr, void * untyped)
{
  auto & m = message<VelmariEgoCache>(untyped);
  cdr >> m.x >> m.y >> m.z >> m.yaw >> m.pitch >> m.roll >> m.speed;
  return true;
}
uint32_t size_VelmariEgoCache(const void *)
{
  std::size_t offset = 0;
  for (int i = 0; i < 7; ++i) {
    offset += aligned(offset, 4);
  }
  return static_cast<uint32_t>(offset);
}

bool serialize_Control(const void * untyped, Cdr & cdr)
{
  const auto & m = message<Control>(untyped);
  serialize(m.header, cdr);
  cdr << m.valid << m.throttle << m.brake << m.steer << m.mode << m.gear;
  return true;
}
bool deserialize_Control(Cdr & cdr, void * untyped)
{
  auto & m = message<Control>(untyped);
  deserialize(m.header, cdr);
  cdr >> m.valid >> m.throttle >> m.brake >> m.steer >> m.mode >> m.gear;
  return true;
}
uint32_t size_Control(const void * untyped)
{
  const auto & m = message<Control>(untyped);
  std::size_t offset = 0;
  offset += size(m.header, offset);
  offset += 1;  // valid
  offset += aligned(offset, 8);  // throttle
  offset += aligned(offset, 8);  // brake
  offset += aligned(offset, 8);  // steer
  offset += aligned(offset, 4);  // mode
  offset += aligned(offset, 4);  // gear
  return static_cast<uint32_t>(offset);
}

bool serialize_EgoState(const void * untyped, Cdr & cdr)
{
  const auto & m = message<EgoState>(untyped);
  serialize(m.header, cdr);
  cdr << m.x << m.y << m.z << m.yaw << m.pitch << m.roll << m.speed;
  return true;
}
bool deserialize_EgoState(Cdr & cdr, void * untyped)
{
  auto & m = message<EgoState>(untyped);
  deserialize(m.header, cdr);
  cdr >> m.x >> m.y >> m.z >> m.yaw >> m.pitch >> m.roll >> m.speed;
  return true;
}
uint32_t size_EgoState(const void * untyped)
{
  const auto & m = message<EgoState>(untyped);
  std::size_t offset = 0;
  offset += size(m.header, offset);
  for (int i = 0; i < 7; ++i) {
    offset += aligned(offset, 8);
  }
  return static_cast<uint32_t>(offset);
}

bool serialize_Num(const void * untyped, Cdr & cdr)
{
  cdr << message<Num>(untyped).num;
  return true;
}
bool deserialize_Num(Cdr & cdr, void * untyped)
{
  cdr >> message<Num>(untyped).num;
  return true;
}
uint32_t size_Num(const void *)
{
  return static_cast<uint32_t>(aligned(0, 8));
}

bool serialize_AddThreeInts_Request(const void * untyped, Cdr & cdr)
{
  const auto & m = message<AddThreeInts_Request>(untyped);
  cdr << m.a << m.b << m.c;
  return true;
}
bool deserialize_AddThreeInts_Request(Cdr & cdr, void * untyped)
{
  auto & m = message<AddThreeInts_Request>(untyped);
  cdr >> m.a >> m.b >> m.c;
  return true;
}
uint32_t size_AddThreeInts_Request(const void *)
{
  std::size_t offset = 0;
  for (int i = 0; i < 3; ++i) {
    offset += aligned(offset, 8);
  }
  return static_cast<uint32_t>(offset);
}

}  // namespace

#define PEER_CALLBACKS(T, F) \
  template<> \
  const message_type_support_callbacks_t & callbacks<T>() \
  { \
    static const message_type_support_callbacks_t record = { \
      "peer", #T, &serialize_##F, &deserialize_##F, &size_##F, nullptr}; \
    return record; \
  }
PEER_CALLBACKS(Zodizu610, Zodizu610)
PEER_CALLBACKS(VelmariEgoCache, VelmariEgoCache)
PEER_CALLBACKS(Control, Control)
PEER_CALLBACKS(EgoState, EgoState)
PEER_CALLBACKS(Num, Num)
PEER_CALLBACKS(AddThreeInts_Request, AddThreeInts_Request)

}  // namespace peer
