#include "platform/richtext/RtfCodePage.h"

#include <QHash>
#include <QMutex>
#include <QStringDecoder>

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
  // The tables are never destroyed: a reader still at work on another
  // thread when the program exits goes on using them while the exit runs.
  static const RtfCodePage::Table& table = *new RtfCodePage::Table(make1252());
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

// The converter names of the double-byte pages as Qt knows them.
const char* doubleByteName(int codePage) {
  switch (codePage) {
  case 932:
    return "windows-31j";
  case 936:
    return "GBK";
  case 949:
    return "windows-949";
  case 950:
    return "Big5";
  default:
    return nullptr;
  }
}

// The table of a code page through Qt's converters: those of pages the C
// library does not convert byte by byte (1255 and 1258 wait for combining
// marks) and of the double-byte pages, whose lead bytes stand for nothing
// alone.
std::unique_ptr<RtfCodePage::Table> tableFromDecoder(int codePage) {
  const char* doubleByte = doubleByteName(codePage);
  const QByteArray name =
      doubleByte ? QByteArray(doubleByte) : "windows-" + QByteArray::number(codePage);
  QStringDecoder decoder(name.constData(), QStringDecoder::Flag::Stateless);
  if (!decoder.isValid())
    return nullptr;
  auto table = std::make_unique<RtfCodePage::Table>(table1252());
  for (int byte = 0x80; byte < 0x100; ++byte) {
    if (RtfCodePage::isLeadByte(codePage, quint8(byte))) {
      (*table)[size_t(byte)] = 0xFFFD;
      continue;
    }
    const char in = char(byte);
    const QString out = decoder(QByteArrayView(&in, 1));
    (*table)[size_t(byte)] = out.size() == 1 ? out.front().unicode() : char16_t(0xFFFD);
  }
  return table;
}

} // namespace

QString RtfCodePage::decodePair(int codePage, quint8 lead, quint8 trail) {
  struct Decoder {
    int codePage = 0;
    QStringDecoder decoder;
  };
  // One converter per page and thread, made when first needed.
  thread_local std::array<Decoder, 4> decoders;
  const char* name = doubleByteName(codePage);
  if (!name)
    return QString(QChar(0xFFFD));
  Decoder* found = nullptr;
  for (Decoder& d : decoders) {
    if (d.codePage == codePage || d.codePage == 0) {
      found = &d;
      break;
    }
  }
  if (found->codePage == 0) {
    found->codePage = codePage;
    found->decoder = QStringDecoder(name, QStringDecoder::Flag::Stateless);
  }
  if (!found->decoder.isValid())
    return QString(QChar(0xFFFD));
  const char in[2] = {char(lead), char(trail)};
  QString out = found->decoder(QByteArrayView(in, 2));
  // A pair that is no character decodes to more than one.
  if (out.isEmpty() || (out.size() > 1 && !out.front().isHighSurrogate()))
    return QString(QChar(0xFFFD));
  return out;
}

int RtfCodePage::ofCharset(int charset) {
  switch (charset) {
  case 0:
    return kWindows1252;
  case 128:
    return 932;
  case 129:
    return 949;
  case 134:
    return 936;
  case 136:
    return 950;
  case 161:
    return 1253;
  case 162:
    return 1254;
  case 163:
    return 1258;
  case 177:
    return 1255;
  case 178:
    return 1256;
  case 186:
    return 1257;
  case 204:
    return 1251;
  case 222:
    return 874;
  case 238:
    return 1250;
  default:
    return 0;
  }
}

const RtfCodePage::Table& RtfCodePage::table(int codePage) {
  if (codePage == kWindows1252 || codePage <= 0)
    return table1252();
  if (codePage == kMacRoman) {
    static const Table& macRoman = *new Table(makeMacRoman());
    return macRoman;
  }
  static QMutex& mutex = *new QMutex;
  static auto& cache = *new QHash<int, std::shared_ptr<Table>>;
  QMutexLocker locker(&mutex);
  auto it = cache.constFind(codePage);
  if (it == cache.constEnd()) {
    // Keep the cache small whatever documents claim: past the limit unknown
    // pages are not looked up any more.
    std::shared_ptr<Table> made;
    if (cache.size() < 64 && codePage < 100000) {
      made = doubleByteName(codePage) ? nullptr : tableFromIconv(codePage);
      if (!made)
        made = tableFromDecoder(codePage);
    }
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
