#include "engine/FullDataSet.h"

#include "engine/LogEntryParser.h"
#include "engine/LogFile.h"
#include "engine/LogLineSplitter.h"
#include "engine/LogTextDecoder.h"
#include "platform/files/FileOperations.h"
#include "platform/richtext/RtfOwnFormReader.h"
#include "platform/richtext/RtfReader.h"
#include "platform/richtext/RtfdPackage.h"

#include <algorithm>
#include <span>

#include <QVarLengthArray>

namespace kr {

namespace {

// How many records ahead a pass over the records asks for the one it reads.
constexpr std::size_t kRecordsAhead = 8;

QString faultyEntriesProblem(int count) {
  return count == 1 ? QStringLiteral("has 1 entry with a missing or unreadable value")
                    : QStringLiteral("has %1 entries with missing or unreadable values").arg(count);
}

// Gives the record its objective: the lines with their attributes, joined
// by line feeds.
void setObjectiveOf(FullTimeSlice& slice, const RichText& text,
                    std::span<const LogLineSplitter::Line> lines,
                    const std::shared_ptr<ObjectiveFormats>& formats) {
  const LogLineSplitter::Line& first = lines.front();
  const LogLineSplitter::Line& last = lines.back();
  const qsizetype end = last.start + last.length;
  // The lines follow one another: when each ends in a line feed, the stretch
  // of text that holds them is the objective as it stands.
  bool lineFeedsOnly = true;
  for (std::size_t i = 0; i + 1 < lines.size() && lineFeedsOnly; ++i) {
    const qsizetype terminator = lines[i].start + lines[i].length;
    lineFeedsOnly =
        terminator + 1 == lines[i + 1].start && text.plainText().at(terminator) == u'\n';
  }
  if (lineFeedsOnly) {
    slice.setObjectiveText(text, int(first.start), int(end - first.start), formats);
    return;
  }
  RichText objective;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0)
      objective.append(u"\n");
    objective.append(text.mid(int(lines[i].start), int(lines[i].length)));
  }
  slice.setObjectiveText(objective, formats);
}

// The rich text of the document's text from `from` to `to`.
RichText richTextOf(const RtfOwnFormReader& document, qsizetype from, qsizetype to) {
  RichText text;
  const std::vector<RtfOwnFormReader::Run>& runs = document.runs();
  for (std::size_t r = document.runAt(from); from < to; ++r) {
    const qsizetype runEnd = r + 1 < runs.size() ? runs[r + 1].start : document.text().size();
    const qsizetype until = std::min(runEnd, to);
    CharFormat format = document.formats()[runs[r].format];
    if (runs[r].link > 0)
      format.link = document.links()[runs[r].link - 1];
    text.append(document.text().mid(from, until - from), format);
    from = until;
  }
  return text;
}

// setObjectiveOf() for a document read in the writer's form: the record
// gets what the rich text of the same document would give it. The formats
// are numbered in the file's table as they are first used.
void setObjectiveOf(FullTimeSlice& slice, const RtfOwnFormReader& document,
                    std::span<const LogLineSplitter::Line> lines,
                    const std::shared_ptr<ObjectiveFormats>& formats,
                    std::vector<qint64>& formatNumbers) {
  const QStringView text = document.text();
  const qsizetype from = lines.front().start;
  const qsizetype to = lines.back().start + lines.back().length;
  bool lineFeedsOnly = true;
  for (std::size_t i = 0; i + 1 < lines.size() && lineFeedsOnly; ++i) {
    const qsizetype terminator = lines[i].start + lines[i].length;
    lineFeedsOnly = terminator + 1 == lines[i + 1].start && text[terminator] == u'\n';
  }
  if (!lineFeedsOnly) {
    // Lines ended otherwise: rare enough to go through rich text.
    std::vector<LogLineSplitter::Line> shifted(lines.begin(), lines.end());
    for (LogLineSplitter::Line& line : shifted)
      line.start -= from;
    setObjectiveOf(slice, richTextOf(document, from, to), shifted, formats);
    return;
  }
  QVarLengthArray<FullTimeSlice::Stretch, 16> stretches;
  const std::vector<RtfOwnFormReader::Run>& runs = document.runs();
  for (std::size_t r = document.runAt(from); r < runs.size() && runs[r].start < to; ++r) {
    const RtfOwnFormReader::Run& run = runs[r];
    const qsizetype runEnd = r + 1 < runs.size() ? runs[r + 1].start : text.size();
    const int length = int(std::min(runEnd, to) - std::max(run.start, from));
    qint64& number = formatNumbers[run.format];
    if (number < 0)
      number = formats->indexOf(document.formats()[run.format]);
    const QString* link = run.link > 0 ? &document.links()[run.link - 1] : nullptr;
    if (!stretches.isEmpty() && stretches.back().format == quint32(number) &&
        stretches.back().link == link)
      stretches.back().length += length;
    else
      stretches.append(FullTimeSlice::Stretch{length, quint32(number), link});
  }
  slice.setObjectiveStretches(text.mid(from, to - from), stretches.constData(),
                              std::size_t(stretches.size()), formats);
}

