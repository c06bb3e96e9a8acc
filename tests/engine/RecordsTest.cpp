#include "../../bench/GeneratedLogFolder.h"
#include "app/Sanitizers.h"
#include "engine/FullDataSet.h"
#include "engine/FullTimeSlice.h"
#include "engine/LogFileCache.h"
#include "engine/RawDataSet.h"
#include "engine/TagManager.h"
#include "engine/TagTokenFieldAPI.h"
#include "platform/richtext/RtfdPackage.h"

#include <gtest/gtest.h>

#include <QTimeZone>

#include <cmath>
#include <limits>
#include <malloc.h>
#include <thread>

using namespace kr;

namespace {

QDateTime local(int y, int mo, int d, int h, int mi, int s = 0) {
  return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::LocalTime);
}

class RecordingField : public TagTokenFieldAPI {
public:
  void updateWithTagList(const QStringList& tags) override { updates.append(tags.join(u'|')); }
  QStringList updates;
};

} // namespace

TEST(TimeSliceRecordTest, FreshRecordsHoldTheirInitialValues) {
  RawTimeSlice raw;
  EXPECT_EQ(raw.startDate(), RawTimeSlice::distantPast());
  EXPECT_FALSE(raw.dayString().has_value()); // set only through setStartDate
  EXPECT_EQ(raw.focusRating(), QStringLiteral("good"));
  EXPECT_EQ(raw.duration(), 0.0);
  EXPECT_FALSE(raw.completed());
  EXPECT_TRUE(raw.tagString().isEmpty());

  FullTimeSlice full;
  EXPECT_EQ(full.uuid(), QStringLiteral("dummy"));
  EXPECT_EQ(full.objective(), QStringLiteral("dummy"));
  EXPECT_EQ(full.focusRating(), QStringLiteral("good"));
  EXPECT_EQ(full.endDate(), RawTimeSlice::distantPast());
  EXPECT_TRUE(full.dayString().has_value());
}

TEST(TimeSliceRecordTest, StartDateSetsTheLocalDayAndTheStartCountsAsAfterButNotBefore) {
  RawTimeSlice slice;
  const QDateTime start = local(2020, 3, 7, 23, 59, 30);
  slice.setStartDate(start);
  EXPECT_EQ(slice.dayString().value(), QStringLiteral("2020-03-07"));
  EXPECT_TRUE(slice.beginsAfter(start));
  EXPECT_FALSE(slice.beginsBefore(start));
  EXPECT_TRUE(slice.beginsBefore(start.addSecs(1)));
  EXPECT_FALSE(slice.beginsAfter(start.addSecs(1)));
  EXPECT_TRUE(slice.beginsAfter(std::nullopt));
  EXPECT_TRUE(slice.beginsBefore(std::nullopt));
  // Days met one after the other keep their own texts: on a thread that met
  // few days, and on one that met so many that it keeps them by number, also
  // days a whole number of the kept days apart, which share a place there.
  std::thread([] {
    RawTimeSlice read;
    const QDate day(2020, 3, 7);
    QList<QDate> days;
    for (int i = 0; i < 4200; ++i)
      days.append(day.addDays(i % 2 ? i : -i));
    days.append({day.addDays(4096), day, day.addDays(-8192), QDate(2020, 3, 8), day});
    for (const QDate& other : days) {
      read.setStartDate(QDateTime(other, QTime(12, 0), Qt::LocalTime));
      ASSERT_EQ(read.dayString().value(), other.toString(Qt::ISODate));
    }
  }).join();
}

TEST(TimeSliceRecordTest, TagFilterNeedsEveryTagExactly) {
  RawTimeSlice slice;
  slice.setTagString(QStringLiteral("a,b"));
  EXPECT_TRUE(slice.matchesTagFilter(QStringList{QStringLiteral("a")}));
  EXPECT_TRUE(slice.matchesTagFilter(QStringList{QStringLiteral("b"), QStringLiteral("a")}));
  EXPECT_FALSE(slice.matchesTagFilter(QStringList{QStringLiteral("a"), QStringLiteral("c")}));
  EXPECT_FALSE(slice.matchesTagFilter(QStringList{QStringLiteral("A")}));
  EXPECT_TRUE(slice.matchesTagFilter(QStringList{}));
  EXPECT_TRUE(slice.matchesTagFilter(std::nullopt));
  slice.setTagString(QStringLiteral("a, b")); // no trimming
  EXPECT_FALSE(slice.matchesTagFilter(QStringList{QStringLiteral("b")}));
  slice.setTagString(QString());
  EXPECT_FALSE(slice.matchesTagFilter(QStringList{QStringLiteral("a")}));
}

