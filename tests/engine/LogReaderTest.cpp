#include "engine/FullDataSet.h"
#include "engine/LogEntryParser.h"
#include "engine/LogEntryValues.h"
#include "engine/LogFile.h"
#include "engine/LogFileCache.h"
#include "engine/LogLineSplitter.h"
#include "engine/LogTextDecoder.h"
#include "engine/Logger.h"
#include "platform/richtext/RtfdPackage.h"

#include "support/TestEnvironment.h"
#include "support/ZoneScope.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

using namespace kr;

namespace {

const QString kDataFolder = QStringLiteral(KR_TEST_DATA_DIR "/logs");

QDateTime local(int y, int mo, int d, int h, int mi, int s = 0) {
  return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::LocalTime);
}

QStringList lines(const QString& text) {
  QStringList result;
  for (const auto& line : LogLineSplitter::split(text))
    result.append(text.mid(line.start, line.length));
  return result;
}

QStringList uuids(const std::vector<const FullTimeSlice*>& slices) {
  QStringList result;
  for (const auto& slice : slices)
    result.append(slice->uuid().right(3));
  return result;
}

// A copy of the hand-written logs in a folder of its own.
class LogFolder {
public:
  LogFolder() {
    for (const QString& name : QDir(kDataFolder).entryList(QDir::Files))
      QFile::copy(kDataFolder + u'/' + name, path(name));
  }
  QString path(const QString& name = QString()) const {
    return name.isEmpty() ? dir_.path() : dir_.path() + u'/' + name;
  }

private:
  QTemporaryDir dir_;
};

bool writeFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

TEST(LogEntryValuesTest, NumbersBooleansAndDatesReadAsTheLogWritesThem) {
  EXPECT_EQ(LogEntryValues::floatValue(u"1500").value(), 1500.0f);
  EXPECT_EQ(LogEntryValues::floatValue(u"  -30").value(), -30.0f);
  EXPECT_EQ(LogEntryValues::floatValue(u"1200.5 s").value(), 1200.5f);
  EXPECT_EQ(LogEntryValues::floatValue(u".5").value(), 0.5f);
  EXPECT_EQ(LogEntryValues::floatValue(u"2e3").value(), 2000.0f);
  EXPECT_FALSE(LogEntryValues::floatValue(u"twenty").has_value());
  EXPECT_FALSE(LogEntryValues::floatValue(u"").has_value());
  EXPECT_FALSE(LogEntryValues::floatValue(u"-").has_value());
  // Whole numbers read without the general conversion read as with it.
  EXPECT_TRUE(std::signbit(LogEntryValues::floatValue(u"-0").value()));
  EXPECT_EQ(LogEntryValues::floatValue(u"9999999").value(), 9999999.0f);
  EXPECT_EQ(LogEntryValues::floatValue(u"0001500").value(), 1500.0f);
  EXPECT_FALSE(std::signbit(LogEntryValues::floatValue(u"0").value()));
  EXPECT_EQ(LogEntryValues::floatValue(u" 15/").value(), 15.0f);
  EXPECT_EQ(LogEntryValues::floatValue(u"15:").value(), 15.0f);
  // Characters far above the digits in their places read as no number.
  EXPECT_FALSE(LogEntryValues::floatValue(u"\uffff\uffff\uffff\uffff\uffff\uffff\uffff"));
  EXPECT_EQ(LogEntryValues::floatValue(u"0009999999").value(), 9999999.0f);
  EXPECT_EQ(LogEntryValues::floatValue(u"16777217").value(), 16777216.0f);
  EXPECT_EQ(LogEntryValues::floatValue(u"+12").value(), 12.0f);
  EXPECT_EQ(LogEntryValues::floatValue(u"12abc").value(), 12.0f);

  EXPECT_TRUE(LogEntryValues::boolValue(u"YES"));
  EXPECT_TRUE(LogEntryValues::boolValue(u"  true"));
  EXPECT_TRUE(LogEntryValues::boolValue(u"7"));
  EXPECT_FALSE(LogEntryValues::boolValue(u"NO"));
  EXPECT_FALSE(LogEntryValues::boolValue(u"0"));
  EXPECT_FALSE(LogEntryValues::boolValue(u""));

  EXPECT_EQ(LogEntryValues::dateValue(QStringLiteral("2020-03-07 09:05:00")).value(),
            local(2020, 3, 7, 9, 5));
  EXPECT_FALSE(LogEntryValues::dateValue(QStringLiteral("2020-02-30 09:05:00")).has_value());
  EXPECT_FALSE(LogEntryValues::dateValue(QStringLiteral("yesterday")).has_value());
  // The writer's exact form is read as its instant at once; any other
  // character in a digit's place, or a time out of range, is not.
  LocalClockTimes times;
  EXPECT_EQ(LogEntryValues::instantValue(u"2020-03-07 23:59:59", times).value().msecs,
            local(2020, 3, 7, 23, 59, 59).toMSecsSinceEpoch());
  for (const char16_t* other :
       {u"2020-03-07 24:00:00", u"2020-03-07 09:60:00", u"2020-03-07 09:05:60",
        u"2020-02-30 09:05:00", u"2020-03-07 09:05:0/", u"2020-03-07 09:05:0:",
        u"2020-03-07T09:05:00", u"2020-03-07 09:05:0\uff10", u"2020-03-07 09:05:00 ",
        u"\uffff\uffff\uffff\uffff-\uffff\uffff-07 \uffff\uffff:05:00"})
    EXPECT_FALSE(LogEntryValues::instantValue(other, times).has_value())
        << QString::fromUtf16(other).toStdString();
}

