#include "platform/richtext/RtfCodePage.h"

#include <QHash>
#include <QMutex>

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <memory>

namespace kr {

namespace {

// 0x80..0x9F of Windows-1252; the five unassigned bytes map to the C1
// controls, as Windows itself does.
constexpr char16_t k1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr char16_t kMacRomanHigh[128] = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1, 0x00E0, 0x00E2, 0x00E4, 0x00E3,
    0x00E5, 0x00E7, 0x00E9, 0x00E8, 0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3,
    0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC, 0x2020, 0x00B0, 0x00A2, 0x00A3,
    0x00A7, 0x2022, 0x00B6, 0x00DF, 0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8,
    0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211, 0x220F, 0x03C0, 0x222B, 0x00AA,
    0x00BA, 0x03A9, 0x00E6, 0x00F8, 0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB,
    0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153, 0x2013, 0x2014, 0x201C, 0x201D,
    0x2018, 0x2019, 0x00F7, 0x25CA, 0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02,
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1, 0x00CB, 0x00C8, 0x00CD, 0x00CE,
    0x00CF, 0x00CC, 0x00D3, 0x00D4, 0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC,
    0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7};

RtfCodePage::Table make1252() {
  RtfCodePage::Table table{};
  for (int i = 0; i < 256; ++i)
    table[size_t(i)] = char16_t(i);
  for (int i = 0; i < 32; ++i)
    table[size_t(0x80 + i)] = k1252High[i];
  return table;
}

RtfCodePage::Table makeMacRoman() {
  RtfCodePage::Table table{};
  for (int i = 0; i < 128; ++i)
    table[size_t(i)] = char16_t(i);
  for (int i = 0; i < 128; ++i)
    table[size_t(128 + i)] = kMacRomanHigh[i];
  return table;
}

const RtfCodePage::Table& table1252() {
  static const RtfCodePage::Table table = make1252();
  return table;
}

// Builds the table of a single-byte code page through iconv. Fails for code
// pages iconv does not know and for multi-byte ones (a lead byte alone does
// not convert, so some bytes of 0x80..0xFF stay unconverted).
std::unique_ptr<RtfCodePage::Table> tableFromIconv(int codePage) {
  char name[32];
  std::snprintf(name, sizeof name, "CP%d", codePage);
  iconv_t converter = iconv_open("UTF-16LE", name);
  if (converter == iconv_t(-1))
    return nullptr;
  auto table = std::make_unique<RtfCodePage::Table>(table1252());
  int converted = 0;
  for (int byte = 0x80; byte < 0x100; ++byte) {
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    char in = char(byte);
    char out[8] = {};
    char* inPtr = &in;
    char* outPtr = out;
    size_t inLeft = 1;
    size_t outLeft = sizeof out;
    if (iconv(converter, &inPtr, &inLeft, &outPtr, &outLeft) == size_t(-1))
      continue;
    if (sizeof out - outLeft != 2)
      continue; // outside the basic plane: keep the default
    (*table)[size_t(byte)] = char16_t(quint8(out[0]) | (quint8(out[1]) << 8));
    ++converted;
  }
  iconv_close(converter);
  // A single-byte page assigns nearly all of the upper half.
  if (converted < 96)
    return nullptr;
  return table;
}

} // namespace

const RtfCodePage::Table& RtfCodePage::table(int codePage) {
  if (codePage == kWindows1252 || codePage <= 0)
    return table1252();
  if (codePage == kMacRoman) {
    static const Table macRoman = makeMacRoman();
    return macRoman;
  }
  static QMutex mutex;
  static QHash<int, std::shared_ptr<Table>> cache;
  QMutexLocker locker(&mutex);
  auto it = cache.constFind(codePage);
  if (it == cache.constEnd()) {
    // Keep the cache small whatever documents claim: past the limit unknown
    // pages are not looked up any more.
    std::shared_ptr<Table> made;
    if (cache.size() < 64 && codePage < 100000)
      made = tableFromIconv(codePage);
    if (cache.size() < 256)
      it = cache.insert(codePage, std::move(made));
    else
      return table1252();
  }
  return it.value() ? *it.value() : table1252();
}

char RtfCodePage::fromUnicode1252(char16_t character) {
  if (character < 0x80 || (character >= 0xA0 && character <= 0xFF))
    return char(character);
  for (int i = 0; i < 32; ++i) {
    if (k1252High[i] == character && (character > 0xFF))
      return char(0x80 + i);
  }
  return 0;
}

} // namespace kr
