#pragma once

#include <QString>

#include <array>

namespace kr {

// Byte-to-character tables of the code pages that RTF documents name with
// \ansicpg (and \mac) or through a font's charset. Windows-1252 and Mac Roman
// are built in; other single-byte pages come from the C library's
// converters. The double-byte pages of East Asian text (932, 936, 949, 950)
// have a table for their single bytes and decode a lead byte with its trail
// byte through decodePair(). A code page that is unknown reads as
// Windows-1252.
class RtfCodePage {
public:
  using Table = std::array<char16_t, 256>;

  static constexpr int kWindows1252 = 1252;
  static constexpr int kMacRoman = 10000;

  // The table of `codePage`; the reference stays valid for the whole run.
  // Safe to call from any thread.
  static const Table& table(int codePage);
  // Whether `byte` starts a two-byte character in `codePage` (false for
  // every byte of a single-byte page).
  static bool isLeadByte(int codePage, quint8 byte) {
    switch (codePage) {
    case 932:
      return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case 936:
    case 949:
    case 950:
      return byte >= 0x81 && byte <= 0xFE;
    default:
      return false;
    }
  }
  // The character of a lead and a trail byte of a double-byte page; U+FFFD
  // when they make none. Safe to call from any thread.
  static QString decodePair(int codePage, quint8 lead, quint8 trail);
  // The code page of a font's \fcharset; 0 for the charsets that keep the
  // document's code page (default, symbol and unknown ones).
  static int ofCharset(int charset);
  // The Windows-1252 byte of a character, or 0 when it has none.
  static char fromUnicode1252(char16_t character);
};

} // namespace kr
