#include "platform/richtext/RtfWriter.h"

#include "platform/richtext/RtfCodePage.h"

#include <QHash>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <string>
#include <vector>

namespace kr {

namespace {

quint32 key(const RgbColor& c) { return (quint32(c.red) << 16) | (quint32(c.green) << 8) | c.blue; }

// The runs of a body, each with its format and a way to write its
// characters: the runs of rich text, or the pieces of encoded text.
struct RichTextRuns {
  const RichText& text;
  std::size_t size() const { return text.runs().size(); }
  const CharFormat& format(std::size_t i) const { return text.runs()[i].format; }
  template <typename W> void writeContent(std::size_t i, W& writer) const {
    const RichText::Run& run = text.runs()[i];
    writer.writeCharacters(QStringView(text.plainText()).mid(run.start, run.length), run.format);
  }
};

// The formats of a list of them, by index: as runs, for the tables.
struct FormatRuns {
  const std::vector<CharFormat>& formats;
  const std::vector<int>& ids;
  std::size_t size() const { return ids.size(); }
  const CharFormat& format(std::size_t i) const { return formats[std::size_t(ids[i])]; }
};

class Writer {
public:
  Writer() : out_(own_) {}
  explicit Writer(std::string& out) : out_(out) {}
  template <typename Runs> QByteArray run(const Runs& runs, double tabInterval, qsizetype expected);
  // With the tables given, not collected: false when a run needs a font or
  // colour they lack.
  template <typename Runs> bool useTables(const RtfWriter::Tables& tables, const Runs& runs);
  template <typename Runs> void collectTables(const Runs& runs);
  RtfWriter::Tables tables() const { return {fonts_, colors_, defaultFont_}; }
  void setDefaultFont(const QString& family) { defaultFont_ = family; }
  void writeHeader();
  void writeParagraphStyle(double tabInterval);
  template <typename Runs> void writeBody(const Runs& runs, double tabInterval);
  // Encoded text, piece by piece: neighbouring pieces of equal formats are
  // one run, neighbouring runs with one link one field, as writeBody() makes
  // them. endPieces() closes what the last piece left open.
  void writePiece(const std::vector<CharFormat>& formats, int format,
                  const ParagraphFormat& paragraph, QByteArrayView bytes);
  void endPieces();
  QByteArray result() const { return QByteArray(out_.data(), qsizetype(out_.size())); }
  // A run's characters, as they stand between its group's attributes and its end.
  void writeCharacters(QStringView text, const CharFormat& format);
  void writeBytes(QByteArrayView bytes) {
    if (inserts_)
      inserts_->emplace_back(out_.size(), bytes);
    else
      out_.append(bytes.constData(), size_t(bytes.size()));
  }
  // Bytes given to writeBytes() are not copied from here on but noted with
  // their place in the output.
  void noteInserts(std::vector<std::pair<std::size_t, QByteArrayView>>* inserts) {
    inserts_ = inserts;
  }
  std::string take() { return std::move(out_); }

  std::string& out() { return out_; }

private:
  template <typename Runs> void writeRun(const Runs& runs, std::size_t i);
  void writeAttributes(const CharFormat& format);
  // Sets the paragraph format of the text that follows, outside any group,
  // where it differs from the one in effect.
  void useParagraph(const ParagraphFormat& paragraph);
  void writeIntervalStops();
  void addColor(const std::optional<RgbColor>& color);
  bool hasColor(const std::optional<RgbColor>& color) const {
    return !color || colorNumbers_.contains(key(*color));
  }
  void writeText(QStringView text);
  void writeEscaped(QStringView text, bool inTable);
  void writeAttachment(const QString& name);
  void openField(const QString& link);
  void closeRun();
  void number(int value) {
    char buffer[16];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    out_.append(buffer, size_t(end - buffer));
  }

