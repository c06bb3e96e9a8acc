#include "platform/richtext/RtfInPlaceAppend.h"

#include "platform/HexDigit.h"
#include "platform/richtext/RtfWriter.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace kr {

namespace {

// Deeper nesting than the writer ever produces; the reader's own limit is
// higher, so a document within this one reads with all of its groups.
constexpr int kMaxDepth = 64;
// The longest control sequence taken: a backslash, 32 letters, a sign, ten
// digits and a space fit well within it.
constexpr qsizetype kLookahead = 64;
// Longer tables than a day's text ever needs; the reader keeps more.
constexpr int kMaxTableEntries = 1024;

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Bytes that end a stretch of text: RTF's own characters.
constexpr std::array<bool, 256> kSpecial = [] {
  std::array<bool, 256> table{};
  table[size_t('\\')] = table[size_t('{')] = table[size_t('}')] = true;
  return table;
}();

// The control words of the writer's body. Only those that change no format
// stand outside a group: a word such as \b there would carry over to the
// appended text, whose plain runs have no group of their own.
enum class WordUse { Anywhere, InGroup, Never };
WordUse useOf(std::string_view word) {
  // By length first: this runs for every control word of a large day.
  switch (word.size()) {
  case 1:
    if (word[0] == 'u')
      return WordUse::Anywhere;
    return word[0] == 'f' || word[0] == 'b' || word[0] == 'i' ? WordUse::InGroup : WordUse::Never;
  case 2:
    // The tab stops a day from elsewhere keeps (\pard\txN...) are one
    // style for the whole text; the appended text takes it too.
    if (word == "tx")
      return WordUse::Anywhere;
    return word == "fs" || word == "ul" || word == "cf" || word == "cb" ? WordUse::InGroup
                                                                        : WordUse::Never;
  case 3:
    return word == "par" || word == "tab" ? WordUse::Anywhere : WordUse::Never;
  case 4:
    if (word == "caps")
      return WordUse::InGroup;
    return word == "line" || word == "pard" ? WordUse::Anywhere : WordUse::Never;
  case 5:
    return word == "field" || word == "expnd" ? WordUse::InGroup : WordUse::Never;
  case 6:
    return word == "strike" ? WordUse::InGroup : WordUse::Never;
  case 7:
    return word == "fldrslt" || word == "striked" || word == "expndtw" || word == "chcbpat"
               ? WordUse::InGroup
               : WordUse::Never;
  case 11:
    return word == "NeXTGraphic" ? WordUse::InGroup : WordUse::Never;
  default:
    return WordUse::Never;
  }
}

// Checks a body as the writer writes it, a buffer at a time, and finds the
// document's closing brace.
class BodyScanner {
public:
  // Scans `n` bytes that begin at `offset` in the document. Unless `atEnd`,
  // stops before a control sequence that may go on past the buffer and
  // returns the bytes taken; the caller gives the rest again with more.
  qsizetype scan(const char* p, qsizetype n, qint64 offset, bool atEnd);
  void finish() {
    if (why_.isEmpty() && closingBrace_ < 0)
      why_ = QStringLiteral("its groups do not close");
  }

  bool declined() const { return !why_.isEmpty(); }
  const QString& why() const { return why_; }
  qint64 closingBrace() const { return closingBrace_; }
  // Where the tail of an append cut short begins, when one follows the end.
  qint64 leftover() const { return leftover_; }

private:
  qsizetype decline(const QString& why) {
    why_ = why;
    return 0;
  }
  // Scans a control sequence at `p` of which `n` bytes are there; the bytes
  // taken, or 0 when declined.
  qsizetype controlSequence(const char* p, qsizetype n);

