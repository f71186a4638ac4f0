// A per-kind library for lookup tests: built once per kind FAKE_KIND as
// fakepkg__<FAKE_KIND>, it exports the handle functions a dispatch map of
// package fakepkg names for that kind.
#include <atomic>

#include "rosidl_runtime_c/message_type_support_struct.h"
#include "rosidl_runtime_c/service_type_support_struct.h"
#include "rosidl_typesupport_interface/macros.h"

#if defined(_WIN32)
#  define FAKE_EXPORT extern "C" __declspec(dllexport)
#else
#  define FAKE_EXPORT extern "C" __attribute__((visibility("default")))
#endif
#define FAKE_STR(a) FAKE_STR_(a)
#define FAKE_STR_(a) #a

namespace
{
std::atomic<int> initialisations{0};
const bool counted = (++initialisations, true);

const rosidl_message_type_support_t message_handle = {FAKE_STR(FAKE_KIND), nullptr, nullptr};
const rosidl_service_type_support_t service_handle = {FAKE_STR(FAKE_KIND), nullptr, nullptr};
}  // namespace

// How often this library's initialisers ran in this process.
FAKE_EXPORT int fakepkg_initialisations()
{
  return initialisations.load();
}

FAKE_EXPORT const rosidl_message_type_support_t *
ROSIDL_TYPESUPPORT_INTERFACE__MESSAGE_SYMBOL_NAME(FAKE_KIND, fakepkg, msg, Thing)()
{
  return &message_handle;
}

FAKE_EXPORT const rosidl_service_type_support_t *
ROSIDL_TYPESUPPORT_INTERFACE__SERVICE_SYMBOL_NAME(FAKE_KIND, fakepkg, srv, Ask)()
{
  return &service_handle;
}

// A broken implementation: its handle function gives no handle.
FAKE_EXPORT const rosidl_message_type_support_t *
ROSIDL_TYPESUPPORT_INTERFACE__MESSAGE_SYMBOL_NAME(FAKE_KIND, fakepkg, msg, Nothing)()
{
  return nullptr;
}
