// Feeds arbitrary bytes to the readers of old plain-text logs: the text
// decoder, the line splitter and the entry parser. Besides crashes it checks
// that the lines cover the text in order without a terminator inside one,
// and that every objective line the parser keeps is a line of the text.
#include "engine/LogEntryParser.h"
#include "engine/LogLineSplitter.h"
#include "engine/LogTextDecoder.h"

#include <algorithm>
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
  // The lines met one by one are those split() gives.
  std::size_t visited = 0;
  kr::LogLineSplitter::forEachLine(text, [&](QStringView line, qsizetype start) {
    if (visited >= lines.size() || lines[visited].start != start ||
        lines[visited].length != line.size() || line.data() != text.constData() + start)
      std::abort();
    ++visited;
  });
  if (visited != lines.size())
    std::abort();
  kr::LogEntryParser parser;
  for (const kr::LogLineSplitter::Line& line : lines)
    parser.addLine(QStringView(text).mid(line.start, line.length), line.start);
  for (const kr::LogEntryParser::Entry& entry : parser.takeEntries()) {
    for (const kr::LogLineSplitter::Line& kept : entry.objectiveLines) {
      const auto found = std::find_if(lines.begin(), lines.end(), [&](const auto& line) {
        return line.start == kept.start && line.length == kept.length;
      });
      if (found == lines.end())
        std::abort();
    }
  }
  return 0;
}
