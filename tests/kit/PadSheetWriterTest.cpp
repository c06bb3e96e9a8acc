#include "kit/PadSheetWriter.h"

#include "platform/richtext/RtfdPackage.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using kr::PadSheetWriter;
using kr::RichText;
using kr::RtfdPackage;

TEST(PadSheetWriter, WritesOneSheetInOrderAndKeepsAFailedTextOnlyWhenAskedTo) {
  QTemporaryDir dir;
  const QString folder = dir.path() + QStringLiteral("/Pad");
  const QString sheet = folder + QStringLiteral("/Sheet 000000.rtfd");
  PadSheetWriter writer;
  // Queued one after another: the last text is the one on disk, and a write
  // overtaken by a later one counts as written.
  const auto first = writer.write(sheet, folder, RichText(QStringLiteral("one")));
  const auto second = writer.write(sheet, folder, RichText(QStringLiteral("two")));
  QString error;
  EXPECT_TRUE(writer.writeAndWait(sheet, folder, RichText(QStringLiteral("three")), &error));
  EXPECT_TRUE(error.isEmpty());
  EXPECT_TRUE(first->written);
  EXPECT_TRUE(second->written);
  EXPECT_EQ(RtfdPackage::read(sheet).text.plainText(), QStringLiteral("three"));
  EXPECT_FALSE(writer.unwrittenText(sheet).has_value());

  // A file where the folder should be: every write fails.
  const QString blocked = dir.path() + QStringLiteral("/Blocked");
  const QString stuck = blocked + QStringLiteral("/Sheet 000000.rtfd");
  {
    QFile blocker(blocked);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  }
  kr::test::ExpectWarnings expected({QStringLiteral("could not write")});
  // Kept by the writer: the text stays for the pad that comes back to it.
  EXPECT_FALSE(writer.writeAndWait(stuck, blocked, RichText(QStringLiteral("left")), &error));
  EXPECT_FALSE(error.isEmpty());
  EXPECT_TRUE(writer.hasFailures(blocked));
  ASSERT_TRUE(writer.unwrittenText(stuck).has_value());
  EXPECT_EQ(writer.unwrittenText(stuck)->plainText(), QStringLiteral("left"));
  // Kept by the caller, whose text is newer: nothing of the sheet stays here.
  error.clear();
  EXPECT_FALSE(writer.writeAndWait(stuck, blocked, RichText(QStringLiteral("shown")), &error,
                                   PadSheetWriter::KeptBy::caller));
  EXPECT_FALSE(error.isEmpty());
  EXPECT_FALSE(writer.hasFailures(blocked));
  EXPECT_FALSE(writer.unwrittenText(stuck).has_value());
}
