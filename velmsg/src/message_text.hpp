// Messages as text: field assignments, YAML, the definition view and example
// values, all driven by the introspection description of the type.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <string_view>

#include "message_type.hpp"

namespace velmsg
{

struct FieldVisit
{
  const FieldDescription & field;
  int depth;         // 0 for the fields of the top-level message
  std::string path;  // "header.stamp.sec"
  size_t offset;     // from the start of the top-level structure
  void * address;    // the field in the message; null when walking a description alone
};

// Every field in order, a nested message's fields right after the nested message itself.
void walk_fields(
  const MessageDescription & description, void * message,
  const std::function<void(const FieldVisit &)> & visit);

// Fails with a clear message on a field shape the tool cannot read or write (arrays, wide strings).
void require_supported(const MessageDescription & description);

// "path=value", e.g. "header.frame_id=base_link" or "status=3".
void assign_field(Message & message, std::string_view assignment);

// A YAML mapping of field names to values, nested messages as nested mappings,
// as ROS 2's tools take a message: "{valid: true, header: {frame_id: map}}".
void assign_yaml(Message & message, std::string_view text);

// A command-line argument: path=value when the text before '=' is a field path, else YAML.
void apply_argument(Message & message, std::string_view argument);

// Every field gets a distinct example value: numbers 1, 2, 3, ... (floats n.5), bools true.
void fill_example(Message & message);

void print_yaml(std::ostream & out, const Message & message);

// One field of the message, by path ("header.stamp"), as YAML: a nested
// message's fields, or a leaf's value alone, as ros2 topic echo --field prints it.
void print_field_yaml(std::ostream & out, const Message & message, const std::string & path);

// The leaf fields of a message as one CSV row (strings quoted where CSV needs
// it; NaN and infinities as nan, inf, -inf), and their paths as the header row: "header.stamp.sec,header.frame_id,...".
std::string csv_row(const Message & message);
std::string csv_header(const MessageDescription & description);

// The fields with their types and offsets, nested types expanded.
void print_definition(std::ostream & out, const MessageDescription & description);

}  // namespace velmsg