TEST(LogEntryParserTest, OnlyWholeKeywordLinesAreKeywords) {
  LogEntryParser parser;
  const QStringList lines = {
      "#TimeSlice",  "id-1",     "#objective",          "#TimeSlicE", "#tags ", "#Tags",
      "#startDat",   "#endDate", "2020-03-07 09:05:00", "#success",   "YES",    "#objective",
      "#completedX", "#tags",    "#objective"};
  for (int n = 0; n < lines.size(); ++n)
    parser.addLine(lines[n], n);
  std::vector<LogEntryParser::Entry> entries = parser.takeEntries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].slice->uuid(), QStringLiteral("id-1"));
  QList<qsizetype> objectiveLines;
  for (const LogLineSplitter::Line& line : entries[0].objectiveLines)
    objectiveLines.append(line.start);
  EXPECT_EQ(objectiveLines, (QList<qsizetype>{3, 4, 5, 6, 12}));
  EXPECT_EQ(entries[0].slice->endDate(), local(2020, 3, 7, 9, 5));
  EXPECT_TRUE(entries[0].slice->success());
  // The line after "#tags" is the tags, even when it reads like a keyword.
  EXPECT_EQ(entries[0].slice->tagString(), QStringLiteral("#objective"));
}

// Whether entries added after `text` read as records after its own, worked
// out over the lines once more: the rule the reader applies as it parses.
bool endsCleanlyByLines(const QString& text) {
  if (text.isEmpty())
    return true;
  const QStringList all = lines(text);
  if (!LogLineSplitter::isLineTerminator(text.back()))
    return false;
  static const QStringList keywords = {
      "#TimeSlice", "#duration", "#actualDuration", "#startDate", "#endDate",
      "#completed", "#success",  "#focusRating",    "#tags",      "#objective"};
  enum class Waiting { Nothing, Value, Objective, Tags } waiting = Waiting::Nothing;
  bool objectiveHasLines = false;
  for (qsizetype i = 0; i + 1 < all.size(); ++i) {
    const bool keyword = keywords.contains(all[i]);
    if (!keyword || waiting == Waiting::Tags) {
      if (waiting == Waiting::Objective)
        objectiveHasLines = objectiveHasLines || !all[i].isEmpty();
      else
        waiting = Waiting::Nothing;
    } else if (all[i] == u"#objective") {
      waiting = Waiting::Objective;
      objectiveHasLines = false;
    } else {
      waiting = all[i] == u"#tags" ? Waiting::Tags : Waiting::Value;
    }
  }
  return waiting == Waiting::Nothing || (waiting == Waiting::Objective && !objectiveHasLines);
}

TEST(LogEntryParserTest, EndOfTextIsCleanExactlyWhereNoEntryWaitsForALine) {
  // Every text of up to four lines from these, each line ended by one of the
  // terminators or, for the last, by none.
  const QStringList pieces = {"#TimeSlice", "#objective", "#tags", "#duration", "", "text"};
  const QStringList ends = {"\n", "\r\n", QString(QChar(0x2029)), QString()};
  int clean = 0;
  int checked = 0;
  std::vector<QString> texts = {QString()};
  for (int length = 1; length <= 4; ++length) {
    std::vector<QString> longer;
    for (const QString& text : texts) {
      for (const QString& piece : pieces) {
        for (const QString& end : ends) {
          const QString made = text + piece + end;
          if (!end.isEmpty())
            longer.push_back(made);
          const bool expected = endsCleanlyByLines(made);
          ASSERT_EQ(FullDataSet::createTimeSlicesFromText(made).endsCleanly, expected)
              << made.toStdString();
          clean += expected ? 1 : 0;
          ++checked;
        }
      }
    }
    texts = std::move(longer);
  }
  // Both answers occur often among the texts.
  EXPECT_GT(clean, checked / 10);
  EXPECT_LT(clean, checked * 9 / 10);
}

TEST(LogLineSplitterTest, EveryTerminatorEndsALineAndCrLfIsOne) {
  EXPECT_EQ(lines(QStringLiteral("a\r\nb")), (QStringList{"a", "b"}));
  EXPECT_EQ(lines(QStringLiteral("a\n\nb")), (QStringList{"a", "", "b"}));
  EXPECT_EQ(lines(QStringLiteral("a\rb\n")), (QStringList{"a", "b", ""}));
  EXPECT_EQ(lines(QString::fromUtf16(u"a\u2028b\u0085c\u2029d\fe")),
            (QStringList{"a", "b", "c", "d", "e"}));
  EXPECT_EQ(lines(QStringLiteral("a\n\rb")), (QStringList{"a", "", "b"}));
  // Terminators at and around every place of a block of eight characters.
  for (int at = 0; at < 20; ++at) {
    for (const char16_t terminator : {u'\n', u'\v', u'\r', char16_t(0x85), char16_t(0x2029)}) {
      const QString before(at, u'x');
      const QString text = before + QChar(terminator) + QStringLiteral("y\u2027\u0086\u000e");
      EXPECT_EQ(lines(text), (QStringList{before, QStringLiteral("y\u2027\u0086\u000e")}));
    }
  }
}

TEST(LogTextDecoderTest, BomThenUtf8ThenMacRoman) {
  EXPECT_EQ(LogTextDecoder::decode("caf\xc3\xa9"), QString::fromUtf8("café"));
  EXPECT_EQ(LogTextDecoder::decode("\xef\xbb\xbf"
                                   "abc"),
            QStringLiteral("abc"));
  EXPECT_EQ(LogTextDecoder::decode(QByteArray("\xff\xfe"
                                              "a\0b\0",
                                              6)),
            QStringLiteral("ab"));
  // Not UTF-8: read as Mac Roman.
  EXPECT_EQ(LogTextDecoder::decode("caf\x8e \xd2x\xd3 \xa5"),
            QString::fromUtf16(u"café \u201cx\u201d \u2022"));
}

