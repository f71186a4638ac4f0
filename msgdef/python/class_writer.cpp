// Build-time program: writes the Python message classes of the package named
// by MSGDEF_PACKAGE from the same field lists the C structures are made of.
//
//   class_writer <site-packages dir> <type support module>
//
// writes, for every definition file of the package, the module
// <dir>/<package>/<folder>/_<snake>.py with its class (a service: the service
// class with its request and response classes), the folder's __init__.py
// importing the types from them, and <dir>/<package>/__init__.py. The classes
// hold only their field table; msgdef_py.message turns it into slots, checked
// properties and the rest.
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

// One Python module: the classes of one definition file.
struct Module
{
  std::string folder;
  std::string snake;
  std::vector<std::string> names;  // the classes, in the order they are written
  std::string body;
  bool has_service = false;
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

  // One module per definition file: a message type, or a service with its
  // request and response types, which come first in the module.
  std::vector<Module> modules;
  auto module_of = [&](const std::string & folder, const std::string & snake) -> Module & {
      for (Module & module : modules) {
        if (module.folder == folder && module.snake == snake) {
          return module;
        }
      }
      return modules.emplace_back(Module{folder, snake, {}, "", false});
    };
  for (const MessageType & type : messages) {
    std::string file_snake = type.snake;
    for (const ServiceType & service : services) {
      if (type.folder == service.folder &&
        (type.name == service.name + "_Request" || type.name == service.name + "_Response"))
      {
        file_snake = service.snake;
      }
    }
    Module & module = module_of(type.folder, file_snake);
    module.names.push_back(type.name);
    module.body += message_class(type, support);
  }
  for (const ServiceType & type : services) {
    Module & module = module_of(type.folder, type.snake);
    module.names.push_back(type.name);
    module.body += service_class(type, support);
    module.has_service = true;
  }

  const std::string banner = "# Written at build time from the field lists of " +
    std::string(package) + "; do not edit.\n";
  if (!write_file(root + "/__init__.py",
    banner + "\"\"\"Interface types of " + package + ".\"\"\"\n"))
  {
    return 1;
  }
  // Folders in the order their first type appears.
  std::vector<std::string> folders;
  std::map<std::string, std::string> folder_imports;
  for (const Module & module : modules) {
    if (!folder_imports.count(module.folder)) {
      folders.push_back(module.folder);
    }
    std::string names;
    for (const std::string & name : module.names) {
      names += (names.empty() ? "" : ", ") + name;
    }
    folder_imports[module.folder] += "from " + std::string(package) + "." + module.folder +
      "._" + module.snake + " import " + names + "  # noqa: F401\n";

    std::string text = banner + "from msgdef_py.message import Message" +
      (module.has_service ? ", Service" : "") + "\n" + module.body;
    if (!write_file(root + "/" + module.folder + "/_" + module.snake + ".py", text)) {
      return 1;
    }
  }
  for (const std::string & folder : folders) {
    if (!write_file(root + "/" + folder + "/__init__.py", banner + folder_imports[folder])) {
      return 1;
    }
  }
  return 0;
}
