#include "message_text.hpp"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "errors.hpp"
#include "field_values.hpp"
#include "msgdef/yaml_message.hpp"
#include "rosidl_typesupport_introspection_c/field_types.h"

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

void assign_field(Message & message, std::string_view assignment)
{
  size_t equals = assignment.find('=');
  if (equals == std::string_view::npos || equals == 0) {
    throw bad_input("'" + std::string(assignment) + "' is not a field assignment <field>=<value>");
  }
  std::string path(assignment.substr(0, equals));
  std::string_view value = assignment.substr(equals + 1);

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

  if (field->nested) {
    std::string example = path;
    for (const FieldDescription * leaf = field; leaf && leaf->nested; ) {
      leaf = leaf->nested->fields.empty() ? nullptr : &leaf->nested->fields.front();
      example += leaf ? "." + leaf->name : "";
    }
    throw bad_input("field '" + path + "' is a " + field->nested->name.text() +
            ": set its fields, e.g. " + example + "=...");
  }
  if (is_string(*field)) {
    if (field->string_upper_bound && value.size() > field->string_upper_bound) {
      throw bad_input("value for field '" + path + "' is longer than its bound of " +
              std::to_string(field->string_upper_bound) + " characters");
    }
    assign_string(message.description().flavour, address, value);
    return;
  }
  const PrimitiveKind * kind = primitive_kind(field->type_id);
  std::string reason;
  if (!kind || !kind->parse(value, address, reason)) {
    throw bad_input("value '" + std::string(value) + "' for field '" + path + "' (" +
            field_type_text(*field) + ") " + (kind ? reason : "cannot be set by this tool"));
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

void print_yaml(std::ostream & out, const Message & message)
{
  Flavour flavour = message.description().flavour;
  walk_fields(message.description(), const_cast<void *>(message.data()),
    [&](const FieldVisit & visit) {
      size_t indentation = msgdef::yaml::nested_indentation * visit.depth;
      if (visit.field.nested) {
        msgdef::yaml::nested_line(out, indentation, visit.field.name);
      } else if (is_string(visit.field)) {
        msgdef::yaml::scalar_line(out, indentation, visit.field.name,
          msgdef::yaml::format_string(read_string(flavour, visit.address)));
      } else {
        msgdef::yaml::scalar_line(out, indentation, visit.field.name,
          primitive_kind(visit.field.type_id)->format(visit.address));
      }
    });
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