TEST(FullLogReaderTest, PlainTextLogCoversEveryKeyword) {
  const auto contents = FullDataSet::loadPlainTextFile(
      kDataFolder + QStringLiteral("/System Log 2008-01-01 (1-2-3-4).txt"));
  EXPECT_TRUE(contents.problem.isEmpty()) << contents.problem.toStdString();
  ASSERT_EQ(contents.timeSlices.size(), 3u); // the lines before the first entry are dropped

  const FullTimeSlice& first = *contents.timeSlices[0];
  EXPECT_EQ(first.uuid(), QStringLiteral("0B0D5A56-3C1E-4C5E-9E0B-7D1C2B3A4F01"));
  EXPECT_EQ(first.objective(), QStringLiteral("Write\nreport"));
  EXPECT_EQ(first.duration(), 1500.0);
  EXPECT_EQ(first.actualDuration(), 1499.0);
  EXPECT_EQ(first.startDate(), local(2008, 1, 1, 9, 0));
  EXPECT_EQ(first.dayString().value(), QStringLiteral("2008-01-01"));
  EXPECT_EQ(first.endDate(), local(2008, 1, 1, 9, 25));
  EXPECT_TRUE(first.completed());
  EXPECT_FALSE(first.success());
  EXPECT_EQ(first.focusRating(), QStringLiteral("highly focused"));
  EXPECT_EQ(first.tagString(), QStringLiteral("writing,client-a"));

  const FullTimeSlice& second = *contents.timeSlices[1];
  EXPECT_EQ(second.actualDuration(), 30.0);
  EXPECT_EQ(second.actualDurationAsLogged(), -30.0);
  EXPECT_TRUE(second.success());
  EXPECT_FALSE(second.completed());
  EXPECT_EQ(second.focusRating(), QStringLiteral("experienced flow"));
  EXPECT_EQ(second.tagString(), QString());
  // Empty lines before the objective are dropped, the one after it is kept.
  EXPECT_EQ(second.objective(), QStringLiteral("Plan the week\n"));

  const FullTimeSlice& third = *contents.timeSlices[2];
  EXPECT_TRUE(third.completed());
  EXPECT_EQ(third.objective(), QStringLiteral("Inbox zero"));
  EXPECT_EQ(third.duration(), 0.0);
  EXPECT_EQ(third.endDate(), RawTimeSlice::distantPast());
  EXPECT_EQ(third.focusRating(), QStringLiteral("distracted"));
}

TEST(FullLogReaderTest, CrLfLogReadsLikeAnyOther) {
  const auto contents = FullDataSet::loadPlainTextFile(
      kDataFolder + QStringLiteral("/System Log 2008-01-02 (a-b-c-d).txt"));
  ASSERT_EQ(contents.timeSlices.size(), 2u);
  const FullTimeSlice& first = *contents.timeSlices[0];
  EXPECT_EQ(first.uuid(), QStringLiteral("0B0D5A56-3C1E-4C5E-9E0B-7D1C2B3A4F11"));
  EXPECT_EQ(first.duration(), 600.0);
  EXPECT_EQ(first.focusRating(), QStringLiteral("good"));
  EXPECT_EQ(first.tagString(), QStringLiteral("reading"));
  EXPECT_EQ(first.objective(), QStringLiteral("Read chapter 3\nand take notes"));
  EXPECT_EQ(contents.timeSlices[1]->tagString(), QStringLiteral("reading,writing"));
}

TEST(FullLogReaderTest, UnreadableValuesKeepTheEntryAndAreReportedOnce) {
  const auto contents = FullDataSet::loadPlainTextFile(
      kDataFolder + QStringLiteral("/System Log 2008-01-03 (e-f-g-h).txt"));
  ASSERT_EQ(contents.timeSlices.size(), 2u);
  const FullTimeSlice& broken = *contents.timeSlices[0];
  EXPECT_EQ(broken.uuid(), QStringLiteral("dummy")); // no identifier line
  EXPECT_EQ(broken.duration(), 0.0);
  EXPECT_EQ(broken.actualDuration(), 1200.0);
  EXPECT_EQ(broken.startDate(), RawTimeSlice::distantPast());
  EXPECT_EQ(broken.endDate(), local(2008, 1, 3, 12, 20));
  EXPECT_EQ(contents.timeSlices[1]->duration(), 1200.5);
  EXPECT_EQ(contents.problem, QStringLiteral("has 1 entry with a missing or unreadable value"));
}

TEST(FullLogReaderTest, TextsWithoutEntriesOrFilesGiveNothing) {
  EXPECT_TRUE(
      FullDataSet::createTimeSlicesFromText(QStringLiteral("#duration\n5\n")).timeSlices.empty());
  EXPECT_TRUE(FullDataSet::createTimeSlicesFromText(QString()).timeSlices.empty());
  const auto missing =
      FullDataSet::loadPlainTextFile(QStringLiteral("/nonexistent/System Log.txt"));
  EXPECT_TRUE(missing.timeSlices.empty());
  EXPECT_FALSE(missing.problem.isEmpty());
  // An objective line that equals a keyword ends the objective.
  const auto slices = FullDataSet::createTimeSlicesFromText(
                          QStringLiteral("#TimeSlice\nU\n#objective\nline\n#tags\nx\n"))
                          .timeSlices;
  ASSERT_EQ(slices.size(), 1u);
  EXPECT_EQ(slices[0]->objective(), QStringLiteral("line"));
  EXPECT_EQ(slices[0]->tagString(), QStringLiteral("x"));
}

