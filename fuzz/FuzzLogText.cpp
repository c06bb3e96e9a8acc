// Feeds arbitrary bytes to the readers of old plain-text logs: the text
// decoder, the line splitter and the entry parser. Besides crashes it checks
// that the lines cover the text in order without a terminator inside one,
// and that every objective line the parser keeps is a line of the text.
#include "engine/LogEntryParser.h"
#include "engine/LogLineSplitter.h"
#include "engine/LogTextDecoder.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes =
      QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
  const QString text = kr::LogTextDecoder::decode(bytes);
  const std::vector<kr::LogLineSplitter::Line> lines = kr::LogLineSplitter::split(text);
  qsizetype end = 0;
  for (const kr::LogLineSplitter::Line& line : lines) {
    if (line.start < end || line.length < 0 || line.start + line.length > text.size()) {
      std::fprintf(stderr, "line %lld+%lld out of order or range\n", qlonglong(line.start),
                   qlonglong(line.length));
      std::abort();
    }
    for (qsizetype i = line.start; i < line.start + line.length; ++i) {
      if (kr::LogLineSplitter::isLineTerminator(text.at(i))) {
        std::fprintf(stderr, "terminator inside a line at %lld\n", qlonglong(i));
        std::abort();
      }
    }
    end = line.start + line.length;
  }
  kr::LogEntryParser parser;
  for (int n = 0; n < int(lines.size()); ++n)
    parser.addLine(QStringView(text).mid(lines[std::size_t(n)].start, lines[std::size_t(n)].length),
                   n);
  for (const kr::LogEntryParser::Entry& entry : parser.takeEntries()) {
    for (int number : entry.objectiveLines) {
      if (number < 0 || number >= int(lines.size()))
        std::abort();
    }
  }
  return 0;
}