  std::string own_;
  std::vector<std::pair<std::size_t, QByteArrayView>>* inserts_ = nullptr;
  std::string& out_; // appends of single characters are cheaper here than on QByteArray
  QHash<QString, int> fontNumbers_;
  QStringList fonts_;
  QHash<quint32, int> colorNumbers_;
  std::vector<RgbColor> colors_;
  QString defaultFont_;
  // The paragraph format in effect, and the distance of the text's tab
  // stops that a paragraph without stops of its own is given.
  ParagraphFormat paragraph_;
  double tabInterval_ = 0;
  // What writePiece() left open: a run (its format's index) and a field.
  int openRun_ = -1;
  bool runGrouped_ = false;
  bool fieldOpen_ = false;
  QString fieldLink_;
};

constexpr int kMaxTabTwips = int(RichText::kMaxTabInterval * 20);

bool isPlain(const CharFormat& f) {
  return f.fontFamily.isEmpty() && f.fontSize <= 0 && !f.bold && !f.italic && !f.underline &&
         !f.strikeThrough && !f.capitals && f.letterSpacing == 0 && !f.foreground && !f.background;
}

template <typename Runs>
QByteArray Writer::run(const Runs& runs, double tabInterval, qsizetype expected) {
  out_.reserve(size_t(expected) + 256);
  collectTables(runs);
  writeHeader();
  writeBody(runs, tabInterval);
  out_.append("}\n");
  return result();
}

void Writer::writeHeader() {
  const bool withDefault = !defaultFont_.isEmpty();
  out_.append("{\\rtf1\\ansi\\ansicpg1252");
  if (withDefault) {
    out_.append("\\deff");
    number(int(fonts_.size()));
  }
  out_.append("\\uc1\n{\\fonttbl");
  // A table is expected; when no run has a font, none refers to this one.
  const QStringList fonts =
      fonts_.isEmpty() && !withDefault ? QStringList{QStringLiteral("Helvetica")} : fonts_;
  for (int i = 0; i < fonts.size(); ++i) {
    out_.append("\\f");
    number(i);
    out_.append("\\fnil\\fcharset0 ");
    writeEscaped(fonts.at(i), true);
    out_ += ';';
  }
  if (withDefault) {
    // Runs without a font have none here: other readers show them in this
    // one, this program's reader leaves them without.
    out_.append("\\f");
    number(int(fonts.size()));
    out_.append("\\fnil\\fcharset0 {\\*\\viewfont}");
    writeEscaped(defaultFont_, true);
    out_ += ';';
  }
  out_.append("}\n{\\colortbl;");
  for (const RgbColor& c : colors_) {
    out_.append("\\red");
    number(c.red);
    out_.append("\\green");
    number(c.green);
    out_.append("\\blue");
    number(c.blue);
    out_ += ';';
  }
  out_.append("}\n");
}

void Writer::writeParagraphStyle(double tabInterval) {
  tabInterval_ = tabInterval;
  if (tabInterval > 0) {
    // One paragraph style for the whole text, set once; every paragraph
    // keeps it.
    out_.append("\\pard");
    writeIntervalStops();
    out_ += '\n';
  }
}

void Writer::writeIntervalStops() {
  if (tabInterval_ <= 0)
    return;
  // A dozen stops, as word processors write them.
  const int twips = std::clamp(int(std::lround(tabInterval_ * 20)), 1, kMaxTabTwips);
  for (int stop = 1; stop <= ParagraphFormat::kIntervalStops; ++stop) {
    out_.append("\\tx");
    number(twips * stop);
  }
}

void Writer::useParagraph(const ParagraphFormat& p) {
  if (p == paragraph_)
    return;
  paragraph_ = p;
  using Alignment = ParagraphFormat::Alignment;
  using Direction = ParagraphFormat::Direction;
  using Kind = ParagraphFormat::TabStop::Kind;
  // \pard takes the stops too: a paragraph without its own has the text's.
  out_.append("\\pard");
  if (p.tabStops.isEmpty())
    writeIntervalStops();
  for (const ParagraphFormat::TabStop& stop : p.tabStops) {
    out_.append(stop.kind == Kind::Center    ? "\\tqc"
                : stop.kind == Kind::Right   ? "\\tqr"
                : stop.kind == Kind::Decimal ? "\\tqdec"
                                             : "");
    out_.append("\\tx");
    number(stop.position);
  }
  out_.append(p.alignment == Alignment::Center      ? "\\qc"
              : p.alignment == Alignment::Right     ? "\\qr"
              : p.alignment == Alignment::Justified ? "\\qj"
                                                    : "");
  out_.append(p.direction == Direction::LeftToRight   ? "\\ltrpar"
              : p.direction == Direction::RightToLeft ? "\\rtlpar"
                                                      : "");
  const std::pair<const char*, int> lengths[] = {
      {"\\li", p.leftIndent},  {"\\ri", p.rightIndent}, {"\\fi", p.firstLineIndent},
      {"\\sb", p.spaceBefore}, {"\\sa", p.spaceAfter},  {"\\sl", p.lineSpacing}};
  for (const auto& [word, value] : lengths) {
    if (value != 0) {
      out_.append(word);
      number(value);
    }
  }
  if (p.lineSpacing != 0)
    out_.append(p.lineSpacingMultiple ? "\\slmult1" : "\\slmult0");
  out_ += '\n';
}

void Writer::openField(const QString& link) {
  out_.append("{\\field{\\*\\fldinst{HYPERLINK \"");
  QString target = link;
  target.replace(QLatin1Char('"'), QLatin1String("%22"));
  writeEscaped(target, false);
  out_.append("\"}}{\\fldrslt ");
}

template <typename Runs> void Writer::writeBody(const Runs& runs, double tabInterval) {
  writeParagraphStyle(tabInterval);
  for (size_t i = 0; i < runs.size();) {
    useParagraph(*runs.format(i).paragraph);
    const QString& link = runs.format(i).link;
    if (link.isEmpty()) {
      writeRun(runs, i++);
      continue;
    }
    // One field for every neighbouring run with the same link and
    // paragraph format: a paragraph's format is set outside any group.
    openField(link);
    while (i < runs.size() && runs.format(i).link == link &&
           *runs.format(i).paragraph == paragraph_)
      writeRun(runs, i++);
    out_.append("}}");
  }
}

template <typename Runs> bool Writer::useTables(const RtfWriter::Tables& tables, const Runs& runs) {
  fonts_ = tables.fonts;
  colors_ = tables.colors;
  defaultFont_ = tables.defaultFont;
  for (int i = 0; i < fonts_.size(); ++i) {
    if (!fontNumbers_.contains(fonts_.at(i)))
      fontNumbers_.insert(fonts_.at(i), i); // a name listed twice keeps its first number
  }
  for (int i = int(colors_.size()) - 1; i >= 0; --i)
    colorNumbers_.insert(key(colors_[size_t(i)]), i + 1);
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const CharFormat& f = runs.format(i);
    if (!f.fontFamily.isEmpty() && !fontNumbers_.contains(f.fontFamily))
      return false;
    if (!hasColor(f.foreground) || !hasColor(f.background))
      return false;
  }
  return true;
}

void Writer::addColor(const std::optional<RgbColor>& color) {
  if (color && !colorNumbers_.contains(key(*color))) {
    colors_.push_back(*color);
    colorNumbers_.insert(key(*color), int(colors_.size())); // 0 is "automatic"
  }
}

template <typename Runs> void Writer::collectTables(const Runs& runs) {
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const CharFormat& f = runs.format(i);
    if (!f.fontFamily.isEmpty() && !fontNumbers_.contains(f.fontFamily)) {
      fontNumbers_.insert(f.fontFamily, int(fonts_.size()));
      fonts_.append(f.fontFamily);
    }
    addColor(f.foreground);
    addColor(f.background);
  }
}

