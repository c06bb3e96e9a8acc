#include "engine/OmniFocusHelper.h"

#include <gtest/gtest.h>

using namespace kr;

TEST(OmniFocusHelper, ReadsTheTaskItsMinutesAndItsContextsInOrder) {
  const auto info = OmniFocusHelper::parseTaskInfo(QStringLiteral(
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
      "<omnifocus>\n"
      "  <task id=\"abc\"><name>Write</name><estimated-minutes> 3\n0 </estimated-minutes>\n"
      "    <context><name>Not counted</name></context></task>\n"
      "  <context id=\"c1\"><name>Home Office</name></context>\n"
      "  <context id=\"c2\"><name>Phone</name></context>\n"
      "</omnifocus>"));
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->taskID(), QStringLiteral("abc"));
  EXPECT_EQ(info->estimatedMinutesAsInt(), 30) << "blanks inside the number go";
  // A context under the task does not count; blanks inside names go.
  EXPECT_EQ(info->contextNames(), (QStringList{"HomeOffice", "Phone"}));
}

TEST(OmniFocusHelper, EmptyOrInvalidMinutesStayAbsentAndALaterTaskReplacesTheId) {
  const auto empty = OmniFocusHelper::parseTaskInfo(
      QStringLiteral("<omnifocus><task id=\"one\"><estimated-minutes></estimated-minutes></task>"
                     "<task><estimated-minutes>soon</estimated-minutes></task></omnifocus>"));
  ASSERT_TRUE(empty.has_value());
  EXPECT_FALSE(empty->estimatedMinutes().has_value());
  EXPECT_EQ(empty->estimatedMinutesAsInt(), 0);
  EXPECT_FALSE(empty->taskID().has_value()) << "the later task has no id";

  const auto later = OmniFocusHelper::parseTaskInfo(
      QStringLiteral("<omnifocus><task id=\"a\"><estimated-minutes>10</estimated-minutes></task>"
                     "<task id=\"b\"><estimated-minutes>x</estimated-minutes></task></omnifocus>"));
  ASSERT_TRUE(later.has_value());
  EXPECT_EQ(later->taskID(), QStringLiteral("b"));
  EXPECT_EQ(later->estimatedMinutesAsInt(), 10) << "an invalid value keeps the earlier one";

  // Another root counts for nothing.
  const auto other = OmniFocusHelper::parseTaskInfo(
      QStringLiteral("<things><task id=\"t\"><estimated-minutes>5</estimated-minutes></task>"
                     "<context><name>x</name></context></things>"));
  ASSERT_TRUE(other.has_value());
  EXPECT_EQ(other->estimatedMinutesAsInt(), 0);
  EXPECT_TRUE(other->contextNames().isEmpty());
}

TEST(OmniFocusHelper, NotXmlSetsNothingBrokenXmlKeepsWhatWasReadBadBytesGiveNothing) {
  const auto text = OmniFocusHelper::parseTaskInfo(QStringLiteral("just a dragged title"));
  ASSERT_TRUE(text.has_value());
  EXPECT_FALSE(text->taskID().has_value());
  EXPECT_FALSE(text->estimatedMinutes().has_value());
  EXPECT_TRUE(text->contextNames().isEmpty());

  const auto broken = OmniFocusHelper::parseTaskInfo(
      QStringLiteral("<omnifocus><context><name>First</name></context><context><name>Sec</oops>"));
  ASSERT_TRUE(broken.has_value());
  EXPECT_EQ(broken->contextNames(), QStringList{"First"});

  EXPECT_FALSE(OmniFocusHelper::parseTaskInfo(QByteArray("<omnifocus>\xff\xfe</omnifocus>")));
  EXPECT_FALSE(OmniFocusHelper::parseTaskInfo(QString(QChar(0xd800))));
  const auto bytes = OmniFocusHelper::parseTaskInfo(
      QByteArray("<omnifocus><context><name>Caf\xc3\xa9</name></context></omnifocus>"));
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(bytes->contextNames(), QStringList{QStringLiteral("Caf\u00e9")});
}