  int depth_ = 1; // inside the document's group
  bool starred_ = false;
  // The depth of an attachment group, and whether one has closed with no
  // character after it: the reader drops a stand-in character that comes
  // next, which would be the first of the appended text.
  int attachmentDepth_ = -1;
  bool standInPending_ = false;
  // The depth of a field's instruction: its text is no character of the
  // document's, and leaves a stand-in pending.
  int instructionDepth_ = -1;
  void character() {
    if (instructionDepth_ < 0)
      standInPending_ = false;
  }
  // Whether the last \u gave the first half of a pair. Where the document
  // ends with it alone, the reader would pair it with the appended text's
  // first character or put its replacement into that character's format.
  bool lastUnicodeWasHigh_ = false;
  qint64 closingBrace_ = -1;
  qint64 leftover_ = -1;
  QString why_;
};

qsizetype BodyScanner::scan(const char* p, qsizetype n, qint64 offset, bool atEnd) {
  qsizetype i = 0;
  while (i < n && !declined()) {
    const char c = p[i];
    if (closingBrace_ >= 0) {
      // After the document only line ends may come, and the tail of an
      // append of ours that was cut short: a group, which no reader reads
      // and the next tail takes the place of. Anything else is declined.
      if (c == '{') {
        leftover_ = offset + i;
        return n;
      }
      if (c != '\n' && c != '\r')
        return decline(QStringLiteral("something follows the document's end"));
      ++i;
      continue;
    }
    if (starred_ && c != '\\')
      return decline(QStringLiteral("it has an ignorable group of its own"));
    if (c == '{') {
      if (++depth_ > kMaxDepth)
        return decline(QStringLiteral("its groups nest too deeply"));
      ++i;
    } else if (c == '}') {
      if (--depth_ < attachmentDepth_) {
        attachmentDepth_ = -1;
        standInPending_ = true;
      }
      if (depth_ < instructionDepth_)
        instructionDepth_ = -1;
      if (depth_ == 0) {
        if (standInPending_)
          return decline(QStringLiteral("it ends in an attachment without its stand-in"));
        if (lastUnicodeWasHigh_)
          return decline(QStringLiteral("it may end in half a character"));
        closingBrace_ = offset + i;
      }
      ++i;
    } else if (c != '\\') {
      const qsizetype start = i++;
      while (i < n && !kSpecial[quint8(p[i])])
        ++i;
      // Control bytes but the tab are no text to the reader: line ends, a
      // zero byte.
      if (!std::all_of(p + start, p + i, [](char b) { return quint8(b) < 0x20 && b != '\t'; }))
        character();
    } else {
      if (!atEnd && n - i < kLookahead)
        break;
      const qsizetype taken = controlSequence(p + i, n - i);
      if (taken == 0)
        break;
      i += taken;
    }
  }
  return i;
}

qsizetype BodyScanner::controlSequence(const char* p, qsizetype n) {
  if (n < 2)
    return decline(QStringLiteral("it ends in a backslash"));
  const char symbol = p[1];
  if (!isLetter(symbol)) {
    if (starred_)
      return decline(QStringLiteral("it has an ignorable group of its own"));
    if (symbol == '\\' || symbol == '{' || symbol == '}') {
      character();
      return 2;
    }
    if (symbol == '\'') {
      if (n < 4 || hexDigitValue(p[2]) < 0 || hexDigitValue(p[3]) < 0)
        return decline(QStringLiteral("it has a broken hex escape"));
      character();
      return 4;
    }
    if (symbol == '*' && depth_ > 1) {
      starred_ = true;
      return 2;
    }
    return decline(QStringLiteral("it uses the control symbol \\%1").arg(QLatin1Char(symbol)));
  }
  qsizetype i = 1;
  while (i < n && isLetter(p[i]))
    ++i;
  const std::string_view word(p + 1, size_t(i - 1));
  if (word.size() > 32)
    return decline(QStringLiteral("it has an overlong control word"));
  if (i + 1 < n && p[i] == '-' && isDigit(p[i + 1]))
    ++i;
  const bool negative = i > 1 && p[i - 1] == '-';
  const qsizetype digitsStart = i;
  long long value = 0;
  // Only the first eleven digits count (more is declined below), so the
  // value cannot overflow however many follow.
  for (; i < n && isDigit(p[i]); ++i) {
    if (i - digitsStart <= 10)
      value = value * 10 + (p[i] - '0');
  }
  const qsizetype digits = i - digitsStart;
  if (digits > 10)
    return decline(QStringLiteral("it has an overlong number"));
  if (i < n && p[i] == ' ')
    ++i;
  if (starred_) {
    if (word != "fldinst")
      return decline(QStringLiteral("it has an ignorable group of its own"));
    starred_ = false;
    if (instructionDepth_ < 0)
      instructionDepth_ = depth_;
    return i;
  }
  const WordUse use = useOf(word);
  if (use == WordUse::Never || (use == WordUse::InGroup && depth_ == 1))
    return decline(QStringLiteral("it uses the control word \\%1 where this program's own "
                                  "files do not")
                       .arg(QLatin1String(word.data(), qsizetype(word.size()))));
  if (word == "u") {
    if (digits == 0)
      return decline(QStringLiteral("it has \\u without a number"));
    const long long unit = negative ? 65536 - value : value;
    lastUnicodeWasHigh_ = unit >= 0xD800 && unit <= 0xDBFF;
  }
  if (use == WordUse::Anywhere)
    character(); // of the text
  else if (word == "NeXTGraphic" && attachmentDepth_ < 0)
    attachmentDepth_ = depth_;
  return i;
}

bool writeAll(int fd, const char* data, qsizetype size, qint64 offset) {
  while (size > 0) {
    const ssize_t written = ::pwrite(fd, data, size_t(size), offset);
    if (written < 0 && errno == EINTR)
      continue;
    if (written <= 0)
      return false;
    data += written;
    size -= qsizetype(written);
    offset += written;
  }
  return true;
}

QString systemError() { return QString::fromLocal8Bit(std::strerror(errno)); }

} // namespace

