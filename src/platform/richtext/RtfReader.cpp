#include "platform/richtext/RtfReader.h"

#include "platform/richtext/RtfParser.h"

#include <iterator>

namespace kr {

RtfReader::Result RtfReader::read(const QByteArray& rtf) {
  RtfParser parser(rtf);
  Result result;
  result.text = parser.run();
  result.wellFormed = looksLikeRtf(rtf) && parser.finishedCleanly();
  result.textAfterEnd = parser.textAfterEnd();
  result.unkept = parser.unkept();
  return result;
}

QStringList RtfReader::unkeptNames(quint32 unkept) {
  static const char* const names[] = {"footnotes",
                                      "headers or footers",
                                      "soft hyphens",
                                      "page or section breaks",
                                      "hidden text",
                                      "superscript or subscript",
                                      "lists",
                                      "embedded objects",
                                      "fields other than links",
                                      "drawings",
                                      "pictures",
                                      "tables",
                                      "comments",
                                      "tracked changes",
                                      "bookmarks",
                                      "other formatting"};
  QStringList result;
  for (std::size_t i = 0; i < std::size(names); ++i) {
    if (unkept & (1u << i))
      result.append(QLatin1String(names[i]));
  }
  return result;
}

bool RtfReader::looksLikeRtf(const QByteArray& data) {
  qsizetype i = 0;
  if (data.startsWith("\xEF\xBB\xBF"))
    i = 3;
  while (i < data.size() &&
         (data[i] == ' ' || data[i] == '\t' || data[i] == '\r' || data[i] == '\n'))
    ++i;
  return data.mid(i, 5) == "{\\rtf";
}

} // namespace kr