// The records of a log's text; `setObjective(slice, lines, formats)` gives
// a record its objective from its lines. `lineEnds`, when given, holds where
// the text's lines end.
template <typename SetObjective>
FullDataSet::FileContents recordsOf(QStringView plain, SetObjective&& setObjective,
                                    const std::span<const qsizetype>* lineEnds = nullptr) {
  LogEntryParser parser;
  // Room for the entries of a day: each takes a few hundred characters.
  parser.reserve(std::size_t(plain.size() / 256 + 1));
  const auto addLine = [&parser](QStringView line, qsizetype start) {
    parser.addLine(line, start);
  };
  if (lineEnds)
    LogLineSplitter::forEachLine(plain, *lineEnds, addLine);
  else
    LogLineSplitter::forEachLine(plain, addLine);
  FullDataSet::FileContents contents;
  const int faulty = parser.faultyEntryCount();
  if (faulty > 0)
    contents.problem = faultyEntriesProblem(faulty);
  std::vector<LogEntryParser::Entry> entries = parser.takeEntries();
  contents.timeSlices.reserve(entries.size());
  // The records of a file share their objectives' formats; their tag texts
  // are shared by the records themselves.
  const auto formats = std::make_shared<ObjectiveFormats>();
  for (LogEntryParser::Entry& entry : entries) {
    if (!entry.objectiveLines.empty())
      setObjective(*entry.slice, std::span<const LogLineSplitter::Line>(entry.objectiveLines),
                   formats);
    contents.timeSlices.push_back(std::move(entry.slice));
  }
  formats->finish();
  if (const auto shared = ObjectiveFormats::shared(formats); shared != formats) {
    for (const FullTimeSlicePtr& slice : contents.timeSlices)
      slice->shareFormats(formats, shared);
  }
  // Entries added after a text that ends in a line end (its last line is
  // the empty one after it) read as records after these, unchanged, unless
  // the last entry still waits for a value or more lines of its objective.
  contents.endsCleanly = plain.isEmpty() || (LogLineSplitter::isLineTerminator(plain.back()) &&
                                             parser.waitedForNothingBeforeLastLine());
  return contents;
}

} // namespace

FullDataSet::FileContents FullDataSet::loadRTFDFile(const QString& path) {
  // Attachments are not kept in logs: the text is all a reader needs. Only a
  // regular file is read, so a pipe in its place cannot block the reader.
  FileOperations::ReadOptions options;
  options.followLink = false;
  QString error;
  const std::optional<QByteArray> rtf =
      FileOperations::readRegularFile(path + QStringLiteral("/TXT.rtf"), &error, options);
  if (!rtf)
    return {{}, QStringLiteral("cannot be read: ") + error, false};
  return createTimeSlicesFromRtf(*rtf);
}

FullDataSet::FileContents FullDataSet::createTimeSlicesFromRtf(QByteArray rtf, bool generalOnly) {
  // Its buffers serve every file this thread reads.
  thread_local RtfOwnFormReader ownForm;
  if (!generalOnly && ownForm.read(rtf)) {
    rtf = QByteArray();
    std::vector<qint64> formatNumbers(ownForm.formats().size(), -1);
    const std::span<const qsizetype> lineEnds = ownForm.lineEnds();
    FileContents contents = recordsOf(
        ownForm.text(),
        [&](FullTimeSlice& slice, std::span<const LogLineSplitter::Line> lines,
            const std::shared_ptr<ObjectiveFormats>& formats) {
          setObjectiveOf(slice, ownForm, lines, formats, formatNumbers);
        },
        &lineEnds);
    ownForm.trim();
    return contents;
  }
  if (!RtfReader::looksLikeRtf(rtf))
    return {{}, QStringLiteral("did not contain any legal data and was skipped"), false};
  RtfReader::Result read = RtfReader::read(rtf);
  rtf = QByteArray();
  // A record's objective keeps its characters' formats; the layout of the
  // paragraphs it stands in is the day's.
  read.text.clearParagraphFormats();
  FileContents contents = createTimeSlicesFromRichText(read.text);
  if (!read.wellFormed) {
    // What could be read is kept: a cut-off entry is still the user's data.
    const QString damaged =
        QStringLiteral("is damaged: its text ends before the document does (cut off); the %1 "
                       "that could be read %2 kept")
            .arg(contents.timeSlices.size() == 1
                     ? QStringLiteral("1 entry")
                     : QStringLiteral("%1 entries").arg(contents.timeSlices.size()),
                 contents.timeSlices.size() == 1 ? QStringLiteral("is") : QStringLiteral("are"));
    contents.problem =
        contents.problem.isEmpty() ? damaged : damaged + QStringLiteral("; ") + contents.problem;
  }
  return contents;
}