void Writer::writePiece(const std::vector<CharFormat>& formats, int format,
                        const ParagraphFormat& paragraph, QByteArrayView bytes) {
  if (bytes.isEmpty())
    return;
  const CharFormat& f = formats[std::size_t(format)];
  const bool newParagraph = !(paragraph == paragraph_);
  if (openRun_ < 0 || !(formats[std::size_t(openRun_)] == f) || newParagraph) {
    closeRun();
    if (fieldOpen_ && (fieldLink_ != f.link || newParagraph)) {
      out_.append("}}");
      fieldOpen_ = false;
    }
    useParagraph(paragraph);
    if (!fieldOpen_ && !f.link.isEmpty()) {
      openField(f.link);
      fieldOpen_ = true;
      fieldLink_ = f.link;
    }
    openRun_ = format;
    runGrouped_ = !isPlain(f);
    if (runGrouped_) {
      out_ += '{';
      writeAttributes(f);
    }
  }
  writeBytes(bytes);
}

void Writer::closeRun() {
  if (openRun_ >= 0 && runGrouped_)
    out_ += '}';
  openRun_ = -1;
}

void Writer::endPieces() {
  closeRun();
  if (fieldOpen_)
    out_.append("}}");
  fieldOpen_ = false;
}

template <typename Runs> void Writer::writeRun(const Runs& runs, std::size_t i) {
  const CharFormat& f = runs.format(i);
  const bool grouped = !isPlain(f);
  if (grouped) {
    out_ += '{';
    writeAttributes(f);
  }
  runs.writeContent(i, *this);
  if (grouped)
    out_ += '}';
}

