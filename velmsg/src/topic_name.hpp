// ROS 2 topic names: a name as a user gives it, resolved and checked as ROS 2
// does for a node in the root namespace, and the DDS topic it travels on.
#pragma once

#include <string>
#include <string_view>

namespace velmsg
{

struct TopicName
{
  std::string ros;  // fully qualified: "/cmd"
  std::string dds;  // "rt/cmd"
};

// "cmd" and "/cmd" are both /cmd. A name that breaks a rule of ROS 2 topic
// names gives a usage error that says which.
TopicName resolve_topic(std::string_view name);

// "velmari_messages::msg::dds_::Control_" as ROS 2 names it, "velmari_messages/msg/Control";
// a name outside the ROS 2 conventions as it is.
std::string ros_type_name(const std::string & dds_name);

// The reverse: "velmari_messages/msg/Control" travels as "velmari_messages::msg::dds_::Control_".
std::string dds_type_name(const std::string & ros_name);

}  // namespace velmsg