// Entries another program may have written, around Berlin's changes of the
// clocks (forward from 02:00 to 03:00 on 2026-03-29, back from 03:00 to 02:00
// on 2026-10-25): the dates in any order, lengths missing or telling.
TEST(FullLogReaderTest, ReadingsTheClocksSkippedOrShowedTwiceTakeOneInstantEach) {
  test::ZoneScope berlin("Europe/Berlin");
  const auto utc = [](int month, int day, int hour, int minute) {
    return QDateTime(QDate(2026, month, day), QTime(hour, minute), Qt::UTC);
  };
  const struct {
    const char* values;
    QDateTime start, end;
  } cases[] = {
      // The end before the start and the lengths after both.
      {"#endDate\n2026-10-25 02:30:00\n#startDate\n2026-10-25 02:30:00\n#actualDuration\n3600\n",
       utc(10, 25, 0, 30), utc(10, 25, 1, 30)},
      // No lengths: the end nearer the start.
      {"#startDate\n2026-10-25 02:30:00\n#endDate\n2026-10-25 02:30:00\n", utc(10, 25, 0, 30),
       utc(10, 25, 0, 30)},
      // Lengths that fit neither: never an end before the start.
      {"#startDate\n2026-10-25 02:50:00\n#endDate\n2026-10-25 02:10:00\n#duration\n7200\n",
       utc(10, 25, 0, 50), utc(10, 25, 1, 10)},
      // The seconds worked tell where the planned length does not.
      {"#duration\n1500\n#actualDuration\n4800\n#startDate\n2026-10-25 02:30:00\n#endDate\n"
       "2026-10-25 02:50:00\n",
       utc(10, 25, 0, 30), utc(10, 25, 1, 50)},
      // A start the clocks skipped is the instant they moved on.
      {"#startDate\n2026-03-29 02:30:00\n#endDate\n2026-03-29 03:10:00\n#actualDuration\n600\n",
       utc(3, 29, 1, 0), utc(3, 29, 1, 10)},
      // Worked 25 minutes, paused 45: never an end sooner than the time worked,
      // however near the planned length it lies.
      {"#startDate\n2026-10-25 01:50:00\n#endDate\n2026-10-25 02:00:00\n#duration\n1500\n"
       "#actualDuration\n1500\n",
       utc(10, 24, 23, 50), utc(10, 25, 1, 0)},
      {"#startDate\n2026-10-25 01:50:00\n#endDate\n2026-10-25 02:00:00\n#duration\n600\n"
       "#actualDuration\n-1500\n",
       utc(10, 24, 23, 50), utc(10, 25, 1, 0)},
      // Both sooner than the time worked (edited by hand): the nearest.
      {"#startDate\n2026-10-25 02:30:00\n#endDate\n2026-10-25 02:40:00\n#duration\n600\n"
       "#actualDuration\n7200\n",
       utc(10, 25, 0, 30), utc(10, 25, 0, 40)},
  };
  const auto text = [](const QDateTime& start, const QDateTime& end) {
    return start.toUTC().toString(Qt::ISODate) + u' ' + end.toUTC().toString(Qt::ISODate);
  };
  QStringList read, expected;
  for (const auto& c : cases) {
    const auto contents = FullDataSet::createTimeSlicesFromText(QStringLiteral("#TimeSlice\nU\n") +
                                                                QString::fromLatin1(c.values));
    for (const auto& slice : contents.timeSlices)
      read << text(slice->startDate(), slice->endDate()) + u' ' + contents.problem;
    expected << text(c.start, c.end) + u' ';
    // The writer's reading gives the same.
    const QStringList lines = QString::fromLatin1(c.values).split(u'\n');
    const auto field = [&lines](const char* keyword) {
      const qsizetype at = lines.indexOf(QString::fromLatin1(keyword));
      return at < 0 ? std::optional<QString>() : lines.value(at + 1);
    };
    const auto length = [&field](const char* keyword) {
      const std::optional<QString> text = field(keyword);
      return text ? std::optional<double>(text->toDouble()) : std::nullopt;
    };
    const QDateTime start = Logger::dateFromSystemLogString(*field("#startDate"));
    read << text(start,
                 Logger::dateFromSystemLogString(*field("#endDate"), start,
                                                 {length("#duration"), length("#actualDuration")}));
    expected << text(c.start, c.end);
  }
  // Read alone, by the writer's reading and by the log reader's.
  for (const char* skipped :
       {"2026-03-29 02:00:00", "2026-03-29 02:30:00", "2026-03-29 03:00:00"}) {
    read << text(Logger::dateFromSystemLogString(QString::fromLatin1(skipped)),
                 LogEntryValues::dateValue(QString::fromLatin1(skipped)).value_or(QDateTime()));
    expected << text(utc(3, 29, 1, 0), utc(3, 29, 1, 0));
  }
  EXPECT_EQ(read.join(u'\n').toStdString(), expected.join(u'\n').toStdString());
}