void Writer::writeCharacters(QStringView text, const CharFormat& f) {
  if (f.attachment.isEmpty()) {
    writeText(text);
    return;
  }
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == QChar(RichText::kAttachmentCharacter))
      writeAttachment(f.attachment);
    else
      writeText(text.mid(i, 1));
  }
}

void Writer::writeAttributes(const CharFormat& f) {
  if (!f.fontFamily.isEmpty()) {
    out_.append("\\f");
    number(fontNumbers_.value(f.fontFamily));
  }
  if (f.fontSize > 0) {
    out_.append("\\fs");
    number(int(std::lround(std::min(f.fontSize, 16000.0) * 2)));
  }
  if (f.bold)
    out_.append("\\b");
  if (f.italic)
    out_.append("\\i");
  if (f.underline)
    out_.append("\\ul");
  if (f.strikeThrough)
    out_.append(f.doubleStrike ? "\\striked1" : "\\strike");
  if (f.capitals)
    out_.append("\\caps");
  if (f.letterSpacing != 0) {
    // In quarter points for readers that know no other unit, then exactly.
    out_.append("\\expnd");
    number(int(std::lround(f.letterSpacing / 5.0)));
    out_.append("\\expndtw");
    number(f.letterSpacing);
  }
  if (f.foreground) {
    out_.append("\\cf");
    number(colorNumbers_.value(key(*f.foreground)));
  }
  if (f.background) {
    // The word each kind of reader knows: the other platform's, then the
    // one word processors read.
    const int color = colorNumbers_.value(key(*f.background));
    out_.append("\\cb");
    number(color);
    out_.append("\\chcbpat");
    number(color);
  }
  out_ += ' ';
}

void Writer::writeAttachment(const QString& name) {
  out_.append("{{\\NeXTGraphic ");
  writeEscaped(name, false);
  out_.append("}\\'ac}");
}

// Body text: paragraph ends, line breaks and tabs become control words.
void Writer::writeText(QStringView text) {
  qsizetype plainStart = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    const char* word = c == u'\n'                  ? "\\par\n"
                       : c == RichText::kLineBreak ? "\\line "
                       : c == u'\t'                ? "\\tab "
                                                   : nullptr;
    if (!word)
      continue;
    writeEscaped(text.mid(plainStart, i - plainStart), false);
    out_.append(word);
    plainStart = i + 1;
  }
  writeEscaped(text.mid(plainStart), false);
}

