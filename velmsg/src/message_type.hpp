// Message types resolved at run time through their type support dispatch
// handles, and described from their introspection tables.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "rosidl_runtime_c/message_type_support_struct.h"
#include "rosidl_typesupport_fastrtps_cpp/message_type_support.h"

namespace velmsg
{

// Which message structures a type is handled in: the C structures or the C++ ones.
enum class Flavour { c, cpp };

// The type support identifiers and dispatch library of one flavour.
struct FlavourNames
{
  const char * dispatch;       // library kind and handle-function prefix of the dispatch handles
  const char * introspection;  // identifier of the introspection tables
  const char * serializer;     // identifier of the Fast-CDR callbacks
  const char * label;          // for messages: "C", "C++"
};
const FlavourNames & flavour_names(Flavour flavour);

// <package>/<folder>/<Type>
struct TypeName
{
  std::string package;
  std::string folder;
  std::string type;

  static TypeName parse(std::string_view text);
  std::string text() const {return package + "/" + folder + "/" + type;}
  std::string c_name() const {return package + "__" + folder + "__" + type;}
};

struct MessageDescription;

struct FieldDescription
{
  std::string name;
  uint8_t type_id = 0;
  size_t offset = 0;  // within the structure that holds the field
  bool is_array = false;
  size_t array_size = 0;
  bool is_upper_bound = false;
  size_t string_upper_bound = 0;
  const MessageDescription * nested = nullptr;  // for nested messages
};

// One structure as its introspection table describes it, in either flavour.
struct MessageDescription
{
  TypeName name;
  Flavour flavour = Flavour::c;
  size_t size = 0;
  std::vector<FieldDescription> fields;
  std::function<void(void *)> init;  // full initialisation
  std::function<void(void *)> fini;
};

// Owns the descriptions of a type and of every type nested in it.
class DescriptionSet
{
public:
  // members is the data of an introspection handle of the given flavour.
  const MessageDescription & describe(const void * members, Flavour flavour);

private:
  std::deque<std::pair<const void *, MessageDescription>> descriptions_;
};

// A message type (a service's request or response included) of one flavour.
class MessageType
{
public:
  MessageType(const TypeName & name, Flavour flavour);
  MessageType(const MessageType &) = delete;
  MessageType & operator=(const MessageType &) = delete;

  const TypeName & name() const {return name_;}
  Flavour flavour() const {return flavour_;}
  const MessageDescription & description() const {return *description_;}
  // The Fast-CDR callbacks, resolved on first use.
  const message_type_support_callbacks_t & serializer() const;
  // The DDS type name of the ROS 2 conventions: <package>::<folder>::dds_::<Type>_
  std::string dds_type_name() const;

private:
  TypeName name_;
  Flavour flavour_;
  const rosidl_message_type_support_t * dispatch_ = nullptr;
  DescriptionSet descriptions_;
  const MessageDescription * description_ = nullptr;
  mutable const message_type_support_callbacks_t * serializer_ = nullptr;
};

// A service: its request and response descriptions, from the service's own handle.
struct ServiceType
{
  ServiceType(const TypeName & name, Flavour flavour);
  TypeName name;
  DescriptionSet descriptions;
  const MessageDescription * request = nullptr;
  const MessageDescription * response = nullptr;
};

// The text of a type's interface file (.msg, .srv), as ROS 2 installs it.
std::string interface_text(const TypeName & name);

// Whether <package>/<folder>/<Type> names a service rather than a message type.
bool is_service(const TypeName & name, Flavour flavour);

// One message in memory: initialised on construction, finalised on destruction.
class Message
{
public:
  explicit Message(const MessageDescription & description);
  ~Message();
  Message(const Message &) = delete;
  Message & operator=(const Message &) = delete;

  void * data() {return storage_;}
  const void * data() const {return storage_;}
  const MessageDescription & description() const {return description_;}

private:
  const MessageDescription & description_;
  void * storage_;
};

// String fields, whose representation differs between the flavours.
std::string read_string(Flavour flavour, const void * field);
void assign_string(Flavour flavour, void * field, std::string_view value);

}  // namespace velmsg
