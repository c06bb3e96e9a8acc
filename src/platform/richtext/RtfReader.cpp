#include "platform/richtext/RtfReader.h"

#include "platform/richtext/RtfParser.h"

namespace kr {

RtfReader::Result RtfReader::read(const QByteArray& rtf) {
  RtfParser parser(rtf);
  Result result;
  result.text = parser.run();
  result.wellFormed = looksLikeRtf(rtf) && parser.finishedCleanly();
  result.textAfterEnd = parser.textAfterEnd();
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
