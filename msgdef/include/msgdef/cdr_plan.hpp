// Where the Fast-CDR serializers write a message's primitives themselves.
//
// Fast-CDR pads a value to its width from the stream's alignment origin, but
// only when the value is wider than the last one written or read; it keeps
// that last width. Its origin is not public. A run of primitives (the fields
// between two strings or nested messages) is therefore placed like this:
//   - its first field goes through a stream operation, which places it as
//     field-by-field calls would, whatever the stream's state;
//   - a field whose padding is known goes into a block: no padding (it is
//     no wider than the field before it), or padding worked out from a
//     stream operation that surely aligned (wider than the last width the
//     stream kept) and the bytes since;
//   - any other field goes through a stream operation, allowed only where
//     the stream pads it as field-by-field calls would;
//   - a run ends with the stream keeping its last field's width: a writing
//     block leaves the last width as it was, a reading block sets it to its
//     unit, otherwise the last field goes through a stream operation.
// A block is written as one jump and the stores, read as one array of its
// unit. Where no such plan exists the run is written field by field.
#ifndef MSGDEF__CDR_PLAN_HPP_
#define MSGDEF__CDR_PLAN_HPP_

#include <array>
#include <cstddef>
#include <cstdint>

namespace msgdef
{
namespace cdr
{

// What a plan needs of a field.
struct Shape
{
  bool value;  // a primitive; strings and nested messages are not
  bool boolean;
  std::size_t width;  // of a primitive
  std::size_t offset;  // in the structure
};

enum class Step : std::uint8_t
{
  part,  // a string or a nested message: its own operations
  op,  // one stream operation
  block,  // the first field of a block, which does the whole block
  in_block,
};

struct Placement
{
  Step step = Step::part;
  std::size_t at = 0;  // in a block: the value's offset from the block's start
  // On a block's first field:
  std::size_t last = 0;  // index of its last field
  std::size_t bytes = 0;  // from the stream position where the block starts, padding included
  std::size_t unit = 1;  // reading: the width of the array elements it is read as
  bool direct = false;  // reading: the bytes are the structure's, in place
};

template<std::size_t N>
using Plan = std::array<Placement, N>;

// Writing blocks ask for at most this much room: Fast-CDR enlarges a
// growable buffer by 200 bytes at a time, so that a jump grows it exactly
// when and as much as the field-by-field writes would.
constexpr std::size_t kMaxWriteBlock = 128;

// Gap the stream puts before a value of `width` bytes (1, 2, 4 or 8) at
// `offset` from its alignment origin.
constexpr std::size_t gap(std::size_t offset, std::size_t width)
{
  return (width - offset % width) % width;
}

template<std::size_t N>
class RunPlanner
{
public:
  constexpr RunPlanner(const std::array<Shape, N> & shapes, bool reading, Plan<N> & plan)
  : s_(shapes), reading_(reading), plan_(plan) {}

  // Places the fields [begin, end), a run of primitives. False: no plan.
  constexpr bool place(std::size_t begin, std::size_t end)
  {
    if (end - begin < (reading_ ? 3u : 2u)) {
      return false;  // a block would cost about what it saves
    }
    if (reading_ && one_width(begin, end)) {
      // One array of that width: Fast-CDR pads its first element as it would
      // the first field, and none of the others.
      stream_last_ = s_[begin].width;
      open(begin);
      for (std::size_t i = begin; i < end; ++i) {
        add(i, 0);
      }
      return close(end, true);
    }
    plan_[begin].step = Step::op;
    stream_last_ = previous_ = s_[begin].width;
    known_ = 0;  // whether that operation padded depends on the width the stream kept before
    for (std::size_t i = begin + 1; i < end; ++i) {
      const std::size_t w = s_[i].width;
      const bool pads = w > previous_;  // field by field, the stream pads before this value
      const std::size_t pad = pads ? gap(offset_, w) : 0;
      bool blocked = !pads || known_ >= w;
      if (blocked && i + 1 == end && !reading_ && stream_last_ != w) {
        blocked = false;  // a jump leaves the last width as it was
      }
      if (blocked && block_ != kNone && !reading_ && bytes_ + pad + w > kMaxWriteBlock) {
        close(i, false);
      }
      if (blocked && i + 1 == end && reading_) {
        // The run's last block is read as this field's width.
        blocked = block_ != kNone ? fits_unit(w, bytes_ + pad + w) : fits_unit(w, pad + w);
      }
      if (blocked) {
        if (block_ == kNone) {
          open(i);
        }
        add(i, pad);
        if (i + 1 == end && !close(end, true)) {
          return false;
        }
      } else {
        if (block_ != kNone && !close(i, false)) {
          return false;
        }
        if (!operation(i)) {
          return false;
        }
      }
      previous_ = w;
    }
    return fields_in_blocks_ >= (reading_ ? 3u : 2u);
  }

private:
  static constexpr std::size_t kNone = ~std::size_t{0};

