#include "message_type.hpp"

#if defined(_WIN32)
#  define WIN32_LEAN_AND_MEAN
#  include <windows.h>
#else
#  include <dlfcn.h>
#endif

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <new>
#include <sstream>
#include <vector>

#include "errors.hpp"
#include "prefixes.hpp"
#include "rcutils/error_handling.h"
#include "rosidl_runtime_c/service_type_support_struct.h"
#include "rosidl_runtime_c/string_functions.h"
#include "rosidl_typesupport_introspection_c/field_types.h"
#include "rosidl_typesupport_introspection_c/message_introspection.h"
#include "rosidl_typesupport_introspection_c/service_introspection.h"
#include "rosidl_typesupport_introspection_cpp/message_introspection.hpp"
#include "rosidl_typesupport_introspection_cpp/service_introspection.hpp"

namespace velmsg
{

const FlavourNames & flavour_names(Flavour flavour)
{
  static const FlavourNames c{"rosidl_typesupport_c", "rosidl_typesupport_introspection_c",
    "rosidl_typesupport_fastrtps_c", "C"};
  static const FlavourNames cpp{"rosidl_typesupport_cpp", "rosidl_typesupport_introspection_cpp",
    "rosidl_typesupport_fastrtps_cpp", "C++"};
  return flavour == Flavour::c ? c : cpp;
}

namespace
{

bool is_identifier(std::string_view part)
{
  if (part.empty()) {
    return false;
  }
  for (char ch : part) {
    if (!std::isalnum(static_cast<unsigned char>(ch)) && ch != '_') {
      return false;
    }
  }
  return true;
}

#if defined(_WIN32)
void * open_library(const std::string & file, std::string & why)
{
  HMODULE library = LoadLibraryExA(file.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!library) {
    why = "Windows error " + std::to_string(GetLastError());
  }
  return reinterpret_cast<void *>(library);
}

void * library_symbol(void * library, const char * name)
{
  return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(library), name));
}
#else
void * open_library(const std::string & file, std::string & why)
{
  void * library = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    why = dlerror();
  }
  return library;
}

void * library_symbol(void * library, const char * name)
{
  return dlsym(library, name);
}
#endif

// The dispatch library of a package and flavour; loaded once, never unloaded
// (the type support runtime keeps references into it).
void * dispatch_library(const std::string & package, Flavour flavour)
{
  static std::map<std::string, void *> loaded;
  std::string base = package + "__" + flavour_names(flavour).dispatch;
  auto found = loaded.find(base);
  if (found != loaded.end()) {
    return found->second;
  }
  // The first prefix that holds the package, as the ament index has it.
  const std::vector<Prefix> prefixes = search_prefixes();
  std::string file;
  for (const Prefix & prefix : prefixes) {
    std::string candidate = library_file(prefix.path, base);
    if ((prefix.own || has_package(prefix.path, package)) && file_exists(candidate)) {
      file = candidate;
      break;
    }
  }
  if (file.empty()) {
    throw bad_input("unknown package '" + package + "': no " + base + " library in " +
            describe(prefixes) + " (AMENT_PREFIX_PATH, then velmsg's own prefix)");
  }
  std::string why;
  void * library = open_library(file, why);
  if (!library) {
    throw failure("cannot load " + file + ": " + why);
  }
  loaded.emplace(base, library);
  return library;
}

// The exported handle function <dispatch>__get_<kind>_type_support_handle__<C name>, or null.
void * dispatch_function(const TypeName & name, Flavour flavour, const char * kind)
{
  void * library = dispatch_library(name.package, flavour);
  std::string symbol = std::string(flavour_names(flavour).dispatch) + "__get_" + kind +
    "_type_support_handle__" + name.c_name();
  return library_symbol(library, symbol.c_str());
}

std::string take_runtime_error()
{
  std::string text = rcutils_error_is_set() ? rcutils_get_error_string().str : "no details";
  rcutils_reset_error();
  return text;
}

template<typename Handle>
const Handle * lookup(const Handle * handle, const char * identifier, const std::string & what)
{
  const Handle * found = handle->func(handle, identifier);
  if (!found || !found->data) {
    throw failure("no " + std::string(identifier) + " support for " + what + ": " +
            take_runtime_error());
  }
  return found;
}