std::optional<RtfInPlaceAppend::Plan> RtfInPlaceAppend::plan(const ReadAt& read, qint64 size,
                                                             const RichText& entry, QString* why,
                                                             qsizetype blockSize) {
  auto decline = [why](const QString& reason) {
    if (why)
      *why = reason;
    return std::nullopt;
  };
  if (!entry.attachmentNames().isEmpty())
    return decline(QStringLiteral("the new text has attachments"));
  // Half a pair left open at the document's end would pair with it.
  if (!entry.isEmpty() && entry.plainText().front().isLowSurrogate())
    return decline(QStringLiteral("the new text begins with half a character"));
  blockSize = std::max(blockSize, 2 * kLookahead);
  QByteArray buffer(blockSize + kLookahead, Qt::Uninitialized);

  // The header, whole within the first block: a header longer than that is
  // not one this program wrote for a day.
  const qsizetype first = qsizetype(std::min<qint64>(size, blockSize));
  if (!read(0, buffer.data(), first))
    return decline(QStringLiteral("it cannot be read"));
  const auto header = RtfWriter::readHeader(QByteArrayView(buffer.constData(), first));
  if (!header)
    return decline(QStringLiteral("it does not begin as this program writes documents"));
  const RtfWriter::Tables& tables = header->first;
  if (tables.fonts.size() > kMaxTableEntries || qsizetype(tables.colors.size()) > kMaxTableEntries)
    return decline(QStringLiteral("its tables are too long"));
  Plan result;
  const std::optional<QByteArray> body = RtfWriter::body(entry, tables);
  if (!body)
    return decline(QStringLiteral("the new text uses a font or colour it has no number for"));

  // The body, a block at a time; what a block leaves unread goes first into
  // the next.
  BodyScanner scanner;
  qint64 bufferOffset = header->second; // the document offset of buffer[0]
  qsizetype have = first - header->second;
  std::memmove(buffer.data(), buffer.constData() + header->second, size_t(have));
  qint64 next = first; // the next byte to read
  for (;;) {
    const bool atEnd = next >= size;
    const qsizetype taken = scanner.scan(buffer.constData(), have, bufferOffset, atEnd);
    if (scanner.declined())
      return decline(scanner.why());
    if (atEnd || scanner.leftover() >= 0)
      break;
    have -= taken;
    std::memmove(buffer.data(), buffer.constData() + taken, size_t(have));
    bufferOffset += qint64(taken);
    const qsizetype more = qsizetype(std::min<qint64>(size - next, blockSize));
    if (!read(next, buffer.data() + have, more))
      return decline(QStringLiteral("it cannot be read"));
    have += more;
    next += more;
  }
  scanner.finish();
  if (scanner.declined())
    return decline(scanner.why());

  result.closingBrace = scanner.closingBrace();
  result.size = scanner.leftover() >= 0 ? scanner.leftover() : size;
  result.tail.reserve(body->size() + 3);
  result.tail.append('{').append(*body).append("}}");
  return result;
}