  constexpr bool one_width(std::size_t begin, std::size_t end) const
  {
    for (std::size_t i = begin; i < end; ++i) {
      if (s_[i].width != s_[begin].width) {
        return false;
      }
    }
    return true;
  }

  // Whether a reading block of `bytes` from the current position can be an
  // array of `unit`: the stream must not pad before it.
  constexpr bool fits_unit(std::size_t unit, std::size_t bytes) const
  {
    const std::size_t start = block_ != kNone ? block_offset_ : offset_;
    return bytes % unit == 0 && (unit <= stream_last_ || (known_ >= unit && start % unit == 0));
  }

  constexpr void open(std::size_t i)
  {
    block_ = i;
    bytes_ = 0;
    block_offset_ = offset_;
  }

  constexpr void add(std::size_t i, std::size_t pad)
  {
    plan_[i].step = i == block_ ? Step::block : Step::in_block;
    plan_[i].at = bytes_ + pad;
    bytes_ += pad + s_[i].width;
    if (known_) {
      offset_ = (offset_ + pad + s_[i].width) % known_;
    }
    ++fields_in_blocks_;
  }

  // Ends the block before field `end`; `last_of_run`: a reading block must
  // then be read as the last field's width.
  constexpr bool close(std::size_t end, bool last_of_run)
  {
    Placement & first = plan_[block_];
    first.last = end - 1;
    first.bytes = bytes_;
    if (reading_) {
      std::size_t unit = last_of_run ? s_[end - 1].width : 8;
      while (!fits_unit(unit, bytes_)) {
        if (last_of_run || unit == 1) {
          return false;
        }
        unit /= 2;
      }
      first.unit = unit;
      first.direct = true;  // the bytes fall on the fields in place
      for (std::size_t i = block_; i < end; ++i) {
        first.direct = first.direct && !s_[i].boolean && s_[i].width == unit &&
          plan_[i].at == (i - block_) * unit && s_[i].offset == s_[block_].offset + plan_[i].at;
      }
      stream_last_ = unit;
    }
    block_ = kNone;
    return true;
  }

  // Field i through a stream operation, which pads it if it is wider than
  // the last width the stream kept: allowed where that is the padding of
  // field-by-field calls.
  constexpr bool operation(std::size_t i)
  {
    const std::size_t w = s_[i].width;
    const bool pads = w > stream_last_;
    if (pads != (w > previous_) && !(known_ >= w && offset_ % w == 0)) {
      return false;
    }
    plan_[i].step = Step::op;
    if (pads && known_ < w) {
      known_ = w;  // the stream has just aligned this value to its width
      offset_ = 0;
    } else if (known_) {
      offset_ = (offset_ + (pads ? gap(offset_, w) : 0) + w) % known_;
    }
    stream_last_ = w;
    return true;
  }

  const std::array<Shape, N> & s_;
  bool reading_;
  Plan<N> & plan_;
  std::size_t stream_last_ = 0;  // the width the stream keeps
  std::size_t previous_ = 0;  // the width field-by-field calls would have kept
  std::size_t known_ = 0;  // the offset from the origin is known modulo this (0: not at all)
  std::size_t offset_ = 0;  // that offset, modulo known_
  std::size_t block_ = kNone;  // first field of the open block
  std::size_t bytes_ = 0;
  std::size_t block_offset_ = 0;
  std::size_t fields_in_blocks_ = 0;
};

// The plan of a whole message for writing or reading: every run of
// primitives placed, each as a whole or else field by field.
template<std::size_t N>
constexpr Plan<N> plan_message(const std::array<Shape, N> & shapes, bool reading)
{
  Plan<N> plan{};
  for (std::size_t begin = 0; begin < N; ) {
    if (!shapes[begin].value) {
      ++begin;
      continue;
    }
    std::size_t end = begin;
    while (end < N && shapes[end].value) {
      ++end;
    }
    Plan<N> trial = plan;
    RunPlanner<N> planner(shapes, reading, trial);
    if (planner.place(begin, end)) {
      plan = trial;
    } else {
      for (std::size_t i = begin; i < end; ++i) {
        plan[i].step = Step::op;
      }
    }
    begin = end;
  }
  return plan;
}

}  // namespace cdr
}  // namespace msgdef

#endif  // MSGDEF__CDR_PLAN_HPP_