TEST(LogFileTest, NamesChooseTheReader) {
  using F = LogFile::Format;
  EXPECT_EQ(LogFile::formatForName(QStringLiteral("System Log Day 2020-03-07 (a4836e8b9f2).rtfd")),
            F::Rtfd);
  EXPECT_EQ(LogFile::formatForName(QStringLiteral("system log day 2020-03-07 (A4836E8B9F2).RTFD")),
            F::Rtfd);
  EXPECT_EQ(LogFile::formatForName(QStringLiteral("System Log Day 2020-03-07 (default).rtfd")),
            F::Unknown);
  EXPECT_EQ(LogFile::formatForName(QStringLiteral("System Log 2008-01-01 (1-2-3-4).txt")),
            F::PlainText);
  EXPECT_EQ(LogFile::formatForName(QStringLiteral("System Log 2008-01-01 (0019e3aa).txt")),
            F::Unknown);
  EXPECT_EQ(LogFile::formatForName(QStringLiteral("System Log notes.txt")), F::Unknown);
  // Edges of the shapes: empty or mixed-case digits, brackets and hyphens
  // inside, missing or extra characters.
  const std::pair<const char*, F> names[] = {
      {"System Log Day 2020-03-07 ().rtfd", F::Rtfd},
      {"System Log Day 2020-03-07 (aBc09F).rtfd", F::Rtfd},
      {"System Log Day 2020-03-07 (abg).rtfd", F::Unknown},
      {"System Log Day 2020-03-07 (ab).rtfd ", F::Unknown},
      {"System Log Day 2020-3-07 (ab).rtfd", F::Unknown},
      {"System Log Day 2020-03-07(ab).rtfd", F::Unknown},
      {"System Log Day 2020-03-07 (ab.rtfd", F::Unknown},
      {"System  Log Day 2020-03-07 (ab).rtfd", F::Unknown},
      {"System Log 2008-01-01 (---).txt", F::PlainText},
      {"System Log 2008-01-01 (a-(b)-c-d)).txt", F::PlainText},
      {"System Log 2008-01-01 (a-b-c).txt", F::Unknown},
      {"System Log 2008-01-01 (a-b-c-d).TXT", F::PlainText},
      {"System Log 2008-01-01 (a-b-c-d).txt.bak", F::Unknown},
      {"System Log Day 2008-01-01 (a-b-c-d).txt", F::Unknown},
      {"System Log", F::Unknown},
  };
  for (const auto& [name, format] : names)
    EXPECT_EQ(LogFile::formatForName(QLatin1String(name)), format) << name;
  // Beyond ASCII: digits of other scripts are no digits of a date; any
  // character may name the plain text's source.
  EXPECT_EQ(LogFile::formatForName(
                QStringLiteral("System Log Day \u0662\u0660\u0662\u0660-03-07 (ab).rtfd")),
            F::Unknown);
  EXPECT_EQ(LogFile::formatForName(QStringLiteral("System Log 2008-01-01 (\u00e9-b-c-d).txt")),
            F::PlainText);
}

TEST(LogFileTest, ParsesAgainOnlyWhenTheFileChanged) {
  LogFolder folder;
  const QString path = folder.path(QStringLiteral("System Log 2008-01-02 (a-b-c-d).txt"));
  LogFile file(path);
  EXPECT_TRUE(file.read());
  EXPECT_EQ(file.timeSlicesInFile().size(), 2u);
  EXPECT_EQ(file.rawTimeSlicesInFile().size(), 2u);
  EXPECT_EQ(file.tagStringsInFile(), (QStringList{"reading", "reading,writing"}));
  const FullTimeSlice* cached = file.timeSlicesInFile()[0].get();
  EXPECT_FALSE(file.read());
  EXPECT_EQ(file.timeSlicesInFile()[0].get(), cached);

  QFile log(path);
  ASSERT_TRUE(log.open(QIODevice::Append));
  log.write("#TimeSlice\r\nNEW\r\n");
  log.close();
  EXPECT_TRUE(file.read());
  EXPECT_EQ(file.timeSlicesInFile().size(), 3u);
  EXPECT_EQ(file.timeSlicesInFile()[2]->uuid(), QStringLiteral("NEW"));
}

// A change that lands while the file is being parsed is read at the next
// reload: the file counts as read as of the moment before the parse.
TEST(LogFileTest, ChangeDuringAParseIsReadNextTime) {
  LogFolder folder;
  const QString path = folder.path(QStringLiteral("System Log 2008-01-02 (a-b-c-d).txt"));
  LogFile file(path);
  std::optional<LogFile::PendingRead> pending = file.beginRead();
  ASSERT_TRUE(pending);
  file.parse(*pending);
  QFile log(path);
  ASSERT_TRUE(log.open(QIODevice::Append));
  log.write("#TimeSlice\r\nLATE\r\n");
  log.close();
  file.finishRead(std::move(*pending));
  EXPECT_EQ(file.timeSlicesInFile().size(), 2u);
  EXPECT_TRUE(file.read());
  ASSERT_EQ(file.timeSlicesInFile().size(), 3u);
  EXPECT_EQ(file.timeSlicesInFile()[2]->uuid(), QStringLiteral("LATE"));
  EXPECT_FALSE(file.read());
}

TEST(LogFileTest, VanishedFileGivesNoRecordsAndOneLine) {
  LogFolder folder;
  const QString path = folder.path(QStringLiteral("System Log 2008-01-02 (a-b-c-d).txt"));
  LogFile file(path);
  ASSERT_TRUE(file.read());
  QFile::remove(path);
  test::ExpectWarnings expected({QStringLiteral("has gone")});
  EXPECT_TRUE(file.read());
  EXPECT_TRUE(file.timeSlicesInFile().empty());
  EXPECT_EQ(expected.seen(), 1);
}