// Escapes characters RTF gives a meaning to and writes everything outside
// printable ASCII as \uN with a fallback. In a table ';' ends an entry, so
// there it is written as a hex escape.
void Writer::writeEscaped(QStringView text, bool inTable) {
  const qsizetype size = text.size();
  for (qsizetype i = 0; i < size;) {
    // A run of printable ASCII that needs no escape is copied as it is.
    qsizetype end = i;
    while (end < size) {
      const char16_t c = text[end].unicode();
      if (c < 0x20 || c >= 0x7F || c == u'\\' || c == u'{' || c == u'}' || (inTable && c == u';'))
        break;
      ++end;
    }
    if (end > i) {
      const std::size_t at = out_.size();
      out_.resize(at + std::size_t(end - i));
      char* to = out_.data() + at;
      for (qsizetype k = i; k < end; ++k)
        *to++ = char(text[k].unicode());
      i = end;
      continue;
    }
    const char16_t c = text[i++].unicode();
    if (c >= 0x20 && c < 0x7F) {
      if (c == u'\\' || c == u'{' || c == u'}')
        out_ += '\\';
      if (inTable && c == u';') {
        out_.append("\\'3b");
        continue;
      }
      out_ += char(c);
      continue;
    }
    out_.append("\\u");
    number(c > 32767 ? int(c) - 65536 : int(c));
    const char fallback = RtfCodePage::fromUnicode1252(c);
    if (quint8(fallback) >= 0x80) {
      static const char digits[] = "0123456789abcdef";
      out_.append("\\'");
      out_ += digits[quint8(fallback) >> 4];
      out_ += digits[quint8(fallback) & 15];
    } else {
      // A question mark, escaped: some readers drop the character after a
      // literal one.
      out_.append("\\'3f");
    }
  }
}

} // namespace

QByteArray RtfWriter::write(const RichText& text) {
  Writer writer;
  writer.setDefaultFont(text.defaultFontFamily());
  return writer.run(RichTextRuns{text}, text.tabInterval(), qsizetype(text.length()) * 3 / 2);
}

QByteArray RtfWriter::write(const EncodedRichText& text) {
  const Pieces pieces = writePieces(text);
  QByteArray joined;
  joined.reserve(pieces.size());
  for (const QByteArrayView piece : pieces.views())
    joined.append(piece);
  return joined;
}

RtfWriter::Tables RtfWriter::usedTables(const EncodedRichText& text) {
  std::vector<int> used;
  for (const auto& chunk : text.chunks) {
    for (const EncodedRichText::Piece& piece : chunk->pieces) {
      if (piece.length > 0 && (used.empty() || used.back() != piece.format))
        used.push_back(piece.format);
    }
  }
  Writer writer;
  writer.collectTables(FormatRuns{text.formats, used});
  return writer.tables();
}

RtfWriter::Tables RtfWriter::tablesOf(const std::vector<CharFormat>& formats) {
  std::vector<int> all(formats.size());
  for (std::size_t i = 0; i < all.size(); ++i)
    all[i] = int(i);
  Writer writer;
  writer.collectTables(FormatRuns{formats, all});
  return writer.tables();
}

RtfWriter::Pieces RtfWriter::writePieces(const EncodedRichText& text) {
  Pieces pieces;
  pieces.text = text;
  Tables tables = usedTables(text);
  tables.defaultFont = text.defaultFontFamily;
  ChunkWriter writer(text.formats, text.paragraphs, tables, text.tabInterval);
  for (const auto& chunk : pieces.text.chunks)
    writer.add(*chunk);
  writer.end();
  writer.release(&pieces.markup, &pieces.inserts);
  return pieces;
}

