#include "engine/RTFHelper.h"

#include "platform/richtext/RtfdPackage.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>

using kr::CharFormat;
using kr::RgbColor;
using kr::RichText;
using kr::RTFHelper;

namespace {

const RTFHelper& helper() { return RTFHelper::sharedInstance(); }

QStringList plainLines(const QList<RichText>& lines) {
  QStringList result;
  for (const RichText& line : lines)
    result.append(line.plainText());
  return result;
}

QByteArray dataOf(const QString& text) { return kr::RtfdPackage::toData(RichText(text)); }

} // namespace

TEST(RTFHelper, IsOneSharedInstance) {
  EXPECT_EQ(&RTFHelper::sharedInstance(), &RTFHelper::sharedInstance());
}

TEST(RTFHelper, CutsLinesAtEveryLineEndWithCrLfAsOne) {
  EXPECT_EQ(plainLines(helper().cutUpIntoAttributedStringLines(dataOf(QStringLiteral("a\n\nb")))),
            (QStringList{QStringLiteral("a"), QString(), QStringLiteral("b")}));
  EXPECT_EQ(plainLines(helper().cutUpIntoAttributedStringLines(dataOf(QStringLiteral("a\r\nb")))),
            (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
  EXPECT_EQ(plainLines(helper().cutUpIntoAttributedStringLines(
                dataOf(QStringLiteral("#duration\r\n1500\r\n\r\nx")))),
            (QStringList{QStringLiteral("#duration"), QStringLiteral("1500"), QString(),
                         QStringLiteral("x")}));
  // LF CR is two line ends; so are every other separator.
  EXPECT_EQ(plainLines(helper().cutUpIntoAttributedStringLines(
                dataOf(QStringLiteral("1\n\r2\u000b3\u000c4\r5\u00856\u20287\u20298\n")))),
            (QStringList{QStringLiteral("1"), QString(), QStringLiteral("2"), QStringLiteral("3"),
                         QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("6"),
                         QStringLiteral("7"), QStringLiteral("8"), QString()}));
}

TEST(RTFHelper, LinesKeepTheirAttributes) {
  RichText text(QStringLiteral("#objective\n"));
  CharFormat link;
  link.link = QStringLiteral("korvaner2things://ID");
  link.bold = true;
  text.append(u"Write", link);
  text.append(u" report\r\nnext");
  const QList<RichText> lines =
      helper().cutUpIntoAttributedStringLines(kr::RtfdPackage::toData(text));
  ASSERT_EQ(lines.size(), 3);
  EXPECT_EQ(lines[1].plainText(), QStringLiteral("Write report"));
  EXPECT_EQ(lines[1].formatAt(0), link);
  EXPECT_EQ(lines[1].formatAt(5), CharFormat{});
  EXPECT_EQ(lines[2], RichText(QStringLiteral("next")));
}

TEST(RTFHelper, AbsentOrUnreadableInputGivesEmptyResults) {
  EXPECT_TRUE(helper().cutUpIntoAttributedStringLines(std::nullopt).isEmpty());
  EXPECT_TRUE(helper().cutUpIntoAttributedStringLines(QByteArray("garbage")).isEmpty());
  EXPECT_TRUE(helper().attributedStringFromData(std::nullopt).isEmpty());
  EXPECT_TRUE(helper().attributedStringFromData(QByteArray("\x01\x02")).isEmpty());
  QTemporaryDir dir;
  const QString missing = dir.filePath(QStringLiteral("missing.rtfd"));
  EXPECT_TRUE(helper().rtfdTextObjectFromFile(missing).isEmpty());
  EXPECT_TRUE(helper().rtfdTextObjectFromFile(std::nullopt).isEmpty());
  EXPECT_TRUE(helper().rtfdDataFromFile(missing).isEmpty());
  QDir(dir.path()).mkdir(QStringLiteral("broken.rtfd"));
  EXPECT_TRUE(helper().rtfdDataFromFile(dir.filePath(QStringLiteral("broken.rtfd"))).isEmpty());
}

TEST(RTFHelper, MakesDataInOneFontAndColour) {
  const QByteArray data =
      helper().rtfdDataFrom(QStringLiteral("#TimeSlice\nplain text \u00e9"),
                            QStringLiteral("Helvetica"), 12.0, RgbColor{0x33, 0x66, 0x99});
  const RichText text = helper().attributedStringFromData(data);
  EXPECT_EQ(text.plainText(), QStringLiteral("#TimeSlice\nplain text \u00e9"));
  ASSERT_EQ(text.runs().size(), 1u);
  EXPECT_EQ(text.runs()[0].format.fontFamily, QStringLiteral("Helvetica"));
  EXPECT_EQ(text.runs()[0].format.fontSize, 12.0);
  EXPECT_EQ(text.runs()[0].format.foreground, (RgbColor{0x33, 0x66, 0x99}));
}

TEST(RTFHelper, ReadsPackagesFromFilesAsTextAndData) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("System Log Day 2020-03-07 (a4836e8b9f2).rtfd"));
  RichText text(QStringLiteral("#TimeSlice\nID\n"));
  text.appendAttachment(QStringLiteral("image.png"), "PNG");
  ASSERT_TRUE(kr::RtfdPackage::write(path, text));
  EXPECT_EQ(helper().rtfdTextObjectFromFile(path), text);
  EXPECT_EQ(helper().attributedStringFromData(helper().rtfdDataFromFile(path)), text);

  // The log reload calls in from a worker while the main thread does too.
  QList<RichText> fromWorker;
  std::thread worker([&] {
    fromWorker = helper().cutUpIntoAttributedStringLines(helper().rtfdDataFromFile(path));
  });
  const QList<RichText> fromMain =
      helper().cutUpIntoAttributedStringLines(helper().rtfdDataFromFile(path));
  worker.join();
  EXPECT_EQ(fromMain, fromWorker);
  EXPECT_EQ(fromMain.size(), 3);
}
