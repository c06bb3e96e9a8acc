#pragma once

#include <QtGlobal>

namespace kr::block_number {

// The counts of a record's objective block: unsigned numbers in 7-bit
// groups, the lowest first, each but the last with its high bit set.

template <typename Bytes> void append(Bytes& block, quint64 number) {
  do {
    const char low = char(number & 0x7f);
    number >>= 7;
    block.append(number ? char(low | 0x80) : low);
  } while (number);
}

// The same written at `out`, which has room for it (at most ten bytes), moving
// past it.
inline void put(char*& out, quint64 number) {
  while (number >= 0x80) {
    *out++ = char((number & 0x7f) | 0x80);
    number >>= 7;
  }
  *out++ = char(number);
}

// Reads a number at `at`, moving past it; false when it runs past `end` or
// past ten groups (`number` then holds the groups read).
inline bool read(const char*& at, const char* end, quint64& number) {
  number = 0;
  for (int shift = 0; shift < 64; shift += 7) {
    if (at >= end)
      return false;
    const auto byte = quint8(*at++);
    number |= quint64(byte & 0x7f) << shift;
    if (!(byte & 0x80))
      return true;
  }
  return false;
}

} // namespace kr::block_number