namespace {

std::vector<QByteArrayView> viewsOf(const std::string& markup, const RtfWriter::Inserts& inserts) {
  std::vector<QByteArrayView> views;
  views.reserve(inserts.size() * 2 + 1);
  std::size_t done = 0;
  const auto markupTo = [&](std::size_t end) {
    if (end > done)
      views.emplace_back(markup.data() + done, qsizetype(end - done));
    done = end;
  };
  for (const auto& [at, bytes] : inserts) {
    markupTo(at);
    views.push_back(bytes);
  }
  markupTo(markup.size());
  return views;
}

} // namespace

std::vector<QByteArrayView> RtfWriter::Pieces::views() const { return viewsOf(markup, inserts); }

struct RtfWriter::ChunkWriter::State {
  std::vector<CharFormat> formats;
  std::vector<ParagraphFormat> paragraphs;
  Writer writer;
  Inserts inserts;
  bool taken = false;
};

RtfWriter::ChunkWriter::ChunkWriter(std::vector<CharFormat> formats,
                                    std::vector<ParagraphFormat> paragraphs, const Tables& tables,
                                    double tabInterval)
    : state_(std::make_unique<State>()) {
  state_->formats = std::move(formats);
  state_->paragraphs = std::move(paragraphs);
  Writer& writer = state_->writer;
  writer.noteInserts(&state_->inserts);
  const RichText none;
  writer.useTables(tables, RichTextRuns{none});
  writer.writeHeader();
  writer.writeParagraphStyle(tabInterval);
}

RtfWriter::ChunkWriter::~ChunkWriter() = default;

void RtfWriter::ChunkWriter::startPart() {
  if (!std::exchange(state_->taken, false))
    return;
  state_->writer.out().clear();
  state_->inserts.clear();
}

void RtfWriter::ChunkWriter::add(const EncodedRichText::Chunk& chunk) {
  startPart();
  qsizetype offset = 0;
  for (const EncodedRichText::Piece& piece : chunk.pieces) {
    state_->writer.writePiece(state_->formats, piece.format,
                              EncodedRichText::paragraphAt(state_->paragraphs, piece.paragraph),
                              QByteArrayView(chunk.bytes.constData() + offset, piece.length));
    offset += piece.length;
  }
}

void RtfWriter::ChunkWriter::end() {
  startPart();
  state_->writer.endPieces();
  state_->writer.out().append("}\n");
}

std::vector<QByteArrayView> RtfWriter::ChunkWriter::take() {
  state_->taken = true;
  return viewsOf(state_->writer.out(), state_->inserts);
}

void RtfWriter::ChunkWriter::release(std::string* markup, Inserts* inserts) {
  *markup = std::move(state_->writer.out());
  *inserts = std::move(state_->inserts);
  state_->writer.out().clear();
  state_->inserts.clear();
}

qsizetype RtfWriter::Pieces::size() const {
  qsizetype total = qsizetype(markup.size());
  for (const auto& insert : inserts)
    total += insert.second.size();
  return total;
}

void RtfWriter::encodeCharacters(QStringView text, const CharFormat& format, std::string& out) {
  Writer(out).writeCharacters(text, format);
}

QByteArray RtfWriter::header(const Tables& tables) {
  const RichText none;
  Writer writer;
  writer.useTables(tables, RichTextRuns{none});
  writer.writeHeader();
  return writer.result();
}

std::optional<QByteArray> RtfWriter::body(const RichText& text, const Tables& tables) {
  Writer writer;
  const RichTextRuns runs{text};
  if (!writer.useTables(tables, runs))
    return std::nullopt;
  writer.writeBody(runs, text.tabInterval());
  return writer.result();
}

namespace {

// Reads the header's parts as the writer spells them; the caller compares
// what it read, written again, with the bytes.
class HeaderReader {
public:
  explicit HeaderReader(QByteArrayView data) : data_(data) {}

