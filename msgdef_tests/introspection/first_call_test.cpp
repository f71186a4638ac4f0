// What the handle functions do on their first call, seen from the load state.
// This program never calls a handle function itself: every check runs in a
// child process forked from it, which starts where the libraries were loaded.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <thread>
#include <vector>

#include "introspection_test_types.hpp"
#include "rosidl_typesupport_introspection_c/identifier.h"
#include "rosidl_typesupport_introspection_c/service_introspection.h"
#include "rosidl_typesupport_introspection_cpp/identifier.hpp"
#include "rosidl_typesupport_introspection_cpp/service_introspection.hpp"

namespace
{

using CMembers = rosidl_typesupport_introspection_c__MessageMembers;
using CppMembers = rosidl_typesupport_introspection_cpp::MessageMembers;
using CService = rosidl_typesupport_introspection_c__ServiceMembers;
using CppService = rosidl_typesupport_introspection_cpp::ServiceMembers;

int failures = 0;

#define CHECK(cond) \
  do { \
    if (!(cond)) { \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
      ++failures; \
    } \
  } while (0)

// Runs body in a child process and expects it to pass every check.
void in_child(const std::function<void()> & body)
{
  std::fflush(nullptr);
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    body();
    std::exit(failures ? 1 : 0);  // exit, not _exit: sanitizers report at exit
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status)) << "child ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

// The address a handle function returns, learnt in a grandchild so that the
// calling process keeps its handles untouched. Addresses are the same in a fork.
template<class Handle>
Handle * address_without_calling(Handle * (*function)())
{
  int fds[2];
  if (pipe(fds) != 0) {
    std::abort();
  }
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    Handle * handle = function();
    if (write(fds[1], &handle, sizeof handle) != sizeof handle) {
      _exit(1);
    }
    _exit(0);
  }
  Handle * handle = nullptr;
  if (read(fds[0], &handle, sizeof handle) != sizeof handle) {
    std::abort();
  }
  waitpid(pid, nullptr, 0);
  close(fds[0]);
  close(fds[1]);
  return handle;
}

template<class Members>
const auto * rows_of(const rosidl_message_type_support_t * handle)
{
  return static_cast<const Members *>(handle->data)->members_;
}

template<class Members>
void check_first_call(
  MessageHandleFunction function, const char * identifier, const rosidl_message_type_support_t * header)
{
  const rosidl_message_type_support_t * handle = address_without_calling(function);
  const auto & members = *static_cast<const Members *>(handle->data);
  CHECK(handle->typesupport_identifier == nullptr);
  for (uint32_t i = 0; i < members.member_count_; ++i) {
    CHECK(members.members_[i].members_ == nullptr);
  }
  CHECK(function() == handle);
  CHECK(handle->typesupport_identifier == identifier);
  for (uint32_t i = 0; i < members.member_count_; ++i) {
    CHECK(members.members_[i].members_ == (members.members_[i].type_id_ == 18 ? header : nullptr));
  }
  CHECK(function() == handle);
  CHECK(handle->typesupport_identifier == identifier);
}

TEST(FirstCall, SetsTheIdentifierAndBindsTheHeaderRows)
{
  for (const TypeCase & type : all_types()) {
    in_child([&] {
        check_first_call<CMembers>(type.c_handle, rosidl_typesupport_introspection_c__identifier,
          rosidl_typesupport_introspection_c__get_message_type_support_handle__std_msgs__msg__Header());
      });
    in_child([&] {
        check_first_call<CppMembers>(type.cpp_handle,
          rosidl_typesupport_introspection_cpp::typesupport_identifier,
          rosidl_typesupport_introspection_cpp__get_message_type_support_handle__std_msgs__msg__Header());
      });
  }
}

template<class ServiceMembers>
void check_service_first_call(
  const rosidl_service_type_support_t * (*service_function)(),
  MessageHandleFunction request_function, MessageHandleFunction response_function,
  const char * identifier)
{
  const auto * service = address_without_calling(service_function);
  const auto * request = address_without_calling(request_function);
  const auto * response = address_without_calling(response_function);
  const auto & record = *static_cast<const ServiceMembers *>(service->data);
  CHECK(service->typesupport_identifier == nullptr);
  CHECK(request->typesupport_identifier == nullptr);
  CHECK(response->typesupport_identifier == nullptr);
  CHECK(record.request_members_ == nullptr);
  CHECK(record.response_members_ == nullptr);

  CHECK(service_function() == service);
  CHECK(service->typesupport_identifier == identifier);
  CHECK(request->typesupport_identifier == identifier);
  CHECK(response->typesupport_identifier == identifier);
  CHECK(record.request_members_ == request->data);
  CHECK(record.response_members_ == response->data);

  CHECK(request_function() == request);
  CHECK(response_function() == response);
  CHECK(service_function() == service);
  CHECK(record.request_members_ == request->data);
}