TEST(TimeSliceRecordTest, RawRecordOfAFullOneKeepsTheSignAndDropsSuccess) {
  FullTimeSlice full;
  full.setStartDate(local(2021, 5, 1, 8, 0));
  full.setActualDurationAsLogged(-30);
  full.setSuccess(true);
  full.setTagString(QStringLiteral("x"));
  EXPECT_EQ(full.actualDuration(), 30.0);
  const RawTimeSlicePtr raw = full.toRawTimeSlice();
  EXPECT_EQ(raw->actualDuration(), -30.0);
  EXPECT_FALSE(raw->success());
  EXPECT_EQ(raw->startDate(), full.startDate());
  EXPECT_EQ(raw->dayString().value(), QStringLiteral("2021-05-01"));
  EXPECT_EQ(raw->tagString(), QStringLiteral("x"));
}

namespace {
// Equal in everything a caller can read of a date, not only its instant.
::testing::AssertionResult readsAs(const QDateTime& read, const QDateTime& given) {
  const bool same =
      read.isValid() == given.isValid() && read.isNull() == given.isNull() &&
      read.timeSpec() == given.timeSpec() && read.date() == given.date() &&
      read.time() == given.time() && read.offsetFromUtc() == given.offsetFromUtc() &&
      read.toMSecsSinceEpoch() == given.toMSecsSinceEpoch() &&
      (given.timeSpec() != Qt::TimeZone || read.timeZone().id() == given.timeZone().id());
  if (same)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << read.toString(Qt::ISODateWithMs).toStdString() << " spec " << read.timeSpec() << " for "
         << given.toString(Qt::ISODateWithMs).toStdString() << " spec " << given.timeSpec();
}
} // namespace

