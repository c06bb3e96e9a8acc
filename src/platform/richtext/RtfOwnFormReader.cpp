#include "platform/richtext/RtfOwnFormReader.h"

#include "platform/HexDigit.h"
#include "platform/richtext/RichText.h"
#include "platform/richtext/RtfCodePage.h"
#include "platform/richtext/RtfKeywords.h"
#include "platform/richtext/RtfParser.h"
#include "platform/richtext/RtfPlainBytes.h"
#include "platform/richtext/RtfScanning.h"
#include "platform/richtext/RtfWriter.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <iterator>
#include <string_view>

namespace kr {

namespace {

// Deeper than the writer nests (a link's instruction is four groups down);
// well within the general reader's limit, so both read every group.
constexpr int kMaxDepth = 32;
// Longer tables than the writer's appends accept; the general reader keeps
// every entry of such tables.
constexpr qsizetype kMaxTableEntries = 1024;
// As the general reader bounds a field's instruction.
constexpr qsizetype kMaxInstructionLength = 65536;
// A thread keeps the text of a document up to this size for the next one.
constexpr qsizetype kKeptText = 1 << 20;
// The other platform's header is looked for this far into the document.
constexpr qsizetype kMaxOtherHeader = 1 << 20;

using rtf_scan::isDigit;
using rtf_scan::isLetter;
bool isHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool isLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// The target of a link's instruction, as RtfParser::hyperlinkTarget() reads
// it; the writer's own form, HYPERLINK and the quoted URL alone, is taken
// at once.
QString linkTarget(const QString& instruction) {
  static const QLatin1StringView written("HYPERLINK \"");
  const qsizetype size = instruction.size();
  if (size > written.size() && instruction.startsWith(written) && instruction.back() == u'"' &&
      instruction.indexOf(u'"', written.size()) == size - 1)
    return instruction.sliced(written.size(), size - written.size() - 1);
  return RtfParser::hyperlinkTarget(instruction);
}

template <std::size_t N> bool is(const char* word, qsizetype length, const char (&name)[N]) {
  return length == qsizetype(N - 1) && std::memcmp(word, name, N - 1) == 0;
}

// Where the header of a document in the other platform's form ends: after
// "{\rtf1", the words that set its code page and how its fonts are named,
// and its font, colour and expanded colour tables, in any order, up to the
// end of the last table. -1 when the document does not begin so. The words
// there change no group's attributes, so its body reads from the
// document's defaults.
qsizetype otherHeaderEnd(QByteArrayView rtf) {
  if (!rtf.startsWith("{\\rtf1"))
    return -1;
  const QByteArrayView head = rtf.first(std::min(rtf.size(), kMaxOtherHeader));
  qsizetype i = 1;
  qsizetype headerEnd = -1;
  while (i < head.size()) {
    if (head[i] == '\n' || head[i] == '\r') {
      ++i;
    } else if (head[i] == '\\') {
      const auto word = rtf_scan::controlWordAt(head.data() + i, head.size() - i);
      static constexpr std::string_view kHeaderWords[] = {
          "rtf",           "ansi", "mac", "pc", "pca", "ansicpg", "cocoartf", "cocoatextscaling",
          "cocoaplatform", "deff"};
      if (!word || std::find(std::begin(kHeaderWords), std::end(kHeaderWords), word->word) ==
                       std::end(kHeaderWords))
        break;
      i += word->length;
    } else if (head[i] == '{') {
      const QByteArrayView rest = head.sliced(i);
      const auto tableNamed = [&rest](QByteArrayView name) {
        return rest.startsWith(name) && rest.size() > name.size() && !isLetter(rest[name.size()]);
      };
      if (!tableNamed("{\\fonttbl") && !tableNamed("{\\colortbl") &&
          !tableNamed("{\\*\\expandedcolortbl"))
        break;
      i = rtf_scan::groupEnd(head, i);
      if (i < 0)
        return -1;
      headerEnd = i;
    } else {
      break;
    }
  }
  return headerEnd;
}

} // namespace

struct RtfOwnFormReader::Group {
  int font = -1;
  int color = 0;
  double size = 0;
  quint8 flags = 0;       // bold, italic, underline, strike-through
  quint8 unicodeSkip = 1; // the fallback characters after \u: 0 or 1
  bool instruction = false;
  int field = -1;
  quint32 link = 0;
  qint64 format = -1; // formatOf(), until an attribute changes
};

const RtfOwnFormReader::Font* RtfOwnFormReader::fontOf(const Group& group) const {
  // \f-1 is the default font.
  const int font = group.font >= 0 ? group.font : defaultFont_;
  return font >= 0 && font < qsizetype(fonts_.size()) ? &fonts_[std::size_t(font)] : nullptr;
}

quint32 RtfOwnFormReader::formatOf(Group& group) {
  // The groups of a day repeat a few attribute sets: those met are kept by
  // their values, so a format is resolved once per set.
  const FormatKey key{group.font, group.color, group.size, group.flags};
  for (const auto& [known, number] : formatKeys_) {
    if (known == key) {
      group.format = number;
      return number;
    }
  }
  CharFormat format;
  format.fontSize = group.size;
  format.bold = group.flags & 1;
  format.italic = group.flags & 2;
  format.underline = group.flags & 4;
  format.strikeThrough = group.flags & 8;
  // A face's name may make it bold or italic.
  if (const Font* face = fontOf(group); face && !face->family.isNull()) {
    format.fontFamily = face->family;
    format.bold = format.bold || face->bold;
    format.italic = format.italic || face->italic;
  }
  if (group.color > 0 && group.color <= qsizetype(colors_.size()))
    format.foreground = colors_[std::size_t(group.color - 1)];
  // Neighbouring groups that resolve alike share one number, as the
  // general reader merges their runs.
  auto known = std::find(formats_.begin(), formats_.end(), format);
  if (known == formats_.end())
    known = formats_.insert(known, std::move(format));
  group.format = known - formats_.begin();
  formatKeys_.emplace_back(key, quint32(group.format));
  return quint32(group.format);
}

quint32 RtfOwnFormReader::linkNumber(const QString& url) {
  // Compared from their ends: a day's links mostly differ there alone.
  for (std::size_t i = 0; i < links_.size(); ++i) {
    const QString& link = links_[i];
    if (link.size() == url.size() && std::equal(link.rbegin(), link.rend(), url.rbegin()))
      return quint32(i + 1);
  }
  links_.push_back(url);
  return quint32(links_.size());
}

std::size_t RtfOwnFormReader::runAt(qsizetype position) const {
  const auto after = std::upper_bound(runs_.begin(), runs_.end(), position,
                                      [](qsizetype at, const Run& run) { return at < run.start; });
  return std::size_t(after - runs_.begin()) - 1;
}

void RtfOwnFormReader::moreRoomForLineEnds() {
  lineEnds_.resize(std::max<std::size_t>(256, lineEnds_.size() * 2));
}

void RtfOwnFormReader::trim() {
  if (instructions_.size() > 64)
    instructions_ = {};
  if (text_.capacity() > kKeptText)
    text_ = QString();
  if (runs_.capacity() > std::size_t(kKeptText / 32))
    runs_ = {};
  if (lineEnds_.size() > std::size_t(kKeptText / 32))
    lineEnds_ = {};
}

bool RtfOwnFormReader::readHeader(QByteArrayView rtf) {
  // Days mostly begin with the header of the day before: the same bytes
  // read the same.
  if (!header_.isEmpty() && rtf.startsWith(header_))
    return true;
  header_.clear();
  fonts_.clear();
  colors_.clear();
  formats_.clear();
  formatKeys_.clear();
  defaultFont_ = -1;
  codePage_ = RtfCodePage::kWindows1252;
  const auto header = RtfWriter::readHeader(rtf);
  if (!header)
    return readOtherHeader(rtf);
  const RtfWriter::Tables& tables = header->first;
  if (tables.fonts.size() > kMaxTableEntries || qsizetype(tables.colors.size()) > kMaxTableEntries)
    return false;
  for (const QString& name : tables.fonts) {
    // Control characters and halves of pairs read otherwise in the general
    // reader's tables.
    const bool plain = std::all_of(name.begin(), name.end(),
                                   [](QChar c) { return c.unicode() >= 0x20 && !c.isSurrogate(); });
    if (!plain) {
      fonts_.clear();
      return false;
    }
    const QString trimmed = name.trimmed();
    fonts_.push_back({trimmed.isEmpty() ? QString() : RtfParser::fontNamed(name, false).family});
  }
  colors_.assign(tables.colors.begin(), tables.colors.end());
  header_ = rtf.first(header->second).toByteArray();
  return true;
}

bool RtfOwnFormReader::readOtherHeader(QByteArrayView rtf) {
  const qsizetype end = otherHeaderEnd(rtf);
  if (end < 0)
    return false;
  // The general reader reads the header as a document of its own, so that
  // its tables read exactly as they do there.
  QByteArray header = rtf.first(end).toByteArray();
  header.append('}');
  RtfParser parser(header);
  if (!parser.run().plainText().isEmpty() || !parser.finishedCleanly())
    return false;
  for (auto font = parser.fonts().cbegin(); font != parser.fonts().cend(); ++font) {
    if (font.key() >= kMaxTableEntries)
      return false;
    if (std::size_t(font.key()) >= fonts_.size())
      fonts_.resize(std::size_t(font.key()) + 1);
    fonts_[std::size_t(font.key())] = {font->family, font->bold, font->italic, 0};
  }
  for (auto page = parser.fontCodePages().cbegin(); page != parser.fontCodePages().cend(); ++page) {
    if (page.key() >= kMaxTableEntries)
      return false;
    if (std::size_t(page.key()) >= fonts_.size())
      fonts_.resize(std::size_t(page.key()) + 1);
    fonts_[std::size_t(page.key())].codePage = page.value();
  }
  const auto& colors = parser.colors();
  if (qsizetype(colors.size()) > kMaxTableEntries)
    return false;
  if (!colors.empty())
    colors_.assign(colors.begin() + 1, colors.end());
  defaultFont_ = parser.defaultFont();
  codePage_ = parser.documentCodePage();
  header_ = rtf.first(end).toByteArray();
  return true;
}

bool RtfOwnFormReader::read(QByteArrayView rtf) {
  length_ = 0;
  runs_.clear();
  links_.clear();
  lineCount_ = 0;
  fields_ = 0;
  if (!readHeader(rtf))
    return false;
  // Formats are numbered per document; the attribute sets that found them
  // are kept with them.
  if (formats_.size() > std::size_t(kMaxTableEntries)) {
    formats_.clear();
    formatKeys_.clear();
  }
  // Every character takes at least one byte; widening writes up to 15 past
  // the last.
  const qsizetype room = rtf.size() - header_.size() + 16;
  if (text_.size() < room)
    text_.resize(room);
  return body(rtf.data() + header_.size(), rtf.data() + rtf.size());
}

bool RtfOwnFormReader::body(const char* p, const char* const end) {
  std::array<Group, kMaxDepth> groups;
  int depth = 0; // the document's group
  char16_t* const begin = reinterpret_cast<char16_t*>(text_.data());
  char16_t* out = begin;
  char16_t high = 0; // the first half of a pair, waiting for the second

  const auto lineEnd = [&](qsizetype at) __attribute__((always_inline)) {
    if (lineCount_ == lineEnds_.size()) [[unlikely]]
      moreRoomForLineEnds();
    lineEnds_[lineCount_++] = at;
  };
  // Whether "\\par" begins at `at`, a whole word without a parameter.
  const auto isParagraphEnd = [end](const char* at) __attribute__((always_inline)) {
    return end - at >= 5 && at[0] == '\\' && at[1] == 'p' && at[2] == 'a' && at[3] == 'r' &&
           !isLetter(at[4]) && !isDigit(at[4]) && at[4] != '-';
  };
  // Past such a word, its space, and the line end the writer puts after
  // it, which reads as nothing.
  const auto pastParagraphEnd = [end](const char* at) __attribute__((always_inline)) {
    at += at[4] == ' ' ? 5 : 4;
    return at < end && *at == '\n' ? at + 1 : at;
  };
  // Whether an escaped line end, which the other platform's editors end
  // lines with, begins at `at`.
  const auto isEscapedLineEnd = [end](const char* at) __attribute__((always_inline)) {
    return end - at >= 2 && at[0] == '\\' && (at[1] == '\n' || at[1] == '\r');
  };
  // For the text that follows in the current group. Both are inlined:
  // they run for nearly every line of text.
  const auto startRun = [&]() __attribute__((always_inline)) {
    Group& group = groups[std::size_t(depth)];
    // Mostly the run goes on.
    if (!runs_.empty() && group.format == qint64(runs_.back().format) &&
        runs_.back().link == group.link) [[likely]]
      return;
    const quint32 format = group.format >= 0 ? quint32(group.format) : formatOf(group);
    if (runs_.empty() || runs_.back().format != format || runs_.back().link != group.link)
      runs_.push_back(Run{out - begin, format, group.link});
  };
  const auto character = [&](char16_t c) __attribute__((always_inline)) {
    Group& group = groups[std::size_t(depth)];
    if (group.instruction) {
      QString& instruction = instructions_[std::size_t(group.field)];
      if (instruction.size() < kMaxInstructionLength)
        instruction.append(QChar(c));
      return;
    }
    startRun();
    // Every character that ends a line comes here: body text between the
    // writer's words is printable ASCII.
    if (c <= 0x0D ? c >= 0x0A : (c == 0x85 || c == 0x2028 || c == 0x2029))
      lineEnd(out - begin);
    *out++ = c;
  };

  // The writer opens a group for each run and sets its attributes at once,
  // mostly the same few sets in a day: the bytes of each set met in a group
  // of the document's own, up to the space that ends them, are kept with
  // the group they made, and the same bytes there later make it again. Any
  // attribute of the document's group changed forgets them.
  struct Attributes {
    const char* bytes;
    qsizetype length;
    Group group;
    quint64 head; // the first eight bytes (fewer: the rest zero)
    quint64 headMask;
  };
  // Up to eight bytes from `at`, as a number.
  const auto headAt = [](const char* at, qsizetype count) {
    quint64 head = 0;
    if (count >= 8) [[likely]]
      std::memcpy(&head, at, 8); // one load
    else
      std::memcpy(&head, at, std::size_t(count));
    return head;
  };
  std::array<Attributes, 8> knownAttributes;
  std::size_t attributesKnown = 0;
  // While the attribute words of a new group are being read: where they
  // began and end, and the group as they left it.
  const char* wordsFrom = nullptr;
  const char* wordsEnd = nullptr;
  Group wordsMade;

  while (p < end) {
    if (wordsFrom && p != wordsEnd) {
      // Something other than an attribute word came: the words are kept
      // when a space ended them, so that the same bytes read the same.
      // Kept with the format they resolve to, which their text then needs
      // not look up again.
      if (wordsEnd > wordsFrom && wordsEnd[-1] == ' ' && attributesKnown < knownAttributes.size()) {
        if (wordsMade.format < 0)
          formatOf(wordsMade);
        knownAttributes[attributesKnown++] = {
            wordsFrom, wordsEnd - wordsFrom, wordsMade, headAt(wordsFrom, wordsEnd - wordsFrom),
            headAt("\xff\xff\xff\xff\xff\xff\xff\xff", wordsEnd - wordsFrom)};
      }
      wordsFrom = nullptr;
    }
    const char c = *p;
    if (high && c != '\\')
      return false; // a half pair that is not followed by its other half
    if (c == '{') {
      if (depth + 1 >= kMaxDepth)
        return false;
      groups[std::size_t(depth + 1)] = groups[std::size_t(depth)];
      ++depth;
      ++p;
      if (depth == 1) {
        const quint64 head = headAt(p, end - p);
        const auto known =
            std::find_if(knownAttributes.begin(), knownAttributes.begin() + attributesKnown,
                         [p, end, head](const Attributes& a) {
                           return (head & a.headMask) == a.head && end - p >= a.length &&
                                  (a.length <= 8 ||
                                   std::memcmp(p + 8, a.bytes + 8, std::size_t(a.length - 8)) == 0);
                         });
        if (known != knownAttributes.begin() + attributesKnown) {
          groups[1] = known->group;
          p += known->length;
        } else {
          wordsFrom = wordsEnd = p;
        }
      }
      continue;
    }
    if (c == '}') {
      ++p;
      if (depth == 0) {
        length_ = out - begin;
        return true; // what follows the document is not read
      }
      --depth;
      continue;
    }
    if (c == '\r' || c == '\n') {
      ++p;
      continue;
    }
    if (c != '\\') {
      if (!(rtf_plain::kPlainBytes[quint8(c)] & rtf_plain::kPlain)) {
        if (c != '\t')
          return false;
        character(u'\t');
        ++p;
        continue;
      }
      Group& group = groups[std::size_t(depth)];
      if (group.instruction) {
        const char* const stop = rtf_plain::textEnd(p, end);
        QString& instruction = instructions_[std::size_t(group.field)];
        const qsizetype taken =
            std::min<qsizetype>(stop - p, kMaxInstructionLength - instruction.size());
        if (taken > 0)
          instruction.append(QLatin1String(p, taken));
        p = stop;
        continue;
      }
      startRun();
      // Mostly the text is a line that the end of its paragraph follows,
      // which goes on the run just begun, and the group's next line follows
      // at once.
      for (;;) {
        p = rtf_plain::widenText(p, end, out);
        if (isParagraphEnd(p))
          p = pastParagraphEnd(p);
        else if (isEscapedLineEnd(p))
          p += 2;
        else
          break;
        lineEnd(out - begin);
        *out++ = u'\n';
        if (p == end || !(rtf_plain::kPlainBytes[quint8(*p)] & rtf_plain::kPlain))
          break;
      }
      continue;
    }
    // A control sequence; mostly the end of a paragraph.
    if (!high && isParagraphEnd(p) && !groups[std::size_t(depth)].instruction) {
      p = pastParagraphEnd(p);
      character(u'\n');
      continue;
    }
    if (end - p < 2)
      return false;
    const char symbol = p[1];
    if (!isLetter(symbol)) {
      if (high)
        return false;
      if (symbol == '\\' || symbol == '{' || symbol == '}') {
        character(char16_t(symbol));
        p += 2;
        continue;
      }
      if (symbol == '\n' || symbol == '\r') {
        character(u'\n');
        p += 2;
        continue;
      }
      if (symbol == '\'') {
        // A byte of a single-byte code page: the font's, else the document's.
        const int high = end - p >= 4 ? hexDigitValue(p[2]) : -1;
        const int low = high >= 0 ? hexDigitValue(p[3]) : -1;
        if (low < 0)
          return false;
        p += 4;
        const Font* font = fontOf(groups[std::size_t(depth)]);
        const int page = font && font->codePage != 0 ? font->codePage : codePage_;
        const quint8 byte = quint8(high * 16 + low);
        if (byte < 0x20 && byte != '\t')
          continue; // no text
        if (RtfCodePage::isLeadByte(page, byte))
          return false; // the first of a pair
        const char16_t unit = RtfCodePage::table(page)[byte];
        if (unit == 0 || isHighSurrogate(unit) || isLowSurrogate(unit))
          return false;
        character(unit);
        continue;
      }
      // "\*" only opens a link's instruction: the whole word, not a longer
      // one that begins so, which marks a destination to skip.
      if (symbol != '*' || end - p < 11 || std::memcmp(p + 2, "\\fldinst", 8) != 0 ||
          isLetter(p[10]))
        return false;
      p += 2;
      continue;
    }
    const char* const word = ++p;
    while (p < end && isLetter(*p))
      ++p;
    const qsizetype length = p - word;
    const bool negative = end - p >= 2 && *p == '-' && isDigit(p[1]);
    if (negative)
      ++p;
    const char* const digits = p;
    long long value = 0;
    while (p < end && isDigit(*p) && p - digits < 10)
      value = value * 10 + (*p++ - '0');
    if (p < end && isDigit(*p))
      return false; // an overlong number
    const bool hasParameter = p > digits;
    if (p < end && *p == ' ')
      ++p;
    const int parameter = int(std::min<long long>(value, INT_MAX) * (negative ? -1 : 1));
    Group& group = groups[std::size_t(depth)];
    if (depth == 0)
      attributesKnown = 0; // the groups of the document may read otherwise now
    // Reached only right after the group's brace or its last attribute word.
    const auto attributeWord = [&] {
      if (wordsFrom) {
        wordsEnd = p;
        wordsMade = group;
      }
    };

    if (is(word, length, "u")) {
      if (!hasParameter || parameter < -32768 || parameter > 65535)
        return false;
      // The fallback the writer puts after it: one character or a hex
      // escape; none after \uc0.
      if (group.unicodeSkip > 0) {
        if (p < end && (rtf_plain::kPlainBytes[quint8(*p)] & rtf_plain::kPlain))
          ++p;
        else if (end - p >= 4 && p[0] == '\\' && p[1] == '\'' && hexDigitValue(p[2]) >= 0 &&
                 hexDigitValue(p[3]) >= 0)
          p += 4;
        else
          return false;
      }
      const char16_t unit = char16_t(parameter < 0 ? parameter + 65536 : parameter);
      if (high) {
        if (!isLowSurrogate(unit))
          return false;
        character(high);
        character(unit);
        high = 0;
      } else if (isHighSurrogate(unit)) {
        high = unit;
      } else if (isLowSurrogate(unit)) {
        return false;
      } else if (unit != 0) {
        character(unit);
      }
      continue;
    }
    if (high)
      return false;
    if (is(word, length, "fldinst")) {
      if (group.field < 0 || group.instruction)
        return false;
      group.instruction = true;
      continue;
    }
    // Every other word of the writer's belongs to the text.
    if (group.instruction)
      return false;
    const bool on = !hasParameter || parameter != 0;
    const auto setFlag = [&group, on](quint8 flag) {
      group.flags = on ? quint8(group.flags | flag) : quint8(group.flags & ~flag);
      group.format = -1;
    };
    // The writer's words first; the others as the general reader takes them.
    if (length == 1 && *word == 'f') {
      group.font = parameter;
      group.format = -1;
      attributeWord();
    } else if (length == 1 && *word == 'b') {
      setFlag(1);
      attributeWord();
    } else if (length == 1 && *word == 'i') {
      setFlag(2);
      attributeWord();
    } else if (is(word, length, "fs")) {
      group.size = parameter > 0 ? std::min(parameter, 32000) / 2.0 : 0;
      group.format = -1;
      attributeWord();
    } else if (is(word, length, "cf")) {
      group.color = parameter;
      group.format = -1;
      attributeWord();
    } else if (is(word, length, "par")) {
      character(u'\n');
    } else if (is(word, length, "pard") || is(word, length, "tx")) {
      // Paragraphs' formats and tab stops, which records do not keep.
    } else if (is(word, length, "field")) {
      // The instructions' room serves the fields of the next documents.
      if (fields_ == instructions_.size())
        instructions_.emplace_back();
      else
        instructions_[fields_].resize(0);
      group.field = int(fields_++);
    } else if (is(word, length, "fldrslt")) {
      if (group.field >= 0) {
        const QString url = linkTarget(instructions_[std::size_t(group.field)]);
        if (!url.isEmpty())
          group.link = linkNumber(url);
      }
    } else {
      // The general reader names a word by its first 32 letters.
      const RtfKeyword keyword =
          rtfKeyword(std::string_view(word, std::size_t(std::min<qsizetype>(length, 32))));
      switch (keyword) {
      case RtfKeyword::Unknown:
      case RtfKeyword::Ignored:
        break; // no text, no character format there either
      case RtfKeyword::Underline:
        setFlag(4);
        attributeWord();
        break;
      case RtfKeyword::UnderlineNone:
        group.flags = quint8(group.flags & ~4);
        group.format = -1;
        attributeWord();
        break;
      case RtfKeyword::Strike:
        setFlag(8);
        attributeWord();
        break;
      case RtfKeyword::Expand:
      case RtfKeyword::ExpandTwips:
        // No spacing, as the other platform's editors say in every run.
        if (parameter != 0)
          return false;
        attributeWord();
        break;
      case RtfKeyword::UnicodeSkip:
        // Longer fallbacks are left to the general reader.
        if (parameter > 1)
          return false;
        group.unicodeSkip = parameter > 0 ? 1 : 0;
        break;
      default: {
        if (isParagraphKeyword(keyword))
          break; // records keep no paragraph formats
        // Words that stand for a character; any other changes more than is
        // read here.
        const char16_t ch = rtfKeywordCharacter(keyword);
        if (ch == 0)
          return false;
        character(ch);
        break;
      }
      }
    }
  }
  return false; // cut off before its end
}

} // namespace kr