TEST(FirstCall, ServiceBindsRequestAndResponseBeforeTheirOwnCalls)
{
  in_child([] {
      check_service_first_call<CService>(
        &rosidl_typesupport_introspection_c__get_service_type_support_handle__velmari_messages__srv__AddThreeInts,
        &rosidl_typesupport_introspection_c__get_message_type_support_handle__velmari_messages__srv__AddThreeInts_Request,
        &rosidl_typesupport_introspection_c__get_message_type_support_handle__velmari_messages__srv__AddThreeInts_Response,
        rosidl_typesupport_introspection_c__identifier);
    });
  in_child([] {
      check_service_first_call<CppService>(
        &rosidl_typesupport_introspection_cpp::get_service_type_support_handle<
          velmari_messages::srv::AddThreeInts>,
        &rosidl_typesupport_introspection_cpp__get_message_type_support_handle__velmari_messages__srv__AddThreeInts_Request,
        &rosidl_typesupport_introspection_cpp__get_message_type_support_handle__velmari_messages__srv__AddThreeInts_Response,
        rosidl_typesupport_introspection_cpp::typesupport_identifier);
    });
}

// Reads what a consumer reads after a call: identifiers, rows, nested handles.
template<class Members>
std::uintptr_t walk(const rosidl_message_type_support_t * handle)
{
  std::uintptr_t sum = reinterpret_cast<std::uintptr_t>(handle->typesupport_identifier);
  const auto & members = *static_cast<const Members *>(handle->data);
  for (uint32_t i = 0; i < members.member_count_; ++i) {
    const auto & row = members.members_[i];
    sum += row.offset_;
    if (row.type_id_ == 18) {
      sum += walk<Members>(row.members_);
    }
  }
  return sum;
}

// First calls from several threads at once, each thread then reading the
// tables, race with nothing (run under ThreadSanitizer) and leave one state.
TEST(FirstCall, ConcurrentFirstCallsLeaveTheSingleThreadState)
{
  in_child([] {
      const std::vector<TypeCase> types = all_types();
      constexpr int thread_count = 6;
      std::atomic<int> ready{0};
      std::vector<std::uintptr_t> sums(thread_count, 0);
      std::vector<std::thread> threads;
      for (int t = 0; t < thread_count; ++t) {
        threads.emplace_back([&, t] {
            ready.fetch_add(1);
            while (ready.load() < thread_count) {}
            // Half the threads reach the request and response through the service first.
            const auto * service = t % 2 ?
              rosidl_typesupport_introspection_c__get_service_type_support_handle__velmari_messages__srv__AddThreeInts() :
              rosidl_typesupport_introspection_cpp__get_service_type_support_handle__velmari_messages__srv__AddThreeInts();
            CHECK(service->typesupport_identifier != nullptr);
            for (std::size_t k = 0; k < types.size(); ++k) {
              const TypeCase & type = types[(k + t) % types.size()];  // different orders
              sums[t] += walk<CMembers>(type.c_handle());
              sums[t] += walk<CppMembers>(type.cpp_handle());
            }
          });
      }
      for (auto & thread : threads) {
        thread.join();
      }
      std::uintptr_t single_thread_sum = 0;
      for (const TypeCase & type : types) {
        single_thread_sum += walk<CMembers>(type.c_handle()) + walk<CppMembers>(type.cpp_handle());
      }
      for (int t = 0; t < thread_count; ++t) {
        CHECK(sums[t] == single_thread_sum);
      }
      for (const TypeCase & type : types) {
        CHECK(type.c_handle()->typesupport_identifier == rosidl_typesupport_introspection_c__identifier);
        CHECK(type.cpp_handle()->typesupport_identifier ==
          rosidl_typesupport_introspection_cpp::typesupport_identifier);
      }
      const auto * c_service =
        rosidl_typesupport_introspection_c__get_service_type_support_handle__velmari_messages__srv__AddThreeInts();
      CHECK(static_cast<const CService *>(c_service->data)->request_members_ ==
        rosidl_typesupport_introspection_c__get_message_type_support_handle__velmari_messages__srv__AddThreeInts_Request()->data);
    });
}

}  // namespace