// "pkg__msg" (C tables) or "pkg::msg" (C++ tables) and the type name.
TypeName name_from_tables(const char * message_namespace, const char * message_name)
{
  std::string ns = message_namespace ? message_namespace : "";
  size_t separator = ns.find("::");
  if (separator == std::string::npos) {
    separator = ns.find("__");
  }
  if (separator == std::string::npos) {
    return {ns, "", message_name ? message_name : ""};
  }
  return {ns.substr(0, separator), ns.substr(separator + 2), message_name ? message_name : ""};
}

template<typename Members>
void describe_rows(
  const Members & members, Flavour flavour, MessageDescription & out, DescriptionSet & set)
{
  out.name = name_from_tables(members.message_namespace_, members.message_name_);
  out.flavour = flavour;
  out.size = members.size_of_;
  if (!members.init_function || !members.fini_function || (members.member_count_ && !members.members_)) {
    throw failure("the introspection table of " + out.name.text() + " is incomplete");
  }
  for (uint32_t i = 0; i < members.member_count_; ++i) {
    const auto & row = members.members_[i];
    FieldDescription field;
    field.name = row.name_ ? row.name_ : "";
    field.type_id = row.type_id_;
    field.offset = row.offset_;
    field.is_array = row.is_array_;
    field.array_size = row.array_size_;
    field.is_upper_bound = row.is_upper_bound_;
    field.string_upper_bound = row.string_upper_bound_;
    if (row.type_id_ == rosidl_typesupport_introspection_c__ROS_TYPE_MESSAGE) {
      if (!row.members_) {
        throw failure("the introspection table of " + out.name.text() + " names no type for field '" +
                field.name + "'");
      }
      std::string what = out.name.text() + "." + field.name;
      field.nested = &set.describe(
        lookup(row.members_, flavour_names(flavour).introspection, what)->data, flavour);
    }
    out.fields.push_back(field);
  }
}

}  // namespace

TypeName TypeName::parse(std::string_view text)
{
  // <package>/<folder>/<Type>, or <package>/<Type> for a message as ROS 2's tools take it.
  std::vector<std::string> parts;
  for (size_t start = 0;; ) {
    size_t end = text.find('/', start);
    parts.emplace_back(text.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) {
      break;
    }
    start = end + 1;
  }
  bool identifiers = std::all_of(parts.begin(), parts.end(), is_identifier);
  if (!identifiers || parts.size() < 2 || parts.size() > 3) {
    throw bad_input("'" + std::string(text) + "' is not a type name <package>/<folder>/<Type> or "
            "<package>/<Type>");
  }
  if (parts.size() == 2) {
    return {parts[0], "msg", parts[1]};
  }
  return {parts[0], parts[1], parts[2]};
}

const MessageDescription & DescriptionSet::describe(const void * members, Flavour flavour)
{
  for (const auto & [source, description] : descriptions_) {
    if (source == members) {
      return description;
    }
  }
  MessageDescription & out = descriptions_.emplace_back(members, MessageDescription{}).second;
  if (flavour == Flavour::c) {
    auto & table = *static_cast<const rosidl_typesupport_introspection_c__MessageMembers *>(members);
    describe_rows(table, flavour, out, *this);
    out.init = [init = table.init_function](void * m) {init(m, ROSIDL_RUNTIME_C_MSG_INIT_ALL);};
    out.fini = table.fini_function;
  } else {
    auto & table = *static_cast<const rosidl_typesupport_introspection_cpp::MessageMembers *>(members);
    describe_rows(table, flavour, out, *this);
    out.init = [init = table.init_function](void * m) {
        init(m, rosidl_runtime_cpp::MessageInitialization::ALL);
      };
    out.fini = table.fini_function;
  }
  return out;
}

MessageType::MessageType(const TypeName & name, Flavour flavour)
: name_(name), flavour_(flavour)
{
  using HandleFunction = const rosidl_message_type_support_t * (*)();
  auto function = reinterpret_cast<HandleFunction>(dispatch_function(name, flavour, "message"));
  if (!function) {
    if (is_service(name, flavour)) {
      throw bad_input(name.text() + " is a service: use " + name.text() + "_Request or " +
              name.type + "_Response");
    }
    throw bad_input("unknown type '" + name.text() + "': package " + name.package +
            " has no such message type");
  }
  dispatch_ = function();
  if (!dispatch_) {
    throw failure("the dispatch handle of " + name.text() + " is null");
  }
  description_ = &descriptions_.describe(
    lookup(dispatch_, flavour_names(flavour).introspection, name.text())->data, flavour);
}

