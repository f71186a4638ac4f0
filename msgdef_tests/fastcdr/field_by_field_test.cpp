// The serializers write and read runs of fields as blocks. Against Fast-CDR's
// own calls, one per field: after every kind of stream state a message may
// follow (each width last kept, every offset from the origin, the padding
// skipped or not), in both byte orders, with a growing buffer and with fixed
// buffers cut at every position, the same bytes, the same values read, the
// same exceptions, and the stream left where its next calls land the same.
#include <functional>
#include <memory>

#include "support.hpp"

namespace fastcdr_test
{
namespace
{

using eprosima::fastcdr::exception::NotEnoughMemoryException;

// What comes before the message: one value of `width` bytes, then a jump of
// `skip` bytes (which keeps the width: the padding Fast-CDR skips after it
// then does not align), or nothing at all.
struct Before
{
  std::size_t width;
  std::size_t skip;
};

std::vector<Before> every_state_before()
{
  std::vector<Before> all{{0, 0}};
  for (std::size_t width : {1, 2, 4, 8}) {
    for (std::size_t skip = 0; skip < 8; ++skip) {
      all.push_back({width, skip});
    }
  }
  return all;
}

void put_before(Cdr & cdr, const Before & b, bool reading)
{
  char c = 0;
  int16_t s = 0;
  int32_t i = 0;
  int64_t l = 0;
  switch (b.width) {
    case 1: reading ? cdr.deserialize(c) : cdr.serialize(c); break;
    case 2: reading ? cdr.deserialize(s) : cdr.serialize(s); break;
    case 4: reading ? cdr.deserialize(i) : cdr.serialize(i); break;
    case 8: reading ? cdr.deserialize(l) : cdr.serialize(l); break;
    default: break;
  }
  cdr.jump(b.skip);
}

// A stream over a buffer of `size` bytes, or over a growing one (`size` 0).
struct Over
{
  bool growing;
  std::unique_ptr<char[]> storage;
  std::unique_ptr<FastBuffer> buffer;
  std::unique_ptr<Cdr> cdr;
  Over(std::size_t size, Cdr::Endianness order, const Bytes & data = {})
  : growing(size == 0), storage(new char[size + 1]()),
    buffer(size ? new FastBuffer(storage.get(), size) : new FastBuffer()),
    cdr(new Cdr(*buffer, order, Cdr::DDS_CDR))
  {
    if (!data.empty()) {
      std::memcpy(storage.get(), data.data(), std::min(size, data.size()));
    }
  }
};

// What one call did: raised or not, the bytes up to the position (writing
// into a buffer of ours, zero-filled: a growing buffer's padding is whatever
// the heap held), the buffer's size, and where the next calls land.
struct Outcome
{
  bool raised = false;
  Bytes bytes;
  std::size_t buffer_size = 0;
  std::vector<std::size_t> next;
  bool operator==(const Outcome & o) const
  {
    return raised == o.raised && bytes == o.bytes && buffer_size == o.buffer_size && next == o.next;
  }
};

Outcome run(Over & s, bool reading, const Before & before, const std::function<void(Cdr &)> & call)
{
  Outcome out;
  try {
    put_before(*s.cdr, before, reading);
    call(*s.cdr);
  } catch (const NotEnoughMemoryException &) {
    out.raised = true;
  }
  if (!reading && !s.growing) {
    const char * start = s.cdr->getBufferPointer();
    out.bytes.assign(start, start + s.cdr->getSerializedDataLength());
  }
  out.buffer_size = s.buffer->getBufferSize();
  // Where it raised, the position (as field-by-field calls leave it: after
  // what fitted) is what there is to compare.
  out.next = out.raised ? std::vector<std::size_t>{s.cdr->getSerializedDataLength()} :
    next_calls(*s.cdr, reading);
  return out;
}

std::string trace(const Before & b, Cdr::Endianness order, std::size_t size)
{
  return "after width " + std::to_string(b.width) + " and jump " + std::to_string(b.skip) +
         (order == kBig ? ", big-endian" : ", little-endian") +
         (size ? ", buffer of " + std::to_string(size) : ", growing buffer");
}

TEST(FieldByField, WritingLeavesTheBytesAndTheStreamAsFieldByFieldCalls)
{
  for_each_type([](auto t) {
      using T = decltype(t);
      SCOPED_TRACE(T::name);
      CMessage<typename T::c_type> c;
      fill(c.msg);
      typename T::cpp_type cpp;
      fill(cpp);
      for (const Before & before : every_state_before()) {
        for (Cdr::Endianness order : {kLittle, kBig}) {
          Over whole(0, order);
          const std::size_t end = run(whole, false, before, [&](Cdr & cdr) {
                write_field_by_field(cpp, cdr);
              }).next.front();
          // Growing, then cut at every position, exactly long enough, and with room to spare.
          for (std::size_t size = 0; size <= end + 32; size += size < end ? 1 : 32) {
            SCOPED_TRACE(trace(before, order, size));
            auto outcome = [&](const std::function<void(Cdr &)> & write) {
                Over s(size, order);
                return run(s, false, before, write);
              };
            const Outcome reference = outcome([&](Cdr & cdr) {write_field_by_field(cpp, cdr);});
            EXPECT_EQ(reference.raised, size && size < end);
            EXPECT_TRUE(outcome([&](Cdr & cdr) {
                ASSERT_TRUE(callbacks_of(T::c_handle())->cdr_serialize(&c.msg, cdr));
              }) == reference) << "C";
            EXPECT_TRUE(outcome([&](Cdr & cdr) {
                ASSERT_TRUE(T::cpp_serialize(cpp, cdr));
              }) == reference) << "C++";
          }
        }
      }
    });
}

TEST(FieldByField, ReadingGivesTheValuesAndLeavesTheStreamAsFieldByFieldCalls)
{
  for_each_type([](auto t) {
      using T = decltype(t);
      SCOPED_TRACE(T::name);
      typename T::cpp_type written;
      fill(written);
      for (const Before & before : every_state_before()) {
        for (Cdr::Endianness order : {kLittle, kBig}) {
          Over w(0, order);
          put_before(*w.cdr, before, false);
          write_field_by_field(written, *w.cdr);
          const char * start = w.cdr->getBufferPointer();
          const Bytes bytes(start, start + w.cdr->getSerializedDataLength());
          // Cut at every position, exactly the data, with more after it, and
          // the growing buffer it was written into.
          for (std::size_t size = 0; size <= bytes.size() + 33; size += size < bytes.size() ? 1 : 32) {
            const bool growing = size > bytes.size() + 32;
            SCOPED_TRACE(trace(before, order, growing ? 0 : size));
            auto outcome = [&](auto & msg, const std::function<void(Cdr &)> & read) {
                fill(msg, "an older frame id");  // so that a field left unread shows
                if (growing) {
                  w.cdr->reset();
                  return run(w, true, before, read);
                }
                Over s(size, order, bytes);
                return run(s, true, before, read);
              };
            CMessage<typename T::c_type> c_reference, c_read;
            typename T::cpp_type cpp_reference, cpp_read;
            const Outcome reference = outcome(cpp_reference, [&](Cdr & cdr) {
                  read_field_by_field(cdr, cpp_reference);
                });
            EXPECT_EQ(reference.raised, !growing && size < bytes.size());
            EXPECT_TRUE(outcome(cpp_read, [&](Cdr & cdr) {
                ASSERT_TRUE(T::cpp_deserialize(cdr, cpp_read));
              }) == reference) << "C++";
            EXPECT_TRUE(cpp_read == cpp_reference) << "C++ values";
            EXPECT_TRUE(outcome(c_reference.msg, [&](Cdr & cdr) {
                read_field_by_field(cdr, c_reference.msg);
              }) == reference);
            EXPECT_TRUE(outcome(c_read.msg, [&](Cdr & cdr) {
                ASSERT_TRUE(callbacks_of(T::c_handle())->cdr_deserialize(cdr, &c_read.msg));
              }) == reference) << "C";
            EXPECT_TRUE(T::are_equal(&c_read.msg, &c_reference.msg)) << "C values";
          }
        }
      }
    });
}

}  // namespace
}  // namespace fastcdr_test
