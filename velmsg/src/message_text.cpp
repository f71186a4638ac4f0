#include "message_text.hpp"

#include <algorithm>
#include <cctype>
#include <vector>

#include "errors.hpp"
#include "field_values.hpp"
#include "msgdef/yaml_text.hpp"
#include "msgdef/yaml_message.hpp"
#include "rosidl_typesupport_introspection_c/field_types.h"
#include "yaml-cpp/yaml.h"

namespace velmsg
{
namespace
{

bool is_string(const FieldDescription & field)
{
  return field.type_id == rosidl_typesupport_introspection_c__ROS_TYPE_STRING;
}

void walk(
  const MessageDescription & description, char * message, int depth, const std::string & prefix,
  size_t base, const std::function<void(const FieldVisit &)> & visit)
{
  for (const FieldDescription & field : description.fields) {
    char * address = message ? message + field.offset : nullptr;
    std::string path = prefix.empty() ? field.name : prefix + "." + field.name;
    visit(FieldVisit{field, depth, path, base + field.offset, address});
    if (field.nested && !field.is_array) {
      walk(*field.nested, address, depth + 1, path, base + field.offset, visit);
    }
  }
}

std::string field_type_text(const FieldDescription & field)
{
  std::string text = field.nested ? field.nested->name.text() : type_code_name(field.type_id);
  if (is_string(field) && field.string_upper_bound) {
    text += "<=" + std::to_string(field.string_upper_bound);
  }
  if (field.is_array) {
    std::string size = field.array_size ? std::to_string(field.array_size) : "";
    text += field.is_upper_bound ? "[<=" + size + "]" : "[" + size + "]";
  }
  return text;
}

std::string field_names(const MessageDescription & description)
{
  std::string names;
  for (const FieldDescription & field : description.fields) {
    names += (names.empty() ? "" : ", ") + field.name;
  }
  return names;
}

}  // namespace

void walk_fields(
  const MessageDescription & description, void * message,
  const std::function<void(const FieldVisit &)> & visit)
{
  walk(description, static_cast<char *>(message), 0, "", 0, visit);
}

void require_supported(const MessageDescription & description)
{
  walk_fields(description, nullptr, [&](const FieldVisit & visit) {
      const FieldDescription & field = visit.field;
      bool known = field.nested || is_string(field) || primitive_kind(field.type_id);
      if (field.is_array || !known) {
        throw bad_input("field '" + visit.path + "' of " + description.name.text() + " is a " +
                field_type_text(field) + ", which this tool cannot read or write");
      }
    });
}

namespace
{

// The field at a dotted path, and its address in the message.
struct FieldAt
{
  const FieldDescription * field;
  char * address;
};

FieldAt find_field(Message & message, const std::string & path)
{
  const MessageDescription * description = &message.description();
  char * address = static_cast<char *>(message.data());
  const FieldDescription * field = nullptr;
  for (size_t start = 0; start <= path.size(); ) {
    size_t end = std::min(path.find('.', start), path.size());
    std::string name = path.substr(start, end - start);
    if (field) {
      if (!field->nested) {
        throw bad_input("unknown field '" + path + "': '" + path.substr(0, start - 1) + "' is a " +
                field_type_text(*field) + ", it has no fields");
      }
      description = field->nested;
    }
    auto found = std::find_if(description->fields.begin(), description->fields.end(),
        [&](const FieldDescription & candidate) {return candidate.name == name;});
    if (found == description->fields.end()) {
      throw bad_input("unknown field '" + path + "' in " + message.description().name.text() +
              " (" + description->name.text() + " has: " + field_names(*description) + ")");
    }
    field = &*found;
    address += field->offset;
    start = end + 1;
  }
  return {field, address};
}

std::string first_leaf(const std::string & path, const FieldDescription * field)
{
  std::string example = path;
  for (const FieldDescription * leaf = field; leaf && leaf->nested; ) {
    leaf = leaf->nested->fields.empty() ? nullptr : &leaf->nested->fields.front();
    example += leaf ? "." + leaf->name : "";
  }
  return example;
}

void assign_value(Message & message, const std::string & path, std::string_view value)
{
  FieldAt at = find_field(message, path);
  const FieldDescription * field = at.field;
  if (field->nested) {
    throw bad_input("field '" + path + "' is a " + field->nested->name.text() +
            ": set its fields, e.g. " + first_leaf(path, field) + "=...");
  }
  if (is_string(*field)) {
    if (field->string_upper_bound && value.size() > field->string_upper_bound) {
      throw bad_input("value for field '" + path + "' is longer than its bound of " +
              std::to_string(field->string_upper_bound) + " characters");
    }
    // A ROS 2 string ends at its first NUL: whatever follows would be lost to
    // every reader that takes it as a C string.
    if (size_t nul = value.find('\0'); nul != std::string_view::npos) {
      throw bad_input("value for field '" + path + "' holds a NUL character at position " +
              std::to_string(nul) + ": a ROS 2 string ends at its first NUL");
    }
    assign_string(message.description().flavour, at.address, value);
    return;
  }
  const PrimitiveKind * kind = primitive_kind(field->type_id);
  std::string reason;
  if (!kind || !kind->parse(value, at.address, reason)) {
    throw bad_input("value '" + std::string(value) + "' for field '" + path + "' (" +
            field_type_text(*field) + ") " + (kind ? reason : "cannot be set by this tool"));
  }
}

void assign_node(Message & message, const std::string & path, const YAML::Node & node)
{
  switch (node.Type()) {
    case YAML::NodeType::Map:
      if (!path.empty()) {
        FieldAt at = find_field(message, path);
        if (!at.field->nested) {
          throw bad_input("field '" + path + "' is a " + field_type_text(*at.field) +
                  ", not a message: give it a single value");
        }
      }
      for (const auto & entry : node) {
        if (!entry.first.IsScalar()) {
          throw bad_input("a field name must be plain text, not a list or a mapping");
        }
        const std::string & name = entry.first.Scalar();
        assign_node(message, path.empty() ? name : path + "." + name, entry.second);
      }
      return;
    case YAML::NodeType::Scalar:
      assign_value(message, path, node.Scalar());
      return;
    case YAML::NodeType::Sequence:
      throw bad_input("field '" + path + "' is given a list, which this tool cannot set");
    default:
      throw bad_input("field '" + path + "' is given no value");
  }
}

// field.path=value: the text before '=' is a dotted path of names.
bool is_assignment(std::string_view argument)
{
  size_t equals = argument.find('=');
  if (equals == std::string_view::npos || equals == 0) {
    return false;
  }
  bool start = true;
  for (char ch : argument.substr(0, equals)) {
    bool letter = std::isalpha(static_cast<unsigned char>(ch)) || ch == '_';
    bool ok = ch == '.' ? !start : (letter || (!start && std::isdigit(static_cast<unsigned char>(ch))));
    if (!ok) {
      return false;
    }
    start = ch == '.';
  }
  return !start;
}

}  // namespace

void assign_field(Message & message, std::string_view assignment)
{
  size_t equals = assignment.find('=');
  if (!is_assignment(assignment)) {
    throw bad_input("'" + std::string(assignment) + "' is not a field assignment <field>=<value>");
  }
  assign_value(message, std::string(assignment.substr(0, equals)), assignment.substr(equals + 1));
}

void assign_yaml(Message & message, std::string_view text)
{
  YAML::Node node;
  try {
    node = YAML::Load(std::string(text));
  } catch (const YAML::Exception & error) {
    throw bad_input("'" + std::string(text) + "' is not valid YAML: " + error.msg + " (line " +
            std::to_string(error.mark.line + 1) + ", column " + std::to_string(error.mark.column + 1) +
            ")");
  }
  if (node.IsNull()) {
    return;  // "" and "{}" set nothing
  }
  if (!node.IsMap()) {
    throw bad_input("'" + std::string(text) + "' is neither <field>=<value> nor a YAML mapping "
            "such as \"{valid: true, throttle: 0.4}\"");
  }
  assign_node(message, "", node);
}

void apply_argument(Message & message, std::string_view argument)
{
  if (is_assignment(argument)) {
    assign_field(message, argument);
  } else {
    assign_yaml(message, argument);
  }
}

void fill_example(Message & message)
{
  unsigned n = 0;
  Flavour flavour = message.description().flavour;
  walk_fields(message.description(), message.data(), [&](const FieldVisit & visit) {
      if (is_string(visit.field)) {
        assign_string(flavour, visit.address, visit.field.name + "_" + std::to_string(++n));
      } else if (const PrimitiveKind * kind = primitive_kind(visit.field.type_id)) {
        kind->example(++n, visit.address);
      }
    });
}

namespace
{

// A leaf's value as YAML text.
std::string leaf_text(Flavour flavour, const FieldVisit & visit)
{
  return is_string(visit.field) ?
         msgdef::yaml::format_string(read_string(flavour, visit.address)) :
         primitive_kind(visit.field.type_id)->format(visit.address);
}

// The fields under path (every field when it is empty) as YAML, indented from path's depth.
void print_yaml_under(std::ostream & out, const Message & message, const std::string & path)
{
  Flavour flavour = message.description().flavour;
  const int base = path.empty() ? 0 : static_cast<int>(std::count(path.begin(), path.end(), '.')) + 1;
  walk_fields(message.description(), const_cast<void *>(message.data()),
    [&](const FieldVisit & visit) {
      if (!path.empty() && visit.path.rfind(path + ".", 0) != 0) {
        return;
      }
      size_t indentation = msgdef::yaml::nested_indentation * static_cast<size_t>(visit.depth - base);
      if (visit.field.nested) {
        msgdef::yaml::nested_line(out, indentation, visit.field.name);
      } else {
        msgdef::yaml::scalar_line(out, indentation, visit.field.name, leaf_text(flavour, visit));
      }
    });
}

std::string csv_cell(std::string text)
{
  if (text.find_first_of(",\"\r\n") == std::string::npos) {
    return text;
  }
  for (size_t at = 0; (at = text.find('"', at)) != std::string::npos; at += 2) {
    text.insert(at, 1, '"');
  }
  return '"' + text + '"';
}

}  // namespace

void print_yaml(std::ostream & out, const Message & message)
{
  print_yaml_under(out, message, "");
}

void print_field_yaml(std::ostream & out, const Message & message, const std::string & path)
{
  FieldAt at = find_field(const_cast<Message &>(message), path);
  if (at.field->nested) {
    print_yaml_under(out, message, path);
    return;
  }
  FieldVisit visit{*at.field, 0, path, 0, at.address};
  out << leaf_text(message.description().flavour, visit) << "\n";
}

std::string csv_row(const Message & message)
{
  Flavour flavour = message.description().flavour;
  std::string row;
  walk_fields(message.description(), const_cast<void *>(message.data()), [&](const FieldVisit & visit) {
      if (visit.field.nested) {
        return;
      }
      std::string text = is_string(visit.field) ? read_string(flavour, visit.address) :
      primitive_kind(visit.field.type_id)->format(visit.address);
      // As spreadsheets and pandas read them: YAML's .nan and .inf spelled nan and inf.
      if (!is_string(visit.field) && (text == ".nan" || text == ".inf" || text == "-.inf")) {
        text = text[0] == '-' ? "-inf" : text.substr(1);
      }
      row += (row.empty() ? "" : ",") + csv_cell(text);
    });
  return row;
}

std::string csv_header(const MessageDescription & description)
{
  std::string row;
  walk_fields(description, nullptr, [&](const FieldVisit & visit) {
      if (!visit.field.nested) {
        row += (row.empty() ? "" : ",") + csv_cell(visit.path);
      }
    });
  return row;
}

void print_definition(std::ostream & out, const MessageDescription & description)
{
  std::vector<std::pair<std::string, size_t>> lines;
  size_t width = 0;
  walk_fields(description, nullptr, [&](const FieldVisit & visit) {
      std::string line = std::string(2 * visit.depth, ' ') + field_type_text(visit.field) + " " +
      visit.field.name;
      width = std::max(width, line.size());
      lines.emplace_back(line, visit.offset);
    });
  for (const auto & [line, offset] : lines) {
    out << line << std::string(width - line.size() + 2, ' ') << "# offset " << offset << "\n";
  }
}

}  // namespace velmsg
