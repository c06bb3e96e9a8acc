#include "platform/settings/IniLines.h"

#include "platform/HexDigit.h"

#include <QStringDecoder>

#include <array>

namespace kr {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool isSpecial(char c) {
  return c == '\n' || c == '\r' || c == '"' || c == ';' || c == '=' || c == '\\';
}

} // namespace

std::optional<IniLines::Line> IniLines::next(QByteArrayView data, qsizetype& pos) {
  const qsizetype size = data.size();
  bool inQuotes = false;
  Line line;
  line.start = pos;
  while (line.start < size && isSpace(data[line.start]))
    ++line.start;
  qsizetype i = line.start;
  while (i < size) {
    char ch = data[i];
    while (!isSpecial(ch)) {
      if (++i == size)
        goto done;
      ch = data[i];
    }
    ++i;
    if (ch == '=') {
      if (!inQuotes && line.equals == -1)
        line.equals = i - 1;
    } else if (ch == '\n' || ch == '\r') {
      if (i == line.start + 1) {
        ++line.start;
      } else if (!inQuotes) {
        --i;
        goto done;
      }
    } else if (ch == '\\') {
      if (i < size) {
        const char escaped = data[i++];
        if (i < size) {
          const char next = data[i];
          if ((escaped == '\n' && next == '\r') || (escaped == '\r' && next == '\n'))
            ++i;
        }
      }
    } else if (ch == '"') {
      inQuotes = !inQuotes;
    } else { // ';'
      if (i == line.start + 1) {
        // A comment runs to the end of its line. Stopping at either line
        // end reads the shorter comment, so nothing after it goes unchecked.
        while (i < size && data[i] != '\n' && data[i] != '\r')
          ++i;
        while (i < size && isSpace(data[i]))
          ++i;
        line.start = i;
      } else if (!inQuotes) {
        --i;
        goto done;
      }
    }
  }
done:
  pos = i;
  line.length = i - line.start;
  if (line.length <= 0)
    return std::nullopt;
  return line;
}

