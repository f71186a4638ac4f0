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

}  // namespace velmsg
