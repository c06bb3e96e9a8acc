#pragma once

#include <array>

namespace kr {

// Byte-to-character tables of the single-byte code pages that RTF documents
// name with \ansicpg (and \mac). Windows-1252 and Mac Roman are built in;
// other single-byte pages come from the C library's converters. A code page
// that is unknown, or not a single-byte one, reads as Windows-1252.
class RtfCodePage {
public:
  using Table = std::array<char16_t, 256>;

  static constexpr int kWindows1252 = 1252;
  static constexpr int kMacRoman = 10000;

  // The table of `codePage`; the reference stays valid for the whole run.
  // Safe to call from any thread.
  static const Table& table(int codePage);
  // The Windows-1252 byte of a character, or 0 when it has none.
  static char fromUnicode1252(char16_t character);
};

} // namespace kr