TEST(TimeSliceRecordTest, PackedValuesReadBackExactly) {
  const QTimeZone berlin("Europe/Berlin");
  const QTimeZone newYork("America/New_York");
  std::vector<QDateTime> dates = {
      RawTimeSlice::distantPast(),
      QDateTime(),
      QDateTime(QDate(1969, 12, 31), QTime(23, 59, 59, 999), Qt::UTC),
      QDateTime(QDate(1901, 6, 1), QTime(12, 0), berlin),
      QDateTime(QDate(1960, 6, 1), QTime(2, 30), Qt::LocalTime),
      QDateTime(QDate(2021, 3, 28), QTime(2, 30), berlin),  // in the spring's gap: invalid
      QDateTime(QDate(2021, 10, 31), QTime(2, 30), berlin), // in the repeated hour
      QDateTime(QDate(2021, 3, 14), QTime(2, 30), newYork),
      QDateTime(QDate(2021, 11, 7), QTime(1, 30), newYork),
      QDateTime(QDate(2020, 1, 1), QTime(9, 0), Qt::OffsetFromUTC, 19800),
      QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59), berlin),
  };
  // More zones than the packed form tells apart.
  for (int minutes = 0; minutes <= 300; ++minutes)
    dates.push_back(QDateTime(QDate(2022, 2, 2), QTime(12, 0), QTimeZone(minutes * 60)));
  for (std::size_t i = 0; i < dates.size(); ++i) {
    const QDateTime& start = dates[i];
    const QDateTime& end = dates[dates.size() - 1 - i];
    FullTimeSlice slice;
    slice.setStartDate(start);
    slice.setEndDate(end);
    EXPECT_TRUE(readsAs(slice.startDate(), start));
    EXPECT_TRUE(readsAs(slice.endDate(), end));
    EXPECT_EQ(slice.startMSecsSinceEpoch(), start.toMSecsSinceEpoch());
    const FullTimeSlice copy(slice);
    EXPECT_TRUE(readsAs(copy.startDate(), start));
    EXPECT_TRUE(readsAs(copy.endDate(), end));
    EXPECT_TRUE(readsAs(slice.toRawTimeSlice()->startDate(), start));
    // Bounds compare as the dates themselves do.
    for (const QDateTime& bound : {dates[2], dates[1], dates[6], start}) {
      EXPECT_EQ(slice.beginsAfter(bound), start >= bound);
      EXPECT_EQ(slice.beginsBefore(bound), start < bound);
    }
  }

  FullTimeSlice slice;
  const double max = std::numeric_limits<double>::max();
  slice.setDuration(max);
  slice.setActualDurationAsLogged(-0.0);
  EXPECT_EQ(slice.duration(), max);
  EXPECT_EQ(slice.actualDuration(), 0.0);
  EXPECT_TRUE(std::signbit(slice.toRawTimeSlice()->actualDuration()));
  slice.setDuration(0.0);
  slice.setActualDurationAsLogged(std::numeric_limits<double>::denorm_min());
  EXPECT_EQ(slice.duration(), 0.0);
  EXPECT_EQ(slice.actualDuration(), std::numeric_limits<double>::denorm_min());

  // Texts: null and empty stay apart; many tags; odd ratings.
  slice.setTagString(QString());
  EXPECT_TRUE(slice.tagString().isNull());
  slice.setTagString(QStringLiteral(""));
  EXPECT_TRUE(slice.tagString().isEmpty());
  EXPECT_FALSE(slice.tagString().isNull());
  QStringList tags;
  for (int i = 0; i < 2000; ++i)
    tags.append(QStringLiteral("tag-%1-\u00e9").arg(i));
  slice.setTagString(tags.join(u','));
  EXPECT_EQ(slice.tagString(), tags.join(u','));
  EXPECT_TRUE(slice.matchesTagFilter(QStringList{QStringLiteral("tag-1999-\u00e9")}));
  slice.setFocusRating(QStringLiteral("rather \u263a"));
  EXPECT_EQ(slice.focusRating(), QStringLiteral("rather \u263a"));

  // Objectives: empty, huge, an unpaired surrogate; identifiers in and out
  // of the writer's form.
  slice.setObjective(QString());
  EXPECT_EQ(slice.objective(), QString());
  const QString huge = QString(300000, QChar(u'\u00fc')) + QStringLiteral("\U0001F600 end");
  slice.setObjective(huge);
  EXPECT_EQ(slice.objective(), huge);
  const QString lone = QStringLiteral("a") + QChar(0xd800) + QStringLiteral("b");
  slice.setObjective(lone);
  EXPECT_EQ(slice.objective(), lone);
  // ASCII objectives around the lengths whose count takes one byte more.
  for (const int length : {0, 1, 127, 128, 16383, 16384}) {
    const QString ascii(length, QChar(u'a' + length % 26));
    slice.setObjective(ascii);
    EXPECT_EQ(slice.objective(), ascii);
    EXPECT_EQ(FullTimeSlice(slice).objective(), ascii);
  }
  for (const QString& uuid : {QStringLiteral("0A1B2C3D-1111-4222-8333-444455556666"),
                              QStringLiteral("FEDCBA98-7654-3210-AF09-BCDE0123456F"),
                              QStringLiteral("0a1b2c3d-1111-4222-8333-444455556666"), QString()}) {
    slice.setUuid(uuid);
    EXPECT_EQ(slice.uuid(), uuid);
    EXPECT_TRUE(FullTimeSlice(slice).hasUuid(FullTimeSlice::uuidKey(uuid)));
    if (FullTimeSlice::uuidKey(uuid).binary) {
      EXPECT_EQ(FullTimeSlice::uuidKey(uuid).uuid.toString(QUuid::WithoutBraces),
                QUuid::fromString(uuid).toString(QUuid::WithoutBraces));
    }
  }
  // Any one character changed: kept as its 16 bytes only while every digit
  // is an upper-case hexadecimal one; read back as given either way.
  const QString written = QStringLiteral("0123ABCD-4567-89EF-FEDC-BA9876543210");
  for (qsizetype at = 0; at < written.size(); ++at) {
    for (const char16_t other : {u'0', u'9', u'A', u'F', u'/', u':', u'@', u'G', u'`', u'a', u'f',
                                 u'-', u'\u0130', u'\u0141', u'\u8030', u'\uff10'}) {
      QString uuid = written;
      uuid[at] = QChar(other);
      const bool digitPlace = at != 8 && at != 13 && at != 18 && at != 23;
      const bool form =
          digitPlace ? QStringLiteral("0123456789ABCDEF").contains(QChar(other)) : other == u'-';
      const FullTimeSlice::UuidKey key = FullTimeSlice::uuidKey(uuid);
      ASSERT_EQ(key.binary, form) << at << " " << int(other);
      if (form) {
        ASSERT_EQ(key.uuid, QUuid::fromString(uuid)) << at << " " << int(other);
      }
      slice.setUuid(uuid);
      ASSERT_EQ(slice.uuid(), uuid);
    }
  }
}

