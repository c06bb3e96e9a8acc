#include "platform/RtfWriter.h"

#include "platform/RtfCodePage.h"

#include <QHash>

#include <charconv>
#include <cmath>
#include <string>
#include <vector>

namespace kr {

namespace {

class Writer {
public:
  explicit Writer(const RichText& text) : text_(text) {}
  QByteArray run();

private:
  void collectTables();
  void writeRun(const RichText::Run& run);
  void writeAttributes(const CharFormat& format);
  void writeText(QStringView text);
  void writeEscaped(QStringView text, bool inTable);
  void writeAttachment(const QString& name);
  void number(int value) {
    char buffer[16];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    out_.append(buffer, size_t(end - buffer));
  }

  const RichText& text_;
  std::string out_; // appends of single characters are cheaper here than on QByteArray
  QHash<QString, int> fontNumbers_;
  QStringList fonts_;
  QHash<quint32, int> colorNumbers_;
  std::vector<RgbColor> colors_;
};

quint32 key(const RgbColor& c) { return (quint32(c.red) << 16) | (quint32(c.green) << 8) | c.blue; }

bool isPlain(const CharFormat& f) {
  return f.fontFamily.isEmpty() && f.fontSize <= 0 && !f.bold && !f.italic && !f.underline &&
         !f.strikeThrough && !f.foreground;
}

QByteArray Writer::run() {
  out_.reserve(size_t(text_.length()) * 3 / 2 + 256);
  collectTables();
  out_.append("{\\rtf1\\ansi\\ansicpg1252\\uc1\n{\\fonttbl");
  if (fonts_.isEmpty())
    fonts_.append(QStringLiteral("Helvetica")); // a table is expected; no run refers to it
  for (int i = 0; i < fonts_.size(); ++i) {
    out_.append("\\f");
    number(i);
    out_.append("\\fnil\\fcharset0 ");
    writeEscaped(fonts_.at(i), true);
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

  const auto& runs = text_.runs();
  for (size_t i = 0; i < runs.size();) {
    const QString& link = runs[i].format.link;
    if (link.isEmpty()) {
      writeRun(runs[i++]);
      continue;
    }
    // One field for every neighbouring run with the same link.
    out_.append("{\\field{\\*\\fldinst{HYPERLINK \"");
    QString target = link;
    target.replace(QLatin1Char('"'), QLatin1String("%22"));
    writeEscaped(target, false);
    out_.append("\"}}{\\fldrslt ");
    while (i < runs.size() && runs[i].format.link == link)
      writeRun(runs[i++]);
    out_.append("}}");
  }
  out_.append("}\n");
  return QByteArray(out_.data(), qsizetype(out_.size()));
}

void Writer::collectTables() {
  for (const RichText::Run& run : text_.runs()) {
    const CharFormat& f = run.format;
    if (!f.fontFamily.isEmpty() && !fontNumbers_.contains(f.fontFamily)) {
      fontNumbers_.insert(f.fontFamily, int(fonts_.size()));
      fonts_.append(f.fontFamily);
    }
    if (f.foreground && !colorNumbers_.contains(key(*f.foreground))) {
      colors_.push_back(*f.foreground);
      colorNumbers_.insert(key(*f.foreground), int(colors_.size())); // 0 is "automatic"
    }
  }
}

void Writer::writeRun(const RichText::Run& run) {
  const CharFormat& f = run.format;
  const QStringView text = QStringView(text_.plainText()).mid(run.start, run.length);
  const bool grouped = !isPlain(f);
  if (grouped) {
    out_ += '{';
    writeAttributes(f);
  }
  if (!f.attachment.isEmpty()) {
    for (qsizetype i = 0; i < text.size(); ++i) {
      if (text[i] == QChar(RichText::kAttachmentCharacter))
        writeAttachment(f.attachment);
      else
        writeText(text.mid(i, 1));
    }
  } else {
    writeText(text);
  }
  if (grouped)
    out_ += '}';
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
    out_.append("\\strike");
  if (f.foreground) {
    out_.append("\\cf");
    number(colorNumbers_.value(key(*f.foreground)));
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
  for (const QChar qc : text) {
    const char16_t c = qc.unicode();
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
      out_ += '?';
    }
  }
}

} // namespace

QByteArray RtfWriter::write(const RichText& text) { return Writer(text).run(); }

} // namespace kr