FullDataSet::FileContents FullDataSet::loadPlainTextFile(const QString& path,
                                                         const PlainTextStyle& style) {
  QString error;
  const std::optional<QByteArray> bytes = FileOperations::readRegularFile(path, &error);
  if (!bytes)
    return {{}, QStringLiteral("cannot be read: ") + error, false};
  return createTimeSlicesFromText(LogTextDecoder::decode(*bytes), style);
}

FullDataSet::FileContents FullDataSet::createTimeSlicesFromText(const QString& text,
                                                                const PlainTextStyle& style) {
  CharFormat format;
  format.fontFamily = style.fontFamily;
  format.fontSize = style.pointSize;
  format.foreground = RgbColor::fromHex(style.textColor);
  return createTimeSlicesFromRichText(RichText(text, format));
}

FullDataSet::FileContents FullDataSet::createTimeSlicesFromRichText(const RichText& text) {
  return recordsOf(text.plainText(),
                   [&text](FullTimeSlice& slice, std::span<const LogLineSplitter::Line> lines,
                           const std::shared_ptr<ObjectiveFormats>& formats) {
                     setObjectiveOf(slice, text, lines, formats);
                   });
}

void FullDataSet::beginLoading(std::size_t records) {
  // A load replaces what an earlier one left.
  fullTimeSlices_.clear();
  fullTimeSlices_.reserve(records);
}

void FullDataSet::appendFile(const LogFile& file) {
  for (const FullTimeSlicePtr& slice : file.timeSlicesInFile())
    fullTimeSlices_.push_back(slice.get());
}

void FullDataSet::finishLoading() {
  // Newest first; equal start dates keep the order of folder and file. Logs
  // are mostly written in time order, so the reverse of the reading order is
  // usually that order already and needs no sort.
  const std::size_t count = fullTimeSlices_.size();
  bool strictlyAscending = true;
  bool newestFirst = true;
  for (std::size_t i = 1; i < count && (strictlyAscending || newestFirst); ++i) {
    // The records lie far apart: those to come are asked for early.
    if (i + kRecordsAhead < count)
      fullTimeSlices_[i + kRecordsAhead]->prefetchStart();
    const qint64 previous = fullTimeSlices_[i - 1]->startMSecsSinceEpoch();
    const qint64 next = fullTimeSlices_[i]->startMSecsSinceEpoch();
    strictlyAscending = strictlyAscending && previous < next;
    newestFirst = newestFirst && previous >= next;
  }
  if (strictlyAscending && count > 1) {
    std::reverse(fullTimeSlices_.begin(), fullTimeSlices_.end());
  } else if (!newestFirst) {
    std::stable_sort(fullTimeSlices_.begin(), fullTimeSlices_.end(),
                     [](const FullTimeSlice* a, const FullTimeSlice* b) {
                       return a->startMSecsSinceEpoch() > b->startMSecsSinceEpoch();
                     });
  }
  fullTimeSlices_.shrink_to_fit();
  timeSlices_ = {};
  rawViewMade_ = false;
  generateUUIDMap();
}

void FullDataSet::makeRawView() const {
  timeSlices_.assign(fullTimeSlices_.begin(), fullTimeSlices_.end());
}

void FullDataSet::generateUUIDMap() {
  std::size_t size = 16;
  while (size < fullTimeSlices_.size() * 2)
    size *= 2;
  uuidTable_.assign(size, 0);
  uuidCount_ = 0;
  const std::size_t mask = size - 1;
  // In list order, so that of several records with one identifier the last
  // in the list, the oldest, stays.
  for (std::size_t n = 0; n < fullTimeSlices_.size(); ++n) {
    if (n + kRecordsAhead < fullTimeSlices_.size())
      fullTimeSlices_[n + kRecordsAhead]->prefetchUuid();
    const FullTimeSlice::UuidKey key = fullTimeSlices_[n]->uuidKey();
    for (std::size_t i = key.hash & mask;; i = (i + 1) & mask) {
      quint32& slot = uuidTable_[i];
      if (slot == 0)
        ++uuidCount_;
      else if (!fullTimeSlices_[slot - 1]->hasUuid(key))
        continue;
      slot = quint32(n + 1);
      break;
    }
  }
}

const FullTimeSlice* FullDataSet::timeSliceWithUuid(const QString& uuid) const {
  if (uuidTable_.empty())
    return nullptr;
  const FullTimeSlice::UuidKey key = FullTimeSlice::uuidKey(uuid);
  const std::size_t mask = uuidTable_.size() - 1;
  for (std::size_t i = key.hash & mask;; i = (i + 1) & mask) {
    const quint32 slot = uuidTable_[i];
    if (slot == 0)
      return nullptr;
    if (fullTimeSlices_[slot - 1]->hasUuid(key))
      return fullTimeSlices_[slot - 1];
  }
}

} // namespace kr