TEST(DataSetTest, FullDataSetIsNewestFirstWithTheOldestOfEachIdentifierInTheMap) {
  LogFolder folder;
  // A second record with the identifier of ...F11, older than it.
  ASSERT_TRUE(writeFile(folder.path(QStringLiteral("System Log 2007-12-31 (x-x-x-x).txt")),
                        "#TimeSlice\n0B0D5A56-3C1E-4C5E-9E0B-7D1C2B3A4F11\n#startDate\n"
                        "2007-12-31 10:00:00\n#duration\n60\n"));
  LogFileCache cache;
  FullDataSet full;
  test::ConsoleCapture console;
  {
    test::ExpectWarnings expected({QStringLiteral("unreadable value")});
    full.loadFromDisk(folder.path(), cache);
    EXPECT_EQ(expected.seen(), 1);
  }
  EXPECT_TRUE(console.contains(QStringLiteral("System Log notes.txt")));
  EXPECT_EQ(uuids(full.timeSlices()),
            (QStringList{"F22", "F12", "F11", "F02", "F03", "F01", "F11", "mmy"}));
  EXPECT_EQ(full.uuidCount(), 7);
  EXPECT_EQ(
      full.timeSliceWithUuid(QStringLiteral("0B0D5A56-3C1E-4C5E-9E0B-7D1C2B3A4F11"))->duration(),
      60.0);
  EXPECT_EQ(full.timeSliceWithUuid(QStringLiteral("0B0D5A56-3C1E-4C5E-9E0B-7D1C2B3A4F02")),
            full.timeSlices()[3]);
  EXPECT_EQ(full.timeSliceWithUuid(QStringLiteral("no such identifier")), nullptr);
  EXPECT_EQ(full.RawDataSet::timeSlices().size(), full.timeSlices().size());
  EXPECT_TRUE(full.tagStringsParsed().contains(QStringLiteral("writing,client-a")));
  // Loading again replaces the records rather than adding to them.
  full.loadFromDisk(folder.path(), cache);
  EXPECT_EQ(uuids(full.timeSlices()),
            (QStringList{"F22", "F12", "F11", "F02", "F03", "F01", "F11", "mmy"}));
  EXPECT_EQ(full.uuidCount(), 7);
}

TEST(DataSetTest, RawDataSetKeepsFileAndEntryOrderAndSignedDurations) {
  LogFolder folder;
  LogFileCache cache;
  test::ExpectWarnings expected({QStringLiteral("unreadable value")});
  FullDataSet full;
  full.loadFromDisk(folder.path(), cache);
  RawDataSet raw;
  raw.loadFromDisk(folder.path(), cache);
  EXPECT_TRUE(raw.tagStringsParsed().isEmpty()); // every file came from the cache
  ASSERT_EQ(raw.timeSlices().size(), 7u);
  QList<double> durations;
  for (const auto& slice : raw.timeSlices())
    durations.append(slice->actualDuration());
  EXPECT_EQ(durations, (QList<double>{1499, -30, 0, 600, 0, 1200, 0}));
  EXPECT_FALSE(raw.timeSlices()[1]->success());
  EXPECT_EQ(expected.seen(), 1); // the damaged file was parsed once
}

TEST(DataSetTest, MissingFolderGivesAnEmptyDataSet) {
  LogFileCache cache;
  FullDataSet full;
  full.loadFromDisk(QStringLiteral("/nonexistent/System Logs"), cache);
  EXPECT_TRUE(full.timeSlices().empty());
  EXPECT_EQ(full.uuidCount(), 0);
  EXPECT_EQ(full.timeSliceWithUuid(QStringLiteral("x")), nullptr);
}

TEST(DataSetTest, FullDataSetAfterARawOneStillHasFullRecords) {
  LogFolder folder;
  LogFileCache cache;
  test::ExpectWarnings expected({QStringLiteral("unreadable value")});
  RawDataSet raw;
  raw.loadFromDisk(folder.path(), cache);
  FullDataSet full;
  full.loadFromDisk(folder.path(), cache);
  ASSERT_EQ(full.timeSlices().size(), 7u);
  EXPECT_EQ(full.timeSlices()[2]->objective(), QStringLiteral("Read chapter 3\nand take notes"));
  EXPECT_EQ(full.uuidCount(), 7);
}

namespace {

const QString kRtfdFolder = QStringLiteral(KR_TEST_DATA_DIR "/rtfd-logs");

QString rtfdLog(int day) {
  return kRtfdFolder + QStringLiteral("/System Log Day 2020-03-%1 (a4836e8b9f2).rtfd")
                           .arg(day, 2, 10, QChar(u'0'));
}

RichText objectiveText(const FullTimeSlice& slice) {
  return RtfdPackage::fromData(slice.objectiveAsRTFD()).value_or(RichText());
}

} // namespace

TEST(RichLogReaderTest, RtfdLogCoversEveryKeywordAndKeepsTheObjectivesAttributes) {
  const auto contents = FullDataSet::loadRTFDFile(rtfdLog(7));
  EXPECT_TRUE(contents.problem.isEmpty()) << contents.problem.toStdString();
  ASSERT_EQ(contents.timeSlices.size(), 2u);

  const FullTimeSlice& first = *contents.timeSlices[0];
  EXPECT_EQ(first.uuid(), QStringLiteral("8F14E45F-CEEA-4167-A5C2-7A1B2C3D4E51"));
  EXPECT_EQ(
      first.objective(),
      QStringLiteral("Draft the quarterly report\n\ncheck task and figures, then the task again"));
  EXPECT_EQ(first.duration(), 1500.0);
  EXPECT_EQ(first.actualDuration(), 1499.0);
  EXPECT_EQ(first.startDate(), local(2020, 3, 7, 9, 0));
  EXPECT_EQ(first.endDate(), local(2020, 3, 7, 9, 25));
  EXPECT_TRUE(first.completed());
  EXPECT_EQ(first.focusRating(), QStringLiteral("highly focused"));
  EXPECT_EQ(first.tagString(), QStringLiteral("writing,client-a"));
  const RichText rich = objectiveText(first);
  EXPECT_EQ(rich.plainText(), first.objective());
  const int bold = int(rich.plainText().indexOf(QStringLiteral("quarterly")));
  EXPECT_TRUE(rich.formatAt(bold).bold);
  EXPECT_FALSE(rich.formatAt(0).bold);
  EXPECT_EQ(rich.formatAt(0).fontFamily, QStringLiteral("Helvetica"));
  // The same link twice counts once.
  EXPECT_EQ(first.extractedLinks(), (QStringList{QStringLiteral("korvaner2things://show?id=ABC"),
                                                 QStringLiteral("https://example.org/q3")}));

  const FullTimeSlice& second = *contents.timeSlices[1];
  EXPECT_EQ(second.objective(), QStringLiteral("fix build"));
  EXPECT_EQ(objectiveText(second).formatAt(0).fontFamily, QStringLiteral("Menlo"));
  EXPECT_EQ(objectiveText(second).formatAt(0).foreground, (RgbColor{190, 20, 20}));
  EXPECT_EQ(second.actualDuration(), 12.0);
  EXPECT_EQ(second.toRawTimeSlice()->actualDuration(), -12.0);
  EXPECT_TRUE(second.success());
  EXPECT_FALSE(second.completed());
  EXPECT_TRUE(second.extractedLinks().isEmpty());
}

