#include "platform/settings/ValueTransformer.h"

#include <QDateTime>
#include <QStringList>

#include <gtest/gtest.h>

namespace tf = kr::transformers;

TEST(ValueTransformerTest, StringToTokenArraySplitsWithoutTrimmingAndJoinsBack) {
  const auto t = tf::stringToTokenArray();
  EXPECT_FALSE(t.transformedValue(QVariant()).isValid());
  EXPECT_FALSE(t.transformedValue(QString()).isValid());
  EXPECT_EQ(t.transformedValue(QStringLiteral("a,,b")).toStringList(),
            (QStringList{QStringLiteral("a"), QString(), QStringLiteral("b")}));
  EXPECT_EQ(t.transformedValue(QStringLiteral(" a, b")).toStringList(),
            (QStringList{QStringLiteral(" a"), QStringLiteral(" b")}));
  EXPECT_EQ(
      t.reverseTransformedValue(QStringList{QStringLiteral("a"), QStringLiteral("b")}).toString(),
      QStringLiteral("a,b"));
  EXPECT_EQ(t.reverseTransformedValue(QStringList{}).toString(), QString());
  EXPECT_EQ(t.reverseTransformedValue(QVariant()).toString(), QString());
}

TEST(ValueTransformerTest, IntToIndexSetReversesToTheLowestIndex) {
  const auto t = tf::intToIndexSet();
  EXPECT_FALSE(t.transformedValue(QVariant()).isValid());
  EXPECT_EQ(t.transformedValue(3).value<QList<int>>(), QList<int>{3});
  EXPECT_EQ(t.reverseTransformedValue(QVariant::fromValue(QList<int>{7, 2, 5})).toULongLong(), 2u);
  EXPECT_FALSE(t.reverseTransformedValue(QVariant::fromValue(QList<int>{})).isValid());
  EXPECT_FALSE(t.reverseTransformedValue(QVariant()).isValid());
}

TEST(ValueTransformerTest, PathToAppNameIsForwardOnly) {
  const auto t = tf::pathToAppName();
  EXPECT_FALSE(t.allowsReverseTransformation());
  EXPECT_EQ(t.transformedValue(QStringLiteral("/Applications/Things.app")).toString(),
            QStringLiteral("Things"));
  EXPECT_EQ(t.transformedValue(QStringLiteral("/Applications/The Hit List.app")).toString(),
            QStringLiteral("The Hit List"));
  EXPECT_EQ(t.transformedValue(QStringLiteral("/usr/share/applications/org.gnome.Nautilus.desktop"))
                .toString(),
            QStringLiteral("org.gnome.Nautilus"));
  EXPECT_FALSE(t.transformedValue(QVariant()).isValid());
}

TEST(ValueTransformerTest, StringToDateReadsOnlyTheDayFormat) {
  const auto t = tf::stringToDate();
  const QDateTime d = t.transformedValue(QStringLiteral("2014-01-01")).toDateTime();
  ASSERT_TRUE(d.isValid());
  EXPECT_EQ(d.date(), QDate(2014, 1, 1));
  EXPECT_EQ(d.time(), QTime(0, 0));
  EXPECT_FALSE(t.transformedValue(QStringLiteral("2014-1-1")).isValid());
  EXPECT_FALSE(t.transformedValue(QStringLiteral("2014-02-30")).isValid());
  EXPECT_FALSE(t.transformedValue(QStringLiteral("01.01.2014")).isValid());
  EXPECT_FALSE(t.transformedValue(QVariant()).isValid());
  EXPECT_EQ(t.reverseTransformedValue(QDateTime(QDate(2020, 3, 7), QTime(23, 59))).toString(),
            QStringLiteral("2020-03-07"));
  EXPECT_FALSE(t.reverseTransformedValue(QVariant()).isValid());
}

TEST(ValueTransformerTest, SecondsToMinutesTruncateTowardZero) {
  const auto integer = tf::secondsToMinutesInteger();
  const auto text = tf::secondsToMinutesStringToInteger();
  EXPECT_EQ(integer.transformedValue(150).toLongLong(), 2);
  EXPECT_EQ(integer.transformedValue(-90).toLongLong(), -1);
  EXPECT_EQ(integer.transformedValue(59).toLongLong(), 0);
  EXPECT_EQ(text.transformedValue(59).toString(), QStringLiteral("0"));
  EXPECT_EQ(text.transformedValue(qint64{1500}).toString(), QStringLiteral("25"));
  // Nothing, or anything that is not an integer number.
  EXPECT_EQ(integer.transformedValue(QVariant()).toLongLong(), 0);
  EXPECT_EQ(integer.transformedValue(QStringLiteral("120")).toLongLong(), 0);
  EXPECT_EQ(text.transformedValue(QVariant()).toString(), QString());
  EXPECT_EQ(text.transformedValue(2.5).toString(), QString());
  // Reverse: minutes to seconds; a slider's double truncates, text stores 0.
  EXPECT_EQ(integer.reverseTransformedValue(25).toLongLong(), 1500);
  EXPECT_EQ(integer.reverseTransformedValue(25.9).toLongLong(), 1500);
  EXPECT_EQ(integer.reverseTransformedValue(QStringLiteral("25")).toLongLong(), 0);
  EXPECT_EQ(text.reverseTransformedValue(2).toLongLong(), 120);
  EXPECT_EQ(integer.reverseTransformedValue(std::numeric_limits<qint64>::max()).toLongLong(), 0);
}

TEST(ValueTransformerTest, NamedTransformersAreRegistered) {
  EXPECT_FALSE(kr::ValueTransformer::isRegistered(QStringLiteral("StringToTokenArrayTransformer")));
  tf::registerNamedTransformers();
  for (const char* name :
       {"StringToTokenArrayTransformer", "IntToIndexSetTransformer", "AttributedStringTransformer",
        "PathToAppNameTransformer", "StringToDateTransformer"})
    EXPECT_TRUE(kr::ValueTransformer::isRegistered(QString::fromLatin1(name))) << name;
  const auto t = kr::ValueTransformer::named(QStringLiteral("StringToTokenArrayTransformer"));
  EXPECT_EQ(t.transformedValue(QStringLiteral("x,y")).toStringList().size(), 2);
}
