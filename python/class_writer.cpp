// Build-time program: writes the Python message classes of the package named
// by MSGDEF_PACKAGE from the same field lists the C structures are made of.
//
//   class_writer <site-packages dir> <type support module>
//
// writes <dir>/<package>/__init__.py and <dir>/<package>/<folder>/__init__.py
// for every folder the package has. The classes hold only their field table;
// msgdef_py.message turns it into slots, checked properties and the rest.
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "msgdef/fields.hpp"
#include MSGDEF_PACKAGE_HEADER

namespace
{

struct Field
{
  std::string name;
  std::string ros_type;       // as get_fields_and_field_types() reports it
  std::string nested_module;  // Python module of a nested type, else empty
};

struct MessageType
{
  std::string folder;
  std::string name;
  std::string snake;
  std::vector<Field> fields;
};

struct ServiceType
{
  std::string folder;
  std::string name;
  std::string snake;
};

// Field kinds of the definitions -> ROS interface type names (unused by a
// package whose types have no primitive field).
[[maybe_unused]] std::string ros_type_name(const std::string & kind)
{
  static const std::map<std::string, std::string> names = {
    {"bool", "boolean"}, {"float32", "float"}, {"float64", "double"},
  };
  const auto found = names.find(kind);
  return found == names.end() ? kind : found->second;
}

#define WRITER_VALUE(name, kind) Field{#name, ros_type_name(#kind), ""},
#define WRITER_MESSAGE(name, pkg, folder, T) Field{#name, #pkg "/" #T, #pkg "." #folder},
#define WRITER_STRING(name) Field{#name, "string", ""},
#define WRITER_MESSAGE_TYPE(pkg, folder, T, snake) \
  MessageType{#folder, #T, #snake, \
    {pkg##__##folder##__##T##__FIELDS(WRITER_VALUE, WRITER_MESSAGE, WRITER_STRING)}},
#define WRITER_SERVICE_TYPE(pkg, folder, T, snake) ServiceType{#folder, #T, #snake},

const char * const package = MSGDEF_STR(MSGDEF_PACKAGE);

std::string python_literal(const std::string & text)
{
  return text.empty() ? "None" : "'" + text + "'";
}

std::string message_class(const MessageType & type, const std::string & support)
{
  std::string out = "\n\nclass " + type.name + "(Message):\n";
  out += "    _TYPE = ('" + std::string(package) + "', '" + type.folder + "', '" + type.name +
    "', '" + type.snake + "', " + python_literal(support) + ")\n";
  out += "    _FIELDS = (\n";
  for (const Field & f : type.fields) {
    out += "        ('" + f.name + "', '" + f.ros_type + "', " +
      python_literal(f.nested_module) + "),\n";
  }
  out += "    )\n";
  return out;
}

std::string service_class(const ServiceType & type, const std::string & support)
{
  std::string out = "\n\nclass " + type.name + "(Service):\n";
  out += "    _TYPE = ('" + std::string(package) + "', '" + type.folder + "', '" + type.name +
    "', '" + type.snake + "', " + python_literal(support) + ")\n";
  out += "    Request = " + type.name + "_Request\n";
  out += "    Response = " + type.name + "_Response\n";
  return out;
}

bool write_file(const std::string & path, const std::string & text)
{
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << text;
  file.close();
  if (!file) {
    std::cerr << "class_writer: cannot write " << path << "\n";
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char ** argv)
{
  if (argc != 3) {
    std::cerr << "usage: class_writer <site-packages dir> <type support module>\n";
    return 2;
  }
  const std::string root = std::string(argv[1]) + "/" + package;
  const std::string support = std::string(package) + "." + argv[2];

  const std::vector<MessageType> messages = {
    MSGDEF_CAT(MSGDEF_PACKAGE, __MESSAGES)(WRITER_MESSAGE_TYPE)
  };
  const std::vector<ServiceType> services = {
    MSGDEF_CAT(MSGDEF_PACKAGE, __SERVICES)(WRITER_SERVICE_TYPE)
  };

  // Folders in the order their first type appears.
  std::vector<std::string> folders;
  std::map<std::string, std::string> bodies;
  for (const MessageType & type : messages) {
    if (!bodies.count(type.folder)) {
      folders.push_back(type.folder);
    }
    bodies[type.folder] += message_class(type, support);
  }
  for (const ServiceType & type : services) {
    if (!bodies.count(type.folder)) {
      folders.push_back(type.folder);
    }
    bodies[type.folder] += service_class(type, support);
  }

  const std::string banner = "# Written at build time from the field lists of " +
    std::string(package) + "; do not edit.\n";
  if (!write_file(root + "/__init__.py",
    banner + "\"\"\"Interface types of " + package + ".\"\"\"\n"))
  {
    return 1;
  }
  for (const std::string & folder : folders) {
    const std::string text = banner + "from msgdef_py.message import Message, Service  # noqa: F401\n" +
      bodies[folder];
    if (!write_file(root + "/" + folder + "/__init__.py", text)) {
      return 1;
    }
  }
  return 0;
}
