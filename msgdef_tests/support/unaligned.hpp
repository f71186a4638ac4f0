// Reading and writing a field's value at a byte address taken from a type
// support table, whatever its alignment.
#ifndef TESTS__SUPPORT__UNALIGNED_HPP_
#define TESTS__SUPPORT__UNALIGNED_HPP_

#include <cstring>

namespace unaligned
{

template<class T>
T load(const void * at)
{
  T value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

template<class T>
void store(void * at, T value) {std::memcpy(at, &value, sizeof value);}

}  // namespace unaligned

#endif  // TESTS__SUPPORT__UNALIGNED_HPP_