std::optional<RtfInPlaceAppend::Plan> RtfInPlaceAppend::plan(QByteArrayView document,
                                                             const RichText& entry, QString* why) {
  return plan(
      [document](qint64 offset, char* buffer, qsizetype length) {
        if (offset < 0 || offset + length > document.size())
          return false;
        std::memcpy(buffer, document.constData() + offset, size_t(length));
        return true;
      },
      document.size(), entry, why);
}

QByteArray RtfInPlaceAppend::applied(const QByteArray& document, const Plan& plan, Step step,
                                     qsizetype tailBytes) {
  QByteArray result = document.left(qsizetype(plan.size));
  if (step == Step::Tail) {
    const qsizetype bytes =
        tailBytes < 0 ? plan.tail.size() : std::min(tailBytes, plan.tail.size());
    return result.append(plan.tail.left(bytes));
  }
  result.append(plan.tail);
  result[qsizetype(plan.closingBrace)] = '\n';
  if (step == Step::Finished)
    result.append('\n');
  return result;
}

RtfInPlaceAppend::ReadAt RtfInPlaceAppend::readerOf(int fd) {
  return [fd](qint64 offset, char* buffer, qsizetype length) {
    while (length > 0) {
      const ssize_t n = ::pread(fd, buffer, size_t(length), offset);
      if (n < 0 && errno == EINTR)
        continue;
      if (n <= 0)
        return false;
      buffer += n;
      length -= qsizetype(n);
      offset += n;
    }
    return true;
  };
}

RtfInPlaceAppend::Result RtfInPlaceAppend::appendToFile(int fd, const RichText& entry,
                                                        qint64 maximumSize,
                                                        const std::function<bool()>& mayFinish) {
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
    return {Outcome::Declined, QStringLiteral("it is not a regular file")};
  QString why;
  const std::optional<Plan> plan =
      RtfInPlaceAppend::plan(readerOf(fd), qint64(info.st_size), entry, &why);
  if (!plan)
    return {Outcome::Declined, why};
  if (plan->size + plan->tail.size() + 1 > maximumSize)
    return {Outcome::Declined, QStringLiteral("it would grow too large")};

  // Step 1: the tail after the end, on the disk before the brace goes. What
  // is left of a tail cut short beyond it goes.
  const qint64 end = plan->size + plan->tail.size();
  if (!writeAll(fd, plan->tail.constData(), plan->tail.size(), plan->size) ||
      (info.st_size > end && ::ftruncate(fd, end) != 0) || ::fdatasync(fd) != 0) {
    const QString reason = systemError();
    (void)!::ftruncate(fd, plan->size);
    return {Outcome::Failed, reason};
  }
  if (mayFinish && !mayFinish()) {
    (void)!::ftruncate(fd, plan->size);
    return {Outcome::Declined, QStringLiteral("cancelled")};
  }
  // Step 2: the closing brace becomes a line end, if it is still there.
  char brace = 0;
  if (::pread(fd, &brace, 1, plan->closingBrace) != 1 || brace != '}') {
    (void)!::ftruncate(fd, plan->size);
    return {Outcome::Failed, QStringLiteral("it changed while the entry was added")};
  }
  if (!writeAll(fd, "\n", 1, plan->closingBrace)) {
    const QString reason = systemError();
    (void)!::ftruncate(fd, plan->size);
    return {Outcome::Failed, reason};
  }
  // Step 3. Neither a final line end that cannot be written nor a sync that
  // fails takes the entry out again: every reader sees it already.
  Result result{Outcome::Appended, {}};
  if (!writeAll(fd, "\n", 1, end) || ::fdatasync(fd) != 0)
    result.reason = QStringLiteral("the entry was added but could not be synced to the disk: %1")
                        .arg(systemError());
  return result;
}

} // namespace kr