namespace {

int octValue(char c) { return c >= '0' && c <= '7' ? c - '0' : -1; }

void chopTrailingSpaces(QString& s, qsizetype limit) {
  while (s.size() > limit && (s.back() == u' ' || s.back() == u'\t'))
    s.chop(1);
}

// A value as the INI reader unescapes it: one string, or the items of a
// comma-separated list. `whole` reads it as one text: commas and quotes as
// written, and a backslash before what the reader takes for no escape kept.
QStringList unescaped(QByteArrayView text, bool whole) {
  static constexpr std::array<std::pair<char, char>, 11> simpleEscapes{{{'a', '\a'},
                                                                        {'b', '\b'},
                                                                        {'f', '\f'},
                                                                        {'n', '\n'},
                                                                        {'r', '\r'},
                                                                        {'t', '\t'},
                                                                        {'v', '\v'},
                                                                        {'"', '"'},
                                                                        {'?', '?'},
                                                                        {'\'', '\''},
                                                                        {'\\', '\\'}}};
  QStringList items;
  QString current;
  bool isList = false;
  bool inQuotes = false;
  bool currentQuoted = false;
  QStringDecoder fromUtf8(QStringDecoder::Utf8);
  qsizetype i = 0;
  const qsizetype size = text.size();
  auto skipSpaces = [&] {
    while (i < size && (text[i] == ' ' || text[i] == '\t'))
      ++i;
  };
  // Reads a numeric escape's digits; the value wraps at 16 bits as the
  // reader's does.
  auto numericEscape = [&](char16_t value, int shift, int (*digit)(char)) {
    while (i < size) {
      const int d = digit(text[i]);
      if (d < 0)
        break;
      value = char16_t((value << shift) + d);
      ++i;
    }
    current += QChar(value);
  };

  skipSpaces();
  qsizetype chopLimit = 0;
  bool endedEarly = false; // a lone escape at the end keeps trailing spaces
  while (i < size) {
    const char c = text[i];
    if (c == '\\') {
      ++i;
      if (i >= size) {
        endedEarly = true;
        break;
      }
      const char e = text[i++];
      bool simple = false;
      for (const auto& [code, value] : simpleEscapes) {
        if (e == code) {
          current += QLatin1Char(value);
          simple = true;
          break;
        }
      }
      if (simple) {
        chopLimit = current.size();
        continue;
      }
      if (e == 'x') {
        if (i >= size) {
          endedEarly = true;
          break;
        }
        if (hexDigitValue(text[i]) >= 0)
          numericEscape(0, 4, hexDigitValue);
      } else if (octValue(e) >= 0) {
        numericEscape(char16_t(octValue(e)), 3, octValue);
      } else if (e == '\n' || e == '\r') {
        if (i < size && (text[i] == '\n' || text[i] == '\r') && text[i] != e)
          ++i;
      } else if (whole) {
        current += u'\\';
        --i; // what follows is read as written
      }
      chopLimit = current.size();
    } else if (c == '"' && !whole) {
      ++i;
      currentQuoted = true;
      inQuotes = !inQuotes;
      if (!inQuotes) {
        skipSpaces();
        chopLimit = current.size();
      }
    } else if (c == ',' && !inQuotes && !whole) {
      if (!currentQuoted)
        chopTrailingSpaces(current, chopLimit);
      isList = true;
      items.append(current);
      current.clear();
      currentQuoted = false;
      ++i;
      skipSpaces();
      chopLimit = 0;
    } else {
      qsizetype j = i + 1;
      while (j < size && text[j] != '\\' && text[j] != '"' && text[j] != ',')
        ++j;
      current += fromUtf8(text.sliced(i, j - i));
      i = j;
    }
  }
  if (!endedEarly && !currentQuoted)
    chopTrailingSpaces(current, chopLimit);
  if (isList)
    items.append(current);
  else
    items = QStringList{current};
  return items;
}

// The value of an entry from `from` to the end of the line on which its
// logical line ends at `logicalEnd`, past a ';' the reader takes for the
// start of a comment: a backslash before a line end carries it over.
QByteArrayView valueToLineEnd(QByteArrayView data, qsizetype from, qsizetype logicalEnd) {
  qsizetype end = logicalEnd;
  while (end < data.size() && data[end] != '\n' && data[end] != '\r') {
    if (data[end] == '\\' && end + 1 < data.size()) {
      ++end;
      const char escaped = data[end];
      if (end + 1 < data.size() && (escaped == '\n' || escaped == '\r') &&
          (data[end + 1] == '\n' || data[end + 1] == '\r') && data[end + 1] != escaped)
        ++end;
    }
    ++end;
  }
  return data.sliced(from, end - from);
}

// Whether the reader gives `value` back as it stands: it holds no comma,
// semicolon or quote outside an escape, or it is one quoted string, as Qt
// writes a text holding them.
bool givenBackWhole(QByteArrayView value) {
  value = value.trimmed();
  qsizetype firstQuote = -1;
  qsizetype secondQuote = -1;
  bool special = false;
  for (qsizetype i = 0; i < value.size(); ++i) {
    const char c = value[i];
    if (c == '\\') {
      ++i;
    } else if (c == ',' || c == ';' || c == '"') {
      special = true;
      if (c == '"' && firstQuote < 0)
        firstQuote = i;
      else if (c == '"' && secondQuote < 0)
        secondQuote = i;
    }
  }
  return !special || (firstQuote == 0 && secondQuote == value.size() - 1);
}

// A key as the store names it: a section's keys follow its name and a
// slash, but those of "General" stand alone.
QString storedKey(const QString& section, QByteArrayView key) {
  const QString name = QString::fromUtf8(key.trimmed()).replace(u'\\', u'/');
  return section.isEmpty() ? name : section + u'/' + name;
}

QString sectionName(QByteArrayView line) {
  qsizetype end = line.indexOf(']');
  if (end < 0)
    end = line.size();
  const QString name = QString::fromUtf8(line.sliced(1, end - 1).trimmed());
  return name.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0 ? QString() : name;
}

} // namespace

QStringList IniLines::unescapedItems(QByteArrayView text) { return unescaped(text, false); }

QHash<QString, QString> IniLines::wholeTexts(QByteArrayView data) {
  QHash<QString, QString> texts;
  QString section;
  qsizetype pos = 0;
  while (const std::optional<Line> line = next(data, pos)) {
    if (data[line->start] == '[') {
      section = sectionName(data.sliced(line->start, line->length));
      continue;
    }
    if (line->equals < 0)
      continue;
    const QString key = storedKey(section, data.sliced(line->start, line->equals - line->start));
    const QByteArrayView value = valueToLineEnd(data, line->equals + 1, line->start + line->length);
    // The last entry of a key is the one read.
    if (givenBackWhole(value))
      texts.remove(key);
    else
      texts.insert(key, unescaped(value, true).value(0));
  }
  return texts;
}

} // namespace kr