const message_type_support_callbacks_t & MessageType::serializer() const
{
  if (!serializer_) {
    serializer_ = static_cast<const message_type_support_callbacks_t *>(
      lookup(dispatch_, flavour_names(flavour_).serializer, name_.text())->data);
    if (!serializer_->cdr_serialize || !serializer_->cdr_deserialize ||
      !serializer_->get_serialized_size || !serializer_->max_serialized_size)
    {
      throw failure("the serializer of " + name_.text() + " is incomplete");
    }
  }
  return *serializer_;
}

std::string MessageType::dds_type_name() const
{
  // The callbacks record names the type as "<package>::<folder>" and "<Type>".
  const auto & callbacks = serializer();
  return std::string(callbacks.message_namespace_) + "::dds_::" + callbacks.message_name_ + "_";
}

bool is_service(const TypeName & name, Flavour flavour)
{
  return dispatch_function(name, flavour, "service") != nullptr;
}

ServiceType::ServiceType(const TypeName & service_name, Flavour flavour)
: name(service_name)
{
  using HandleFunction = const rosidl_service_type_support_t * (*)();
  auto function = reinterpret_cast<HandleFunction>(dispatch_function(name, flavour, "service"));
  if (!function) {
    throw bad_input("unknown service '" + name.text() + "'");
  }
  const void * data = lookup(function(), flavour_names(flavour).introspection, name.text())->data;
  const void * request_members;
  const void * response_members;
  if (flavour == Flavour::c) {
    auto & table = *static_cast<const rosidl_typesupport_introspection_c__ServiceMembers *>(data);
    request_members = table.request_members_;
    response_members = table.response_members_;
  } else {
    auto & table = *static_cast<const rosidl_typesupport_introspection_cpp::ServiceMembers *>(data);
    request_members = table.request_members_;
    response_members = table.response_members_;
  }
  if (!request_members || !response_members) {
    throw failure("the introspection table of " + name.text() + " names no request or response");
  }
  request = &descriptions.describe(request_members, flavour);
  response = &descriptions.describe(response_members, flavour);
}

Message::Message(const MessageDescription & description)
: description_(description)
{
  // Structures hold at most pointer- and double-aligned members; max_align_t covers both.
  storage_ = ::operator new(description.size ? description.size : 1, std::align_val_t{alignof(std::max_align_t)});
  std::memset(storage_, 0, description.size);
  description.init(storage_);
}

Message::~Message()
{
  description_.fini(storage_);
  ::operator delete(storage_, std::align_val_t{alignof(std::max_align_t)});
}

std::string read_string(Flavour flavour, const void * field)
{
  if (flavour == Flavour::cpp) {
    return *static_cast<const std::string *>(field);
  }
  auto string = static_cast<const rosidl_runtime_c__String *>(field);
  return string->data ? std::string(string->data, string->size) : std::string();
}

void assign_string(Flavour flavour, void * field, std::string_view value)
{
  if (flavour == Flavour::cpp) {
    static_cast<std::string *>(field)->assign(value);
    return;
  }
  if (!rosidl_runtime_c__String__assignn(static_cast<rosidl_runtime_c__String *>(field),
    value.empty() ? "" : value.data(), value.size()))
  {
    throw failure("out of memory while assigning a string");
  }
}

std::string interface_text(const TypeName & name)
{
  // Installed as <prefix>/share/<package>/<folder>/<Type>.<folder>, in the
  // prefixes velmsg searches for the package's libraries.
  const std::vector<Prefix> prefixes = search_prefixes();
  std::string relative = "/share/" + name.package + "/" + name.folder + "/" + name.type + "." + name.folder;
  for (const Prefix & prefix : prefixes) {
    std::ifstream file(prefix.path + relative, std::ios::binary);
    if (file) {
      std::ostringstream text;
      text << file.rdbuf();
      return text.str();
    }
  }
  throw bad_input("no interface file of " + name.text() + " (<prefix>" + relative + ") in " +
          describe(prefixes));
}

}  // namespace velmsg