TEST(RichLogReaderTest, DamagedOrMissingTextIsSkippedAndAnUnbalancedEndStillReads) {
  const auto damaged = FullDataSet::loadRTFDFile(rtfdLog(8));
  EXPECT_TRUE(damaged.timeSlices.empty());
  EXPECT_TRUE(damaged.problem.contains(QStringLiteral("did not contain any legal data")));

  QTemporaryDir dir;
  const QString empty = dir.path() + QStringLiteral("/System Log Day 2020-03-09 (abc).rtfd");
  ASSERT_TRUE(QDir().mkpath(empty));
  const auto noText = FullDataSet::loadRTFDFile(empty);
  EXPECT_TRUE(noText.timeSlices.empty());
  EXPECT_TRUE(noText.problem.contains(QStringLiteral("TXT.rtf")));

  const auto unbalanced = FullDataSet::loadRTFDFile(rtfdLog(6));
  ASSERT_EQ(unbalanced.timeSlices.size(), 2u);
  EXPECT_EQ(unbalanced.timeSlices[0]->objective(), QStringLiteral("Cut short by a crash"));
  EXPECT_EQ(unbalanced.timeSlices[1]->tagString(), QStringLiteral("unclosed"));
}

TEST(RichLogReaderTest, PlainTextObjectivesTakeTheGivenFontAndColour) {
  PlainTextStyle style;
  style.fontFamily = QStringLiteral("DejaVu Sans");
  style.pointSize = 14;
  style.textColor = QStringLiteral("#102030");
  const auto contents = FullDataSet::createTimeSlicesFromText(
      QStringLiteral("#TimeSlice\nU\n#objective\nsee https://x.org\n"), style);
  ASSERT_EQ(contents.timeSlices.size(), 1u);
  const CharFormat format = objectiveText(*contents.timeSlices[0]).formatAt(0);
  EXPECT_EQ(format.fontFamily, QStringLiteral("DejaVu Sans"));
  EXPECT_EQ(format.fontSize, 14.0);
  EXPECT_EQ(format.foreground, (RgbColor{0x10, 0x20, 0x30}));
}

TEST(RichLogReaderTest, DataSetReadsEveryReadablePackageAndNamesTheOthers) {
  QTemporaryDir dir;
  for (int day : {6, 7, 8}) {
    const QString target = dir.path() + u'/' + QFileInfo(rtfdLog(day)).fileName();
    ASSERT_TRUE(QDir().mkpath(target));
    ASSERT_TRUE(QFile::copy(rtfdLog(day) + QStringLiteral("/TXT.rtf"),
                            target + QStringLiteral("/TXT.rtf")));
  }
  ASSERT_TRUE(QDir().mkpath(dir.path() + QStringLiteral("/System Log Day 2020-03-09 (abc).rtfd")));
  LogFileCache cache;
  FullDataSet full;
  // The sample of the 6th ends before its document does: named as damaged,
  // its entries kept.
  test::ExpectWarnings expected({QStringLiteral("2020-03-06 (a4836e8b9f2).rtfd is damaged"),
                                 QStringLiteral("2020-03-08"), QStringLiteral("2020-03-09")});
  full.loadFromDisk(dir.path(), cache);
  EXPECT_EQ(expected.seen(), 3);
  FullDataSet again; // unchanged: nothing is read or reported again
  again.loadFromDisk(dir.path(), cache);
  EXPECT_EQ(expected.seen(), 3);
  EXPECT_EQ(again.timeSlices().size(), 4u);
  QStringList ids;
  for (const auto& slice : full.timeSlices())
    ids.append(slice->uuid().right(2));
  EXPECT_EQ(ids, (QStringList{"52", "51", "41", "40"}));
}