// What each further slice holds, in the reload benchmark's terms (the cache,
// both data sets and every record they hold, as the allocator counts them
// in use), at ten entries a day: the difference between loading 300 days
// and 100, so that what the process keeps once (zones, shared texts) does
// not count. The benchmark's first load into a fresh heap counts about 510
// bytes a slice; a load into free space an earlier one left counts up to
// about 660, the rounding of reused blocks varying from run to run.
TEST(TimeSliceRecordTest, ReloadedLogsHoldAtMostSevenHundredTwentyBytesPerSlice) {
#if KR_ADDRESS_SANITIZER
  GTEST_SKIP() << "the sanitizer's allocator keeps its own counts";
#else
  const kr::bench::LogFolder fewer(100);
  const kr::bench::LogFolder more(300);
  const auto held = [](const kr::bench::LogFolder& logs, std::size_t& slices) {
    const auto before = qint64(mallinfo2().uordblks);
    auto cache = std::make_unique<LogFileCache>();
    // On this thread: what helper threads keep for later allocations would count.
    cache->setThreadLimit(1);
    auto full = std::make_unique<FullDataSet>();
    full->loadFromDisk(logs.dir.path(), *cache);
    auto raw = std::make_unique<RawDataSet>();
    raw->loadFromDisk(logs.dir.path(), *cache);
    slices = full->timeSlices().size();
    return qint64(mallinfo2().uordblks) - before;
  };
  std::size_t fewerSlices = 0;
  std::size_t moreSlices = 0;
  held(fewer, fewerSlices);
  const qint64 fewerHeld = held(fewer, fewerSlices);
  const qint64 moreHeld = held(more, moreSlices);
  ASSERT_EQ(moreSlices - fewerSlices, 2000u);
  const double perSlice = double(moreHeld - fewerHeld) / 2000.0;
  EXPECT_LE(perSlice, 720.0) << fewerHeld << " and " << moreHeld << " bytes held";
#endif
}

