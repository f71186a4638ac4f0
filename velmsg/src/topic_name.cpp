#include "topic_name.hpp"

#include <cctype>

#include "errors.hpp"

namespace velmsg
{
namespace
{

// What ROS 2 allows a fully qualified topic name, the "rt" prefix of DDS left out.
constexpr size_t kMaxTopicLength = 247;

[[noreturn]] void refuse(std::string_view name, const std::string & rule)
{
  throw usage_error("'" + std::string(name) + "' is not a valid ROS 2 topic name: " + rule);
}

}  // namespace

TopicName resolve_topic(std::string_view name)
{
  if (name.empty()) {
    refuse(name, "it is empty");
  }
  for (size_t i = 0; i < name.size(); ++i) {
    char ch = name[i];
    if (ch == '~' || ch == '{' || ch == '}') {
      refuse(name, "'~' and '{...}' stand for parts of a node's name, and velmsg is no node; "
        "give the whole name");
    }
    if (!std::isalnum(static_cast<unsigned char>(ch)) && ch != '_' && ch != '/') {
      refuse(name, "character " + std::to_string(i + 1) +
        " is not a letter, digit, '_' or '/'");
    }
  }
  if (name.back() == '/') {
    refuse(name, "it ends with '/'");
  }
  if (name.find("//") != std::string_view::npos) {
    refuse(name, "it holds '//', an empty part");
  }
  std::string ros = name.front() == '/' ? std::string(name) : "/" + std::string(name);
  for (size_t start = 1; start < ros.size(); start = ros.find('/', start) + 1) {
    if (std::isdigit(static_cast<unsigned char>(ros[start]))) {
      refuse(name, "a part starts with a digit ('" + ros.substr(start, ros.find('/', start) - start) +
        "')");
    }
    if (ros.find('/', start) == std::string::npos) {
      break;
    }
  }
  if (ros.size() > kMaxTopicLength) {
    refuse(name, "it is longer than " + std::to_string(kMaxTopicLength) + " characters");
  }
  return {ros, "rt" + ros};
}

std::string ros_type_name(const std::string & dds_name)
{
  size_t marker = dds_name.rfind("::dds_::");
  if (marker == std::string::npos || dds_name.back() != '_') {
    return dds_name;
  }
  std::string scope = dds_name.substr(0, marker);
  for (size_t at; (at = scope.find("::")) != std::string::npos; ) {
    scope.replace(at, 2, "/");
  }
  return scope + "/" + dds_name.substr(marker + 8, dds_name.size() - marker - 9);
}

std::string dds_type_name(const std::string & ros_name)
{
  size_t last = ros_name.rfind('/');
  if (last == std::string::npos || last == 0) {
    return ros_name;
  }
  std::string scope = ros_name.substr(0, last);
  for (size_t at; (at = scope.find('/')) != std::string::npos; ) {
    scope.replace(at, 1, "::");
  }
  return scope + "::dds_::" + ros_name.substr(last + 1) + "_";
}

}  // namespace velmsg