namespace {

// A day's package text: `entries` entries with bold and coloured objectives,
// a link and tags that differ per day.
QByteArray generatedDay(int day, int entries) {
  QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252\n{\\fonttbl\\f0\\fswiss Helvetica;}\n"
                   "{\\colortbl;\\red255\\green255\\blue255;\\red200\\green30\\blue30;}\n"
                   "\\f0\\fs24 ";
  for (int i = 0; i < entries; ++i) {
    const QByteArray id = QByteArray::number(day * 100 + i);
    const QByteArray date = QDate(2021, 1, 1).addDays(day).toString(Qt::ISODate).toLatin1();
    rtf += "#TimeSlice\\\n" + id + "\\\n#objective\\\nDay " + QByteArray::number(day) +
           " \\b part\\b0  \\cf2 " + id +
           "\\cf0\\\nsee {\\field{\\*\\fldinst{HYPERLINK \"https://x.org/" + id +
           "\"}}{\\fldrslt it}}\\\n#duration\\\n1500\\\n#actualDuration\\\n" + id +
           "\\\n#startDate\\\n" + date + " 10:" + QByteArray::number(10 + i) +
           ":00\\\n#tags\\\nday-" + QByteArray::number(day) + "," + id + "\\\n";
  }
  return rtf + "}";
}

QString packageName(int day) {
  return QStringLiteral("System Log Day %1 (abc).rtfd")
      .arg(QDate(2021, 1, 1).addDays(day).toString(Qt::ISODate));
}

// What a read of a folder yields, in a form two reads can be compared by.
QStringList describe(const LogFileCache::FolderRead& read) {
  QStringList lines;
  for (const auto& file : read.files) {
    lines.append(QFileInfo(file->fullPath()).fileName());
    for (const auto& slice : file->timeSlicesInFile())
      lines.append(slice->uuid() + u'|' + slice->objective() + u'|' +
                   slice->startDate().toString(QStringLiteral("yyyy-MM-dd HH:mm")) + u'|' +
                   slice->tagString() + u'|' + slice->extractedLinks().join(u' ') + u'|' +
                   QString::number(slice->actualDuration()));
  }
  lines.append(QStringLiteral("parsed tags: ") + read.tagStringsParsed.join(u';'));
  return lines;
}

} // namespace

// Many files are examined and parsed on several threads at once; what comes
// out, and the order of the warnings, must be what one thread gives.
TEST(LogFileCacheTest, FilesReadSideBySideGiveWhatOneThreadGives) {
  QTemporaryDir dir;
  constexpr int kDays = 80;
  for (int day = 0; day < kDays; ++day) {
    const QString package = dir.path() + u'/' + packageName(day);
    ASSERT_TRUE(QDir().mkpath(package));
    // Every tenth package is damaged, one has no text at all.
    if (day == 41)
      continue;
    ASSERT_TRUE(writeFile(package + QStringLiteral("/TXT.rtf"),
                          day % 10 == 7 ? QByteArray("not rich text") : generatedDay(day, 3)));
  }
  ASSERT_TRUE(QFile::copy(kDataFolder + QStringLiteral("/System Log 2008-01-02 (a-b-c-d).txt"),
                          dir.path() + QStringLiteral("/System Log 2008-01-02 (a-b-c-d).txt")));
  ASSERT_TRUE(writeFile(dir.path() + QStringLiteral("/System Log notes.txt"), "#TimeSlice\nX\n"));

  auto readAll = [&](LogFileCache& cache, QStringList* warnings) {
    test::ConsoleCapture console;
    test::ExpectWarnings expected({QStringLiteral("(abc).rtfd")});
    const LogFileCache::FolderRead read = cache.readFolder(dir.path());
    EXPECT_EQ(expected.seen(), 9); // eight damaged packages and the empty one
    for (const QString& line : console.lines()) {
      if (line.contains(QStringLiteral("(abc).rtfd")))
        warnings->append(line);
    }
    return read;
  };
  LogFileCache alone;
  alone.setThreadLimit(1);
  LogFileCache sideBySide;
  sideBySide.setThreadLimit(4);
  QStringList warningsAlone, warningsSideBySide;
  const QStringList expected = describe(readAll(alone, &warningsAlone));
  const QStringList actual = describe(readAll(sideBySide, &warningsSideBySide));
  EXPECT_EQ(actual, expected);
  EXPECT_EQ(warningsSideBySide, warningsAlone);
  ASSERT_EQ(warningsAlone.size(), 9);
  EXPECT_TRUE(warningsAlone.first().contains(QStringLiteral("2021-01-08")));
  EXPECT_TRUE(warningsAlone.last().contains(QStringLiteral("2021-03-19")));
  // 82 files, of which 71 packages with 3 entries and a text log with 2.
  EXPECT_EQ(expected.size(), 82 + 71 * 3 + 2 + 1);
  const auto entry = std::find_if(expected.begin(), expected.end(),
                                  [](const QString& line) { return line.startsWith(u"502|"); });
  ASSERT_NE(entry, expected.end());
  EXPECT_EQ(entry->toStdString(),
            "502|Day 5 part 502\nsee it|2021-01-06 10:12|day-5,502|https://x.org/502|502");

  // Only what changed is parsed again; a removed package is gone.
  const QString changed = dir.path() + u'/' + packageName(3) + QStringLiteral("/TXT.rtf");
  ASSERT_TRUE(writeFile(changed, generatedDay(3, 1) + " "));
  ASSERT_TRUE(QDir(dir.path() + u'/' + packageName(60)).removeRecursively());
  const auto before = sideBySide.readFolder(dir.path());
  const QStringList again = describe(before);
  EXPECT_EQ(before.files.size(), 81u);
  EXPECT_EQ(before.tagStringsParsed, (QStringList{QStringLiteral("day-3,300")}));
  EXPECT_FALSE(again.contains(QStringLiteral("301|Day 3 part 301\nsee it|2021-01-04 10:11|day-3,"
                                             "301|https://x.org/301|301")));
  EXPECT_FALSE(again.contains(packageName(60)));
  EXPECT_TRUE(again.contains(packageName(61)));
  // The cache keeps no file the folder no longer lists, and none of a
  // folder that is gone.
  EXPECT_EQ(sideBySide.size(), 81);
  ASSERT_TRUE(QDir(dir.path() + u'/' + packageName(61)).removeRecursively());
  EXPECT_EQ(sideBySide.readFolder(dir.path()).files.size(), 80u);
  EXPECT_EQ(sideBySide.size(), 80);
  EXPECT_TRUE(sideBySide.readFolder(dir.path() + QStringLiteral("/gone")).files.empty());
  EXPECT_EQ(sideBySide.size(), 0);
}
