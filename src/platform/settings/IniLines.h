#pragma once

#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

namespace kr {

// A settings file read the way Qt's INI reader splits it into entries and
// unescapes their values, without decoding any of them.
class IniLines {
public:
  struct Line {
    qsizetype start = 0;
    qsizetype length = 0;
    qsizetype equals = -1; // position in the data, or -1
  };

  // The logical line from `pos`, which moves past it: quotes and a backslash
  // before a line end carry it over; a ';' at its start makes it a comment,
  // elsewhere ends it. None at the end of the data.
  static std::optional<Line> next(QByteArrayView data, qsizetype& pos);

  // A value as the reader unescapes it: one string, or the items of a
  // comma-separated list.
  static QStringList unescapedItems(QByteArrayView text);

  // The entries written by hand whose text the reader does not give back
  // whole (it splits it at a comma into a list, cuts it at a ';' or drops
  // its quotes), by key, each with that whole text: to the end of its line,
  // escapes read as the reader reads them, commas, semicolons and quotes as
  // written, spaces at either end left out. A value as Qt writes text (one
  // quoted string, or with none of those) is given back whole and is not
  // among them.
  static QHash<QString, QString> wholeTexts(QByteArrayView data);
};

} // namespace kr