  bool expect(QByteArrayView text) {
    if (data_.size() - pos_ < text.size() || data_.sliced(pos_, text.size()) != text)
      return false;
    pos_ += text.size();
    return true;
  }
  std::optional<int> number(int lowest, int highest) {
    const qsizetype start = pos_;
    const bool negative = pos_ < data_.size() && data_[pos_] == '-';
    if (negative)
      ++pos_;
    long long value = 0;
    while (pos_ < data_.size() && pos_ - start < 8 && data_[pos_] >= '0' && data_[pos_] <= '9')
      value = value * 10 + (data_[pos_++] - '0');
    if (pos_ == start + (negative ? 1 : 0))
      return std::nullopt;
    value = negative ? -value : value;
    if (value < lowest || value > highest)
      return std::nullopt;
    return int(value);
  }
  // A table entry's name up to its ';', escaped as writeEscaped() does.
  std::optional<QString> name() {
    QString result;
    while (pos_ < data_.size()) {
      const char c = data_[pos_++];
      if (c == ';')
        return result;
      if (c != '\\') {
        if (c < 0x20 || c >= 0x7F || c == '{' || c == '}')
          return std::nullopt;
        result.append(QLatin1Char(c));
        continue;
      }
      if (expect("'3b")) {
        result.append(QLatin1Char(';'));
      } else if (expect("u")) {
        const std::optional<int> unit = number(-32768, 65535);
        if (!unit)
          return std::nullopt;
        result.append(QChar(char16_t(*unit < 0 ? *unit + 65536 : *unit)));
        // The fallback: "?" or a hex escape.
        if (!expect("?")) {
          if (!expect("\\'") || data_.size() - pos_ < 2)
            return std::nullopt;
          pos_ += 2;
        }
      } else if (pos_ < data_.size() &&
                 (data_[pos_] == '\\' || data_[pos_] == '{' || data_[pos_] == '}')) {
        result.append(QLatin1Char(data_[pos_++]));
      } else {
        return std::nullopt;
      }
    }
    return std::nullopt;
  }
  qsizetype position() const { return pos_; }

private:
  QByteArrayView data_;
  qsizetype pos_ = 0;
};

} // namespace

std::optional<std::pair<RtfWriter::Tables, qsizetype>>
RtfWriter::readHeader(QByteArrayView document) {
  HeaderReader reader(document);
  Tables tables;
  if (!reader.expect("{\\rtf1\\ansi\\ansicpg1252"))
    return std::nullopt;
  // The default font's number; header() below checks it is the last entry.
  if (reader.expect("\\deff") && !reader.number(0, INT_MAX - 1))
    return std::nullopt;
  if (!reader.expect("\\uc1\n{\\fonttbl"))
    return std::nullopt;
  while (tables.defaultFont.isEmpty() && reader.expect("\\f")) {
    if (reader.number(0, INT_MAX - 1) != tables.fonts.size() ||
        !reader.expect("\\fnil\\fcharset0 "))
      return std::nullopt;
    const bool isDefault = reader.expect("{\\*\\viewfont}");
    std::optional<QString> name = reader.name();
    if (!name || (isDefault && name->isEmpty()))
      return std::nullopt;
    if (isDefault)
      tables.defaultFont = *name;
    else
      tables.fonts.append(*name);
  }
  if (!reader.expect("}\n{\\colortbl;"))
    return std::nullopt;
  while (reader.expect("\\red")) {
    std::optional<int> red = reader.number(0, 255);
    std::optional<int> green =
        red && reader.expect("\\green") ? reader.number(0, 255) : std::nullopt;
    std::optional<int> blue =
        green && reader.expect("\\blue") ? reader.number(0, 255) : std::nullopt;
    if (!blue || !reader.expect(";"))
      return std::nullopt;
    tables.colors.push_back(RgbColor{quint8(*red), quint8(*green), quint8(*blue)});
  }
  if (!reader.expect("}\n"))
    return std::nullopt;
  // Only the writer's own spelling: whatever the reader above let pass that
  // the writer would write otherwise is refused here.
  if (header(tables) != document.first(reader.position()))
    return std::nullopt;
  return std::pair(std::move(tables), reader.position());
}

} // namespace kr
