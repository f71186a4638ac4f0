// Allocation-failure sweep: every C function that allocates runs with its
// 1st, 2nd, ... allocation failing until it succeeds. Each failed call must
// report failure, leave the caller's structures as documented (unchanged
// where nothing may have been done yet), and leak nothing once the caller
// releases what it owns.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "injection.hpp"
#include "navunit_common_msgs/msgdef_package.h"
#include "rosidl_runtime_c/string_functions.h"
#include "std_msgs/msg/header.h"
#include "velmari_messages/msgdef_package.h"

namespace
{

// The C functions of one message type.
template<class S>
struct Functions;

#define SWEEP_FUNCTIONS(pkg, folder, T, snake) \
  template<> \
  struct Functions<pkg##__##folder##__##T> \
  { \
    using Seq = pkg##__##folder##__##T##__Sequence; \
    static constexpr const char * name = #pkg "/" #folder "/" #T; \
    static pkg##__##folder##__##T * create() {return pkg##__##folder##__##T##__create();} \
    static void destroy(pkg##__##folder##__##T * m) {pkg##__##folder##__##T##__destroy(m);} \
    static bool init(pkg##__##folder##__##T * m) {return pkg##__##folder##__##T##__init(m);} \
    static void fini(pkg##__##folder##__##T * m) {pkg##__##folder##__##T##__fini(m);} \
    static bool copy(const pkg##__##folder##__##T * in, pkg##__##folder##__##T * out) \
    { \
      return pkg##__##folder##__##T##__copy(in, out); \
    } \
    static Seq * seq_create(size_t n) {return pkg##__##folder##__##T##__Sequence__create(n);} \
    static void seq_destroy(Seq * s) {pkg##__##folder##__##T##__Sequence__destroy(s);} \
    static bool seq_init(Seq * s, size_t n) {return pkg##__##folder##__##T##__Sequence__init(s, n);} \
    static void seq_fini(Seq * s) {pkg##__##folder##__##T##__Sequence__fini(s);} \
    static bool seq_copy(const Seq * in, Seq * out) \
    { \
      return pkg##__##folder##__##T##__Sequence__copy(in, out); \
    } \
  };
navunit_common_msgs__MESSAGES(SWEEP_FUNCTIONS)
velmari_messages__MESSAGES(SWEEP_FUNCTIONS)

// Runs one attempt per allocation that can fail: `setup` prepares the
// caller's structures, `call` is the function under test (its allocations
// are the ones counted), `check(ok)` looks at the result, `teardown`
// releases what the caller owns. Returns how many allocations the
// successful call made.
int sweep(
  const std::function<void()> & setup, const std::function<bool()> & call,
  const std::function<void(bool)> & check, const std::function<void()> & teardown)
{
  for (int n = 1; n < 100; ++n) {
    injection::Scope scope;
    setup();
    const int before = injection::calls.any;
    injection::plan.fail_any_at = before + n;
    const bool ok = call();
    const int made = injection::calls.any - before;
    injection::plan.fail_any_at = 0;
    // A call that met the failing allocation fails; one that did not succeeds.
    EXPECT_EQ(ok, made < n) << "allocation " << n << " of " << made << " failed";
    check(ok);
    teardown();
    EXPECT_EQ(injection::live, 0) << "blocks leaked when allocation " << n << " failed";
    if (made < n) {
      return made;
    }
  }
  ADD_FAILURE() << "the call never succeeded";
  return -1;
}

// The bytes of a structure, to show that a failed call left it as it was.
template<class T>
std::vector<unsigned char> bytes_of(const T & value)
{
  const auto * p = reinterpret_cast<const unsigned char *>(&value);
  return std::vector<unsigned char>(p, p + sizeof(T));
}

template<class S>
void sweep_type()
{
  using F = Functions<S>;
  using Seq = typename F::Seq;
  SCOPED_TRACE(F::name);

  S * created = nullptr;
  sweep([] {}, [&] {return (created = F::create()) != nullptr;},
    [](bool) {}, [&] {F::destroy(created);});

  // A structure of the caller's, primitives set, never initialised. Only a
  // header can fail to initialise: it is left finalised, the rest untouched.
  S msg;
  std::vector<unsigned char> before;
  sweep([&] {
      std::memset(static_cast<void *>(&msg), 0x5a, sizeof(S));
      before = bytes_of(msg);
    },
    [&] {return F::init(&msg);},
    [&](bool ok) {
      if (!ok) {
        const auto after = bytes_of(msg);
        const std::size_t header = sizeof(std_msgs__msg__Header);
        EXPECT_TRUE(std::equal(after.begin() + header, after.end(), before.begin() + header))
          << "a failed init changed a field after the header";
      }
    },
    [&] {F::fini(&msg);});

  Seq * seq_created = nullptr;
  sweep([] {}, [&] {return (seq_created = F::seq_create(3)) != nullptr;},
    [](bool) {}, [&] {F::seq_destroy(seq_created);});

  Seq seq;
  sweep([&] {
      std::memset(static_cast<void *>(&seq), 0x5a, sizeof(Seq));
      before = bytes_of(seq);
    },
    [&] {return F::seq_init(&seq, 3);},
    [&](bool ok) {
      if (!ok) {
        EXPECT_EQ(bytes_of(seq), before) << "a failed sequence init changed the sequence";
      }
    },
    [&] {
      if (bytes_of(seq) != before) {
        F::seq_fini(&seq);
      }
    });

  // Copies: the input holds strings wherever the type has them.
  S * in = nullptr;
  S * out = nullptr;
  sweep([&] {
      in = F::create();
      out = F::create();
      ASSERT_TRUE(in && out);
    },
    [&] {return F::copy(in, out);},
    [](bool) {},
    [&] {
      F::destroy(in);
      F::destroy(out);
    });

  Seq seq_in;
  sweep([&] {
      ASSERT_TRUE(F::seq_init(&seq_in, 3));
      ASSERT_TRUE(F::seq_init(&seq, 1));
    },
    [&] {return F::seq_copy(&seq_in, &seq);},
    [&](bool ok) {
      // Either grown to the input's size, or still safe to release.
      if (ok) {
        EXPECT_EQ(seq.size, 3u);
      }
    },
    [&] {
      F::seq_fini(&seq_in);
      F::seq_fini(&seq);
    });
}

}  // namespace

#define SWEEP_TYPE(pkg, folder, T, snake) sweep_type<pkg##__##folder##__##T>();

TEST(AllocationSweep, EveryAllocatingFunctionOfEveryTypeFailsCleanlyAtEachAllocation)
{
  navunit_common_msgs__MESSAGES(SWEEP_TYPE)
  velmari_messages__MESSAGES(SWEEP_TYPE)
}

// Strings in the messages make copies allocate: their failures are swept too.
TEST(AllocationSweep, CopiesOfMessagesWithStringsFailAtEachStringAllocation)
{
  using F = Functions<velmari_messages__msg__Control>;
  velmari_messages__msg__Control * in = nullptr;
  velmari_messages__msg__Control * out = nullptr;
  const int made = sweep([&] {
        in = F::create();
        out = F::create();
        ASSERT_TRUE(rosidl_runtime_c__String__assign(&in->header.frame_id, "a frame id"));
        ASSERT_TRUE(rosidl_runtime_c__String__assign(&out->header.frame_id, "old"));
        out->gear = 7;
        in->gear = 3;
      },
      [&] {return F::copy(in, out);},
      [&](bool ok) {
        if (!ok) {
          EXPECT_EQ(out->gear, 7) << "no primitive is copied once the header's copy fails";
          EXPECT_STREQ(out->header.frame_id.data, "old");
        } else {
          EXPECT_STREQ(out->header.frame_id.data, "a frame id");
        }
      },
      [&] {
        F::destroy(in);
        F::destroy(out);
      });
  EXPECT_GE(made, 1);
}