TEST(TagManagerTest, AddsEachNewTagOnceAndKeepsTheListSorted) {
  TagManager tags;
  tags.addTagsFromString(QStringLiteral("b,a,,b"));
  EXPECT_EQ(tags.allTags(), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
  tags.addTagsFromString(QStringLiteral("Beta,alpha"));
  EXPECT_EQ(tags.allTags(), (QStringList{QStringLiteral("a"), QStringLiteral("alpha"),
                                         QStringLiteral("b"), QStringLiteral("Beta")}));
  tags.addTagsFromString(QStringLiteral("a, c")); // " c" keeps its blank
  EXPECT_TRUE(tags.allTags().contains(QStringLiteral(" c")));
  EXPECT_EQ(tags.allTags().count(QStringLiteral("a")), 1);
}

TEST(TagManagerTest, CompletesCaseInsensitivelyInListOrder) {
  TagManager tags;
  tags.addTagsFromString(QStringLiteral("Writing,rewrite,wrap"));
  EXPECT_EQ(tags.completionListStartingWith(QStringLiteral("wr")),
            (QStringList{QStringLiteral("wrap"), QStringLiteral("Writing")}));
  EXPECT_TRUE(tags.completionListStartingWith(QStringLiteral("zz")).isEmpty());
}

TEST(TagManagerTest, RegisteredFieldsHearOfNewTagsOnlyWhileTheyLive) {
  TagManager tags;
  RecordingField first;
  auto second = std::make_unique<RecordingField>();
  tags.registerTokenField(&first);
  tags.registerTokenField(second.get());
  tags.addTagsFromString(QStringLiteral("b,a"));
  EXPECT_EQ(first.updates, QStringList{QStringLiteral("a|b")});
  EXPECT_EQ(second->updates, QStringList{QStringLiteral("a|b")});
  tags.addTagsFromString(QStringLiteral("a,b")); // nothing new: nobody is told
  EXPECT_EQ(first.updates.size(), 1);
  tags.unregisterTokenField(second.get());
  second.reset();
  tags.addTagsFromString(QStringLiteral("c"));
  EXPECT_EQ(first.updates.last(), QStringLiteral("a|b|c"));
}

TEST(TagManagerTest, SharedFieldsLeaveTheSharedInstanceWhenDestroyed) {
  TagManager& shared = TagManager::sharedInstance();
  EXPECT_EQ(&shared, &TagManager::sharedInstance());
  {
    RecordingField field;
    shared.registerTokenField(&field);
  }
  // The destroyed field is no longer called.
  shared.addTagsFromString(QStringLiteral("shared-instance-tag"));
  EXPECT_TRUE(shared.allTags().contains(QStringLiteral("shared-instance-tag")));
}

TEST(TagManagerDeathTest, AddingTagsOffTheGuiThreadStops) {
  EXPECT_DEATH(
      {
        TagManager tags;
        std::thread worker([&] { tags.addTagsFromString(QStringLiteral("x")); });
        worker.join();
      },
      "outside the GUI thread");
}

// A character outside ASCII, of any width, anywhere in a long objective or
// link, is kept as it was given.
TEST(TimeSliceRecordTest, ObjectivesAndLinksKeepCharactersOutsideAsciiAnywhere) {
  const QString ascii = QStringLiteral("0123456789abcdefghijklmnopqrstuvwxyzABCD");
  for (const char16_t odd : {u'\u0080', u'\u00e9', u'\u07ff', u'\u8a9e', u'\uffff'}) {
    for (qsizetype at = 0; at < ascii.size(); ++at) {
      QString text = ascii;
      text[at] = QChar(odd);
      CharFormat linked;
      linked.link = text;
      RichText objective(text, CharFormat());
      objective.append(QStringLiteral(" see"), linked);
      FullTimeSlice slice;
      slice.setObjectiveText(objective);
      ASSERT_EQ(slice.objective(), text + QStringLiteral(" see")) << int(odd) << " " << at;
      ASSERT_EQ(slice.extractedLinks(), QStringList{text}) << int(odd) << " " << at;
    }
  }
}

TEST(TimeSliceRecordTest, FreshFullRecordHasNoLinks) {
  FullTimeSlice full;
  EXPECT_TRUE(full.extractedLinks().isEmpty());
  EXPECT_FALSE(full.objectiveAsRTFD().isEmpty()); // the empty rich text, not no data
}

// Records keep their objectives compactly; each gives back exactly the text
// it was given, whichever way it is kept.
TEST(TimeSliceRecordTest, StoredObjectiveGivesBackTheSameTextAndRichText) {
  CharFormat plain;
  plain.fontFamily = QStringLiteral("Helvetica");
  plain.fontSize = 12;
  CharFormat bold = plain;
  bold.bold = true;
  bold.foreground = RgbColor{200, 30, 30};
  CharFormat link = plain;
  link.link = QStringLiteral("korvaner2things://show?id=\u00e9");
  CharFormat otherLink = bold;
  otherLink.link = QStringLiteral("https://example.org/");

  RichText objective;
  objective.append(QStringLiteral("Write \U0001F4DD the "), plain);
  objective.append(QStringLiteral("report"), bold);
  objective.append(QStringLiteral(" see "), plain);
  objective.append(QStringLiteral("the task"), link);
  objective.append(QStringLiteral("\nand "), plain);
  objective.append(QStringLiteral("this"), otherLink);
  objective.append(QStringLiteral(" and the task again"), link);
  RichText withPicture = objective;
  withPicture.appendAttachment(QStringLiteral("picture.png"), QByteArray("png bytes"), plain);
  RichText unpaired(QString(QChar(0xD800)) + QStringLiteral(" half a pair"), bold);

  // Two records of one file share their formats; a third keeps its own.
  const auto formats = std::make_shared<ObjectiveFormats>();
  for (const RichText& given : {objective, withPicture, unpaired, RichText()}) {
    FullTimeSlice shared;
    FullTimeSlice alone;
    shared.setObjectiveText(given, formats);
    alone.setObjectiveText(given);
    for (const FullTimeSlice* slice : {&shared, &alone}) {
      const FullTimeSlice copy(*slice);
      for (const FullTimeSlice* s : {slice, &copy}) {
        EXPECT_EQ(s->objective(), given.plainText());
        ASSERT_TRUE(s->objectiveRichText().has_value());
        EXPECT_TRUE(*s->objectiveRichText() == given) << given.plainText().toStdString();
        EXPECT_EQ(s->objectiveAsRTFD(), RtfdPackage::toData(given));
      }
    }
  }
  EXPECT_LE(formats->size(), 3u); // plain, bold, and plain for the picture's character

  // Given as stretches over numbered formats, each link named by a text of
  // its own, the objective reads as given whole, each link kept once.
  const auto numbered = std::make_shared<ObjectiveFormats>();
  std::vector<QString> linkTexts;
  linkTexts.reserve(objective.runs().size());
  std::vector<FullTimeSlice::Stretch> stretches;
  for (const RichText::Run& run : objective.runs()) {
    CharFormat withoutLink = run.format;
    withoutLink.link = QString();
    linkTexts.push_back(QString(run.format.link.constData(), run.format.link.size()));
    stretches.push_back({run.length, numbered->indexOf(withoutLink),
                         run.format.link.isEmpty() ? nullptr : &linkTexts.back()});
  }
  FullTimeSlice fromStretches;
  fromStretches.setObjectiveStretches(objective.plainText(), stretches.data(), stretches.size(),
                                      numbered);
  EXPECT_TRUE(*fromStretches.objectiveRichText() == objective);
  EXPECT_EQ(fromStretches.extractedLinks(), (QStringList{link.link, otherLink.link}));

  // A part of a text given by position reads as the same part made first,
  // for every part of texts with links, attachments and unpaired halves;
  // both tables take the same formats in the same order.
  for (const RichText& given : {objective, withPicture, unpaired}) {
    for (int position = -1; position <= given.length(); ++position) {
      for (int length = -1; position + length <= given.length() + 1; ++length) {
        const auto made = std::make_shared<ObjectiveFormats>();
        const auto viewed = std::make_shared<ObjectiveFormats>();
        FullTimeSlice fromMid;
        FullTimeSlice fromRange;
        fromMid.setObjectiveText(given.mid(position, length), made);
        fromRange.setObjectiveText(given, position, length, viewed);
        ASSERT_EQ(fromRange.objective(), fromMid.objective()) << position << " " << length;
        ASSERT_TRUE(*fromRange.objectiveRichText() == *fromMid.objectiveRichText());
        ASSERT_EQ(fromRange.extractedLinks(), fromMid.extractedLinks());
        ASSERT_EQ(viewed->size(), made->size());
      }
    }
  }

  // Beyond the few formats compared one by one the table finds them by hash:
  // every format keeps one index, also those met before the table grew.
  RichText sizes;
  for (int round = 0; round < 2; ++round) {
    for (int size = 8; size < 28; ++size) {
      CharFormat sized = plain;
      sized.fontSize = size;
      sizes.append(QStringLiteral("%1 ").arg(size), sized);
    }
  }
  const auto many = std::make_shared<ObjectiveFormats>();
  FullTimeSlice sized;
  sized.setObjectiveText(sizes, many);
  EXPECT_EQ(many->size(), 20u);
  ASSERT_TRUE(sized.objectiveRichText().has_value());
  EXPECT_TRUE(*sized.objectiveRichText() == sizes);

  FullTimeSlice slice;
  slice.setObjectiveText(objective, formats);
  EXPECT_EQ(slice.extractedLinks(), (QStringList{QStringLiteral("korvaner2things://show?id=\u00e9"),
                                                 QStringLiteral("https://example.org/")}));
  // Setting the plain text alone leaves the rich text as it was.
  slice.setObjective(QStringLiteral("other"));
  EXPECT_EQ(slice.objective(), QStringLiteral("other"));
  EXPECT_TRUE(*slice.objectiveRichText() == objective);
  EXPECT_EQ(slice.extractedLinks().size(), 2);
  // Given as data, the objective reads from it; the plain text stays.
  const QByteArray data = RtfdPackage::toData(RichText(QStringLiteral("from data"), bold));
  slice.setObjectiveAsRTFD(data);
  EXPECT_EQ(slice.objectiveAsRTFD(), data);
  EXPECT_EQ(slice.objectiveRichText()->plainText(), QStringLiteral("from data"));
  EXPECT_EQ(slice.objective(), QStringLiteral("other"));
  EXPECT_TRUE(slice.extractedLinks().isEmpty());
}
