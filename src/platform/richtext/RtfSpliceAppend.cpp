#include "platform/richtext/RtfSpliceAppend.h"

#include "platform/drawing/RgbColor.h"
#include "platform/richtext/RtfScanning.h"
#include "platform/richtext/RtfWriter.h"

#include <QHash>

#include <algorithm>
#include <cstring>
#include <map>
#include <string_view>

namespace kr {

namespace {

using rtf_scan::controlWordAt;
using rtf_scan::groupEnd;

// A control sequence, its number and space fit well within this.
constexpr qsizetype kLookahead = 64;
// More fonts than any document has; a number above it is not one to extend.
constexpr int kMaxFontNumber = 4096;

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\0'; }

// A font or colour table: where its group stands and what it holds.
struct Table {
  qsizetype start = -1; // its opening brace
  qsizetype end = -1;   // one past its closing brace
};

// Reads a font table's names by number: "\f1\fswiss Helvetica;" or
// "{\f1\froman{\*\panose ...} Times;}"; groups inside an entry are passed over.
std::map<int, QString> fontNames(QByteArrayView table) {
  std::map<int, QString> names;
  int depth = 0;
  int skipBelow = -1; // a group passed over, and all inside it
  int number = -1;
  QByteArray name;
  for (qsizetype i = 0; i < table.size();) {
    const char c = table[i];
    if (c == '{') {
      ++depth;
      ++i;
      // Entries stand bare or each in a group; any group inside an entry
      // (an alternative name, a panose number) is passed over.
      if (skipBelow < 0 && depth >= 2)
        skipBelow = depth;
    } else if (c == '}') {
      if (depth == skipBelow)
        skipBelow = -1;
      --depth;
      ++i;
    } else if (c == '\\') {
      const auto word = controlWordAt(table.constData() + i, table.size() - i);
      if (!word)
        break;
      if (skipBelow < 0 && word->word == "f" && word->hasValue)
        number = int(word->value);
      else if (skipBelow < 0 && word->word == "'" && i + 3 < table.size())
        name.append(table.sliced(i, 4)); // kept as written: compared, never shown
      i += word->word == "'" ? 4 : word->length;
    } else {
      if (skipBelow < 0) {
        if (c == ';') {
          if (number >= 0 && !names.count(number))
            names[number] = QString::fromLatin1(name.trimmed());
          number = -1;
          name.clear();
        } else if (c != '\r' && c != '\n') {
          name.append(c);
        }
      }
      ++i;
    }
  }
  return names;
}

// Reads a colour table's entries: "\red255\green0\blue0;" each; the first,
// the automatic colour, is left out, as RtfWriter::Tables numbers them.
std::vector<RgbColor> colours(QByteArrayView table) {
  std::vector<RgbColor> result;
  int red = 0;
  int green = 0;
  int blue = 0;
  bool first = true;
  for (qsizetype i = 0; i < table.size();) {
    const char c = table[i];
    if (c == '\\') {
      const auto word = controlWordAt(table.constData() + i, table.size() - i);
      if (!word)
        break;
      const int value = int(std::clamp<long long>(word->value, 0, 255));
      if (word->word == "red")
        red = value;
      else if (word->word == "green")
        green = value;
      else if (word->word == "blue")
        blue = value;
      i += word->length;
      continue;
    }
    if (c == ';') {
      if (!first)
        result.push_back(RgbColor{quint8(red), quint8(green), quint8(blue)});
      first = false;
      red = green = blue = 0;
    }
    ++i;
  }
  return result;
}

quint32 colourKey(const RgbColor& colour) {
  return quint32(colour.red) << 16 | quint32(colour.green) << 8 | colour.blue;
}

// The header as it is to be written, and where the copy of the rest begins.
struct Header {
  QByteArray bytes;
  qsizetype copyFrom = 0;
  QByteArray body; // the new text as the tables number it
};

// The new text's group and the new closing brace. The text reads as in a
// document of its own: no paragraph or character format of the document, one
// fallback character per \u, and a line of its own. The document's last
// paragraph, ended here where it has no end, keeps its format.
QByteArray tailOf(const QByteArray& body, bool afterLineEnd) {
  return "{" + QByteArray(afterLineEnd ? "" : "\\par ") + "\\pard\\plain\\uc1 " + body + "}}\n";
}

std::optional<Header> newHeader(QByteArrayView block, const RichText& entry, QString* why) {
  auto decline = [why](const QString& reason) {
    *why = reason;
    return std::nullopt;
  };
  if (!block.startsWith("{\\rtf"))
    return decline(QStringLiteral("it is not an RTF document"));
  Table fonts;
  Table colors;
  Table expandedColors; // the other platform's, one entry for each colour
  qsizetype copyFrom = 1;
  for (qsizetype i = 1; i < block.size();) {
    const char c = block[i];
    if (c == '{') {
      const qsizetype end = groupEnd(block, i);
      if (end < 0)
        break;
      QByteArrayView inside = block.sliced(i + 1, end - i - 1).trimmed();
      if (inside.startsWith("\\fonttbl") && fonts.start < 0)
        fonts = {i, end};
      else if (inside.startsWith("\\colortbl") && colors.start < 0)
        colors = {i, end};
      else if (inside.startsWith("\\*\\expandedcolortbl") && expandedColors.start < 0)
        expandedColors = {i, end};
      i = end;
      copyFrom = end;
    } else if (c == '\\') {
      const auto word = controlWordAt(block.constData() + i, block.size() - i);
      if (!word || word->word == "bin" || word->word == "'" || word->word == "u" ||
          word->word == "par" || word->word == "line" || word->word == "tab")
        break; // the text begins
      i += word->length;
    } else if (isSpace(c)) {
      ++i;
    } else {
      break; // the text begins, or the document ends
    }
  }

  // The tables as RtfWriter numbers them: a font's place is its number,
  // and numbers the document leaves out take names no run has.
  std::map<int, QString> names;
  if (fonts.start >= 0)
    names = fontNames(block.sliced(fonts.start + 1, fonts.end - fonts.start - 2));
  if (!names.empty() && names.rbegin()->first > kMaxFontNumber)
    return decline(QStringLiteral("its font numbers are too high"));
  RtfWriter::Tables tables;
  const int fontCount = names.empty() ? 0 : names.rbegin()->first + 1;
  for (int n = 0; n < fontCount; ++n) {
    const auto it = names.find(n);
    tables.fonts << (it != names.end() && !it->second.isEmpty()
                         ? it->second
                         : QStringLiteral("\u0001unnumbered %1").arg(n));
  }
  if (colors.start >= 0)
    tables.colors = colours(block.sliced(colors.start + 1, colors.end - colors.start - 2));

  // What the new text needs that the tables lack, added at their ends.
  QByteArray addedFonts;
  QByteArray addedColors;
  int addedColorCount = 0;
  QHash<quint32, bool> known;
  for (const RgbColor& colour : tables.colors)
    known.insert(colourKey(colour), true);
  for (const RichText::Run& run : entry.runs()) {
    const CharFormat& f = run.format;
    if (!f.fontFamily.isEmpty() && !tables.fonts.contains(f.fontFamily)) {
      const QByteArray latin = f.fontFamily.toLatin1();
      const bool plain = std::all_of(latin.begin(), latin.end(), [](char b) {
        return b >= 0x20 && b < 0x7F && b != ';' && b != '\\' && b != '{' && b != '}';
      });
      if (!plain || latin.size() != f.fontFamily.size())
        return decline(QStringLiteral("the new text's font has a name that needs escaping"));
      addedFonts +=
          "{\\f" + QByteArray::number(tables.fonts.size()) + "\\fnil\\fcharset0 " + latin + ";}";
      tables.fonts << f.fontFamily;
    }
    if (f.foreground && !known.contains(colourKey(*f.foreground))) {
      const quint32 key = colourKey(*f.foreground);
      addedColors += "\\red" + QByteArray::number(key >> 16) + "\\green" +
                     QByteArray::number((key >> 8) & 0xFF) + "\\blue" +
                     QByteArray::number(key & 0xFF) + ';';
      known.insert(key, true);
      tables.colors.push_back(*f.foreground);
      ++addedColorCount;
    }
  }
  if (!addedFonts.isEmpty() && fonts.start < 0)
    return decline(QStringLiteral("it has no font table"));
  const std::optional<QByteArray> body = RtfWriter::body(entry, tables);
  if (!body)
    return decline(QStringLiteral("the new text uses a font or colour it has no number for"));

  Header header;
  header.copyFrom = copyFrom;
  // Each table's closing brace is the last byte of its group.
  std::vector<std::pair<qsizetype, QByteArray>> inserts;
  if (!addedFonts.isEmpty())
    inserts.emplace_back(fonts.end - 1, addedFonts);
  if (!addedColors.isEmpty()) {
    if (colors.start >= 0) {
      // The last entry may lack its semicolon.
      const QByteArrayView before = block.sliced(colors.start, colors.end - 1 - colors.start);
      if (!before.trimmed().endsWith(';'))
        addedColors.prepend(';');
      inserts.emplace_back(colors.end - 1, addedColors);
      // The expanded table keeps step with it: an empty entry is the colour
      // as the table above gives it.
      if (expandedColors.start >= 0) {
        QByteArray empty(addedColorCount, ';');
        const QByteArrayView expanded =
            block.sliced(expandedColors.start, expandedColors.end - 1 - expandedColors.start);
        if (!expanded.trimmed().endsWith(';') && !expanded.trimmed().endsWith("expandedcolortbl"))
          empty.prepend(';');
        inserts.emplace_back(expandedColors.end - 1, empty);
      }
    } else {
      const qsizetype at = fonts.start >= 0 ? fonts.end : copyFrom;
      inserts.emplace_back(at, "{\\colortbl;" + addedColors + '}');
    }
  }
  std::sort(inserts.begin(), inserts.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  qsizetype from = 0;
  for (const auto& [at, bytes] : inserts) {
    header.bytes.append(block.sliced(from, at - from)).append(bytes);
    from = at;
  }
  header.bytes.append(block.sliced(from, copyFrom - from));
  header.body = *body;
  return header;
}

// Follows the body's groups, a buffer at a time, to the document's closing
// brace, passing over binary data and escaped braces.
class BodyScanner {
public:
  // Scans `n` bytes; unless `atEnd`, stops before a control word that may go
  // on past them. Returns the bytes taken.
  qsizetype scan(const char* p, qsizetype n, qint64 offset, bool atEnd) {
    qsizetype i = 0;
    while (i < n && why_.isEmpty()) {
      if (binary_ > 0) {
        const qsizetype skipped = qsizetype(std::min<qint64>(binary_, n - i));
        binary_ -= skipped;
        i += skipped;
        continue;
      }
      const char c = p[i];
      if (closingBrace_ >= 0) {
        if (!isSpace(c))
          why_ = QStringLiteral("something follows the document's end");
        ++i;
      } else if (c == '{') {
        ++depth_;
        ++i;
      } else if (c == '}') {
        if (--depth_ == 0)
          closingBrace_ = offset + i;
        ++i;
      } else if (c == '\\') {
        if (!atEnd && n - i < kLookahead)
          break;
        const auto word = controlWordAt(p + i, n - i);
        if (!word) {
          why_ = QStringLiteral("it ends in a control word");
          break;
        }
        noteLineEnd(word->word);
        if (word->word == "bin") {
          if (word->value < 0) {
            why_ = QStringLiteral("it has binary data of a negative length");
            break;
          }
          binary_ = word->value;
        }
        i += word->length;
      } else {
        // Line ends in the file are no text.
        for (; i < n && p[i] != '{' && p[i] != '}' && p[i] != '\\'; ++i) {
          if (p[i] != '\n' && p[i] != '\r')
            afterLineEnd_ = false;
        }
      }
    }
    return i;
  }
  void finish() {
    if (why_.isEmpty() && closingBrace_ < 0)
      why_ = binary_ > 0 ? QStringLiteral("its binary data is cut off")
                         : QStringLiteral("its groups do not close");
  }
  const QString& why() const { return why_; }
  qint64 closingBrace() const { return closingBrace_; }
  // Whether the last of the text certainly ended a line, so that text added
  // after the document starts a line of its own.
  bool afterLineEnd() const { return afterLineEnd_; }

private:
  void noteLineEnd(std::string_view word) {
    if (word == "par" || word == "line" || word == "sect" || word == "page" || word == "row" ||
        word == "\n" || word == "\r")
      afterLineEnd_ = true;
    else if (word.size() == 1 || word == "u" || word == "tab" || word == "cell" ||
             word == "emdash" || word == "endash" || word == "bullet" || word == "lquote" ||
             word == "rquote" || word == "ldblquote" || word == "rdblquote")
      afterLineEnd_ = false; // a character of the text
  }

  bool afterLineEnd_ = true;
  int depth_ = 1; // inside the document's group
  qint64 binary_ = 0;
  qint64 closingBrace_ = -1;
  QString why_;
};

} // namespace

RtfSpliceAppend::Result RtfSpliceAppend::splice(const ReadAt& read, qint64 size,
                                                const RichText& entry, const Write& write,
                                                const std::function<bool()>& cancelled,
                                                qsizetype blockSize) {
  if (!entry.attachmentNames().isEmpty())
    return {Outcome::Declined, QStringLiteral("the new text has attachments")};
  blockSize = std::max(blockSize, 2 * kLookahead);
  QByteArray buffer(blockSize + kLookahead, Qt::Uninitialized);
  const qsizetype first = qsizetype(std::min<qint64>(size, blockSize));
  if (!read(0, buffer.data(), first))
    return {Outcome::Failed, QStringLiteral("it cannot be read")};
  QString why;
  const std::optional<Header> header =
      newHeader(QByteArrayView(buffer.constData(), first), entry, &why);
  if (!header)
    return {Outcome::Declined, why};
  if (!write(header->bytes.constData(), header->bytes.size()))
    return {Outcome::Failed, QStringLiteral("the new document cannot be written")};

  BodyScanner scanner;
  qint64 bufferOffset = header->copyFrom;
  qsizetype have = first - header->copyFrom;
  std::memmove(buffer.data(), buffer.constData() + header->copyFrom, size_t(have));
  qint64 next = first;
  qint64 copied = header->copyFrom; // the next byte of the document to write
  for (;;) {
    if (cancelled && cancelled())
      return {Outcome::Cancelled, QStringLiteral("the append was cancelled")};
    const bool atEnd = next >= size;
    const qsizetype taken = scanner.scan(buffer.constData(), have, bufferOffset, atEnd);
    if (!scanner.why().isEmpty())
      return {Outcome::Declined, scanner.why()};
    // The bytes up to the closing brace go on as they are.
    const qint64 upTo = scanner.closingBrace() >= 0
                            ? std::min<qint64>(scanner.closingBrace(), bufferOffset + taken)
                            : bufferOffset + taken;
    if (upTo > copied) {
      if (!write(buffer.constData() + (copied - bufferOffset), qsizetype(upTo - copied)))
        return {Outcome::Failed, QStringLiteral("the new document cannot be written")};
      copied = upTo;
    }
    if (atEnd)
      break;
    have -= taken;
    std::memmove(buffer.data(), buffer.constData() + taken, size_t(have));
    bufferOffset += qint64(taken);
    const qsizetype more = qsizetype(std::min<qint64>(size - next, blockSize));
    if (!read(next, buffer.data() + have, more))
      return {Outcome::Failed, QStringLiteral("it cannot be read")};
    have += more;
    next += more;
  }
  scanner.finish();
  if (!scanner.why().isEmpty())
    return {Outcome::Declined, scanner.why()};
  const QByteArray tail = tailOf(header->body, scanner.afterLineEnd());
  if (!write(tail.constData(), tail.size()))
    return {Outcome::Failed, QStringLiteral("the new document cannot be written")};
  return {Outcome::Appended, {}};
}

std::optional<QByteArray> RtfSpliceAppend::spliced(QByteArrayView document, const RichText& entry,
                                                   QString* why, qsizetype blockSize) {
  QByteArray out;
  const Result result = splice(
      [document](qint64 offset, char* buffer, qsizetype length) {
        if (offset < 0 || offset + length > document.size())
          return false;
        if (length > 0)
          std::memcpy(buffer, document.constData() + offset, size_t(length));
        return true;
      },
      document.size(), entry,
      [&out](const char* data, qsizetype length) {
        out.append(data, length);
        return true;
      },
      {}, blockSize);
  if (result.outcome != Outcome::Appended) {
    if (why)
      *why = result.reason;
    return std::nullopt;
  }
  return out;
}

} // namespace kr
