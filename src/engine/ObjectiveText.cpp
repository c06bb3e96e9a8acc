#include "engine/ObjectiveText.h"

#include <QList>

#include <cmath>

namespace kr {

namespace {

// "#rrggbb" -> components; anything else is black.
void colorComponents(const QString& text, int* red, int* green, int* blue) {
  *red = *green = *blue = 0;
  if (text.size() != 7 || !text.startsWith(u'#'))
    return;
  bool ok = false;
  const uint rgb = QStringView(text).mid(1).toUInt(&ok, 16);
  if (!ok)
    return;
  *red = static_cast<int>((rgb >> 16) & 0xff);
  *green = static_cast<int>((rgb >> 8) & 0xff);
  *blue = static_cast<int>(rgb & 0xff);
}

// RTF text is 7-bit: escape the syntax characters and write everything else
// outside ASCII as \uN (UTF-16 code units, signed as RTF wants them).
QByteArray escaped(const QString& text) {
  QByteArray out;
  out.reserve(text.size() + 16);
  for (const QChar c : text) {
    const char16_t u = c.unicode();
    if (u == u'\\' || u == u'{' || u == u'}') {
      out += '\\';
      out += static_cast<char>(u);
    } else if (u == u'\n') {
      out += "\\par\n";
    } else if (u == u'\t') {
      out += "\\tab ";
    } else if (u == u'\r') {
      continue;
    } else if (u < 0x80) {
      out += static_cast<char>(u);
    } else {
      out += "\\u" + QByteArray::number(static_cast<qint16>(u)) + '?';
    }
  }
  return out;
}

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Groups that hold no document text.
bool isIgnoredDestination(const QByteArray& word) {
  static const QList<QByteArray> words = {"fonttbl", "colortbl", "stylesheet", "info",
                                          "pict",    "header",   "footer",     "listtable",
                                          "filetbl", "object",   "themedata"};
  return words.contains(word);
}

struct GroupState {
  bool skip = false;
  int unicodeSkip = 1;
};

// Plain text of an RTF document: the characters outside ignored groups.
QString rtfPlainText(const QByteArray& rtf) {
  QString out;
  QList<GroupState> stack{GroupState{}};
  int pendingSkip = 0; // fallback characters after \uN
  const qsizetype n = rtf.size();
  for (qsizetype i = 0; i < n;) {
    const char c = rtf.at(i);
    GroupState& state = stack.last();
    if (c == '{' || c == '}') {
      if (c == '{') {
        const GroupState inherited = state;
        stack.append(inherited);
      } else if (stack.size() > 1)
        stack.removeLast();
      pendingSkip = 0;
      ++i;
      continue;
    }
    if (c == '\r' || c == '\n') {
      ++i;
      continue;
    }
    if (c != '\\') {
      if (pendingSkip > 0)
        --pendingSkip;
      else if (!state.skip)
        out += QChar::fromLatin1(c);
      ++i;
      continue;
    }
    // A control word or symbol.
    ++i;
    if (i >= n)
      break;
    const char s = rtf.at(i);
    if (!isAsciiLetter(s)) {
      ++i;
      if (s == '\'' && i + 1 < n) {
        bool ok = false;
        const int byte = rtf.mid(i, 2).toInt(&ok, 16);
        i += 2;
        if (pendingSkip > 0)
          --pendingSkip;
        else if (ok && !state.skip)
          out += QChar::fromLatin1(static_cast<char>(byte));
      } else if (s == '*') {
        state.skip = true;
      } else if (s == '~' && !state.skip) {
        out += QChar(0x00a0);
      } else if ((s == '\\' || s == '{' || s == '}') && !state.skip) {
        out += QChar::fromLatin1(s);
      }
      continue;
    }
    const qsizetype wordStart = i;
    while (i < n && isAsciiLetter(rtf.at(i)))
      ++i;
    const QByteArray word = rtf.mid(wordStart, i - wordStart);
    const qsizetype numberStart = i;
    if (i < n && rtf.at(i) == '-')
      ++i;
    while (i < n && isDigit(rtf.at(i)))
      ++i;
    const bool hasNumber = i > numberStart;
    const int number = hasNumber ? rtf.mid(numberStart, i - numberStart).toInt() : 0;
    if (i < n && rtf.at(i) == ' ')
      ++i;
    if (isIgnoredDestination(word)) {
      state.skip = true;
    } else if (word == "uc" && hasNumber) {
      state.unicodeSkip = qMax(0, number);
    } else if (word == "u" && hasNumber) {
      if (!state.skip)
        out += QChar(static_cast<char16_t>(number < 0 ? number + 65536 : number));
      pendingSkip = state.unicodeSkip;
    } else if (!state.skip && (word == "par" || word == "line")) {
      out += u'\n';
    } else if (!state.skip && word == "tab") {
      out += u'\t';
    }
  }
  return out;
}

} // namespace

ObjectiveText ObjectiveText::fromPlainText(const QString& text, const Style& style) {
  int red = 0, green = 0, blue = 0;
  colorComponents(style.textColor, &red, &green, &blue);
  const int halfPoints =
      std::isfinite(style.pointSize) && style.pointSize > 0 && style.pointSize < 1000
          ? static_cast<int>(std::lround(style.pointSize * 2))
          : 24;
  QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n{\\fonttbl{\\f0\\fnil " +
                   escaped(style.fontFamily) + ";}}\n";
  rtf += "{\\colortbl;\\red" + QByteArray::number(red) + "\\green" + QByteArray::number(green) +
         "\\blue" + QByteArray::number(blue) + ";}\n";
  rtf += "\\pard\\f0\\fs" + QByteArray::number(halfPoints) + "\\cf1 " + escaped(text) + "}";
  return ObjectiveText(rtf);
}

QString ObjectiveText::plainText() const {
  if (!data_.startsWith("{\\rtf"))
    return QString::fromUtf8(data_);
  return rtfPlainText(data_);
}

} // namespace kr
