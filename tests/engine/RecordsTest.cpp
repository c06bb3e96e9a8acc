#include "engine/FullTimeSlice.h"
#include "engine/TagManager.h"
#include "engine/TagTokenFieldAPI.h"
#include "platform/RtfdPackage.h"

#include <gtest/gtest.h>

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

TEST(TimeSliceRecordTest, StartDateSetsTheLocalDayAndBoundsCompareAsSpecified) {
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
