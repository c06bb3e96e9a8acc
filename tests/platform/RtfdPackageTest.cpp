#include "platform/richtext/RtfdPackage.h"
#include "platform/richtext/RtfReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using kr::CharFormat;
using kr::RichText;
using kr::RtfdPackage;

namespace {

const QString kSample = QStringLiteral(KR_TEST_DATA_DIR "/rtfd/Sample Log.rtfd");

QByteArray fileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void putFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
  file.write(bytes);
}

QStringList entries(const QString& folder) {
  return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

RichText textWithImage(const QString& words, const QString& image, const QByteArray& bytes) {
  RichText text(words);
  text.appendAttachment(image, bytes);
  text.append(u"\n");
  return text;
}

class RtfdPackageTest : public ::testing::Test {
protected:
  QTemporaryDir dir;
  QString path(const QString& name = QStringLiteral("Now Pads 000001.rtfd")) const {
    return dir.filePath(name);
  }
};

} // namespace

TEST_F(RtfdPackageTest, ReadsTheSamplePackageWithItsAttachment) {
  const RtfdPackage::ReadResult result = RtfdPackage::read(kSample);
  ASSERT_EQ(result.status, RtfdPackage::Status::Ok);
  EXPECT_TRUE(result.text.plainText().startsWith(QStringLiteral("#TimeSlice\n\u2039uuid\u203a")));
  const QByteArray png = fileBytes(kSample + QStringLiteral("/Pasted Graphic.png"));
  ASSERT_TRUE(png.startsWith("\x89PNG"));
  EXPECT_EQ(result.text.attachmentData().value(QStringLiteral("Pasted Graphic.png")), png);
}

TEST_F(RtfdPackageTest, WritesAndReadsBackTextAndAttachments) {
  const RichText text = textWithImage(QStringLiteral("caf\u00e9 \u2039x\u203a \U0001F600 "),
                                      QStringLiteral("photo.png"), QByteArray("PNGDATA\0\1", 9));
  QString error;
  ASSERT_TRUE(RtfdPackage::write(path(), text, &error)) << error.toStdString();
  EXPECT_EQ(entries(path()), (QStringList{QStringLiteral("TXT.rtf"), QStringLiteral("photo.png")}));
  EXPECT_EQ(entries(dir.path()), QStringList{QStringLiteral("Now Pads 000001.rtfd")});
  const RtfdPackage::ReadResult back = RtfdPackage::read(path());
  ASSERT_EQ(back.status, RtfdPackage::Status::Ok);
  EXPECT_EQ(back.text, text);

  // Rewriting with other content replaces the old package completely.
  const RichText second(QStringLiteral("second"));
  ASSERT_TRUE(RtfdPackage::write(path(), second, &error)) << error.toStdString();
  EXPECT_EQ(RtfdPackage::read(path()).text, second);
  EXPECT_EQ(entries(path()), QStringList{QStringLiteral("TXT.rtf")}); // the dropped image went
  EXPECT_EQ(entries(dir.path()), QStringList{QStringLiteral("Now Pads 000001.rtfd")});
}

TEST_F(RtfdPackageTest, IgnoresUnknownFilesOnReadAndKeepsThemOnRewrite) {
  ASSERT_TRUE(RtfdPackage::write(path(), RichText(QStringLiteral("one"))));
  putFile(path() + QStringLiteral("/notes.plist"), "someone else's");
  ASSERT_TRUE(QDir(path()).mkdir(QStringLiteral("extra")));
  putFile(path() + QStringLiteral("/extra/inner.bin"), "inner");
  EXPECT_EQ(RtfdPackage::read(path()).text, RichText(QStringLiteral("one")));

  ASSERT_TRUE(RtfdPackage::write(path(), RichText(QStringLiteral("two"))));
  EXPECT_EQ(fileBytes(path() + QStringLiteral("/notes.plist")), QByteArray("someone else's"));
  EXPECT_EQ(fileBytes(path() + QStringLiteral("/extra/inner.bin")), QByteArray("inner"));
  EXPECT_EQ(RtfdPackage::read(path()).text, RichText(QStringLiteral("two")));
}

TEST_F(RtfdPackageTest, KeepsAnAttachmentWhoseBytesTheTextDoesNotHold) {
  // A package whose image the text refers to but was read without its bytes
  // (the text came through RTF only) keeps the file on rewrite.
  ASSERT_TRUE(RtfdPackage::write(
      path(), textWithImage(QStringLiteral("a"), QStringLiteral("i.png"), "IMG")));
  const RichText rtfOnly = kr::RtfReader::read(fileBytes(path() + QStringLiteral("/TXT.rtf"))).text;
  ASSERT_TRUE(rtfOnly.attachmentData().isEmpty());
  ASSERT_TRUE(RtfdPackage::write(path(), rtfOnly));
  EXPECT_EQ(fileBytes(path() + QStringLiteral("/i.png")), QByteArray("IMG"));
}

TEST_F(RtfdPackageTest, NeverReplacesAPackageThatCannotBeRead) {
  // A package without TXT.rtf, one whose TXT.rtf is not RTF, and a plain file.
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("empty.rtfd")));
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("broken.rtfd")));
  putFile(path(QStringLiteral("broken.rtfd/TXT.rtf")), "PK\x03\x04 not rtf");
  putFile(path(QStringLiteral("file.rtfd")), "plain bytes");
  for (const QString& name :
       {QStringLiteral("empty.rtfd"), QStringLiteral("broken.rtfd"), QStringLiteral("file.rtfd")}) {
    EXPECT_EQ(RtfdPackage::read(path(name)).status, RtfdPackage::Status::Unreadable);
    QString error;
    EXPECT_FALSE(RtfdPackage::write(path(name), RichText(), &error)) << name.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("cannot be read"))) << error.toStdString();
  }
  EXPECT_EQ(fileBytes(path(QStringLiteral("broken.rtfd/TXT.rtf"))),
            QByteArray("PK\x03\x04 not rtf"));
  EXPECT_EQ(fileBytes(path(QStringLiteral("file.rtfd"))), QByteArray("plain bytes"));
  EXPECT_EQ(entries(dir.path()).size(), 3);
}

TEST_F(RtfdPackageTest, ReportsMissingPackagesAndFolders) {
  EXPECT_EQ(RtfdPackage::read(path()).status, RtfdPackage::Status::Missing);
  QString error;
  EXPECT_FALSE(
      RtfdPackage::write(dir.filePath(QStringLiteral("no/such/x.rtfd")), RichText(), &error));
  EXPECT_TRUE(error.contains(QStringLiteral("does not exist"))) << error.toStdString();
}

TEST_F(RtfdPackageTest, RecoversFromAnInterruptedWrite) {
  // Left by a crash: an unfinished new package beside an intact one ...
  ASSERT_TRUE(RtfdPackage::write(path(), RichText(QStringLiteral("intact"))));
  const QString unfinished = dir.filePath(QStringLiteral(".kr-new-Now Pads 000001.rtfd-a1b2c3"));
  ASSERT_TRUE(QDir().mkdir(unfinished));
  putFile(unfinished + QStringLiteral("/TXT.rtf"), "{\\rtf1 half");
  // ... and an old package set aside with nothing in its place.
  const QString other = path(QStringLiteral("Now Pads 000002.rtfd"));
  ASSERT_TRUE(RtfdPackage::write(other, RichText(QStringLiteral("set aside"))));
  const QString aside = dir.filePath(QStringLiteral(".kr-old-Now Pads 000002.rtfd-d4e5f6"));
  ASSERT_TRUE(QDir().rename(other, aside));

  ASSERT_TRUE(RtfdPackage::write(path(), RichText(QStringLiteral("next"))));
  ASSERT_TRUE(RtfdPackage::write(other, RichText(QStringLiteral("over it"))));
  EXPECT_EQ(entries(dir.path()), (QStringList{QStringLiteral("Now Pads 000001.rtfd"),
                                              QStringLiteral("Now Pads 000002.rtfd")}));
  EXPECT_EQ(RtfdPackage::read(path()).text, RichText(QStringLiteral("next")));
  EXPECT_EQ(RtfdPackage::read(other).text, RichText(QStringLiteral("over it")));
}

TEST_F(RtfdPackageTest, RestoresASetAsidePackageBeforeDecidingOnTheWrite) {
  ASSERT_TRUE(RtfdPackage::write(path(), RichText(QStringLiteral("only copy"))));
  putFile(path() + QStringLiteral("/keep.txt"), "unknown");
  const QString aside = dir.filePath(QStringLiteral(".kr-old-Now Pads 000001.rtfd-zzzzzz"));
  ASSERT_TRUE(QDir().rename(path(), aside));
  ASSERT_TRUE(RtfdPackage::write(path(), RichText(QStringLiteral("newer"))));
  EXPECT_EQ(fileBytes(path() + QStringLiteral("/keep.txt")), QByteArray("unknown"));
  EXPECT_EQ(entries(dir.path()), QStringList{QStringLiteral("Now Pads 000001.rtfd")});
}

TEST_F(RtfdPackageTest, RecoveryTakesTheFirstCopyByNameAndLeavesDanglingLinksAlone) {
  // Two copies set aside for the same package: the first by name goes back.
  ASSERT_TRUE(RtfdPackage::write(path(), RichText(QStringLiteral("b copy"))));
  putFile(path() + QStringLiteral("/from.txt"), "b");
  ASSERT_TRUE(
      QDir().rename(path(), dir.filePath(QStringLiteral(".kr-old-Now Pads 000001.rtfd-bbbbbb"))));
  ASSERT_TRUE(RtfdPackage::write(path(), RichText(QStringLiteral("A copy"))));
  putFile(path() + QStringLiteral("/from.txt"), "A");
  ASSERT_TRUE(
      QDir().rename(path(), dir.filePath(QStringLiteral(".kr-old-Now Pads 000001.rtfd-AAAAAA"))));
  // A dangling link that looks like a leftover of another package.
  const QString link = dir.filePath(QStringLiteral(".kr-old-Now Pads 000002.rtfd-cccccc"));
  ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("gone")), link));
  // Many other packages around them.
  for (int i = 10; i < 60; ++i)
    ASSERT_TRUE(
        QDir(dir.path()).mkdir(QStringLiteral("Now Pads %1.rtfd").arg(i, 6, 10, QChar('0'))));

  ASSERT_TRUE(RtfdPackage::write(path(QStringLiteral("Now Pads 000002.rtfd")),
                                 RichText(QStringLiteral("other"))));
  EXPECT_TRUE(QFileInfo(link).isSymLink());
  EXPECT_FALSE(QFileInfo::exists(path())); // not this package's write
  ASSERT_TRUE(RtfdPackage::write(path(), RichText(QStringLiteral("newer"))));
  EXPECT_FALSE(
      QFileInfo::exists(dir.filePath(QStringLiteral(".kr-old-Now Pads 000001.rtfd-AAAAAA"))));
  EXPECT_FALSE(
      QFileInfo::exists(dir.filePath(QStringLiteral(".kr-old-Now Pads 000001.rtfd-bbbbbb"))));
  EXPECT_EQ(RtfdPackage::read(path()).text, RichText(QStringLiteral("newer")));
  EXPECT_EQ(fileBytes(path() + QStringLiteral("/from.txt")), QByteArray("A"));
  EXPECT_TRUE(QFileInfo(link).isSymLink());
}

TEST_F(RtfdPackageTest, DoesNotFollowAttachmentNamesOutOfThePackage) {
  putFile(dir.filePath(QStringLiteral("secret.txt")), "secret");
  ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("evil.rtfd")));
  putFile(path(QStringLiteral("evil.rtfd/TXT.rtf")),
          "{\\rtf1 {{\\NeXTGraphic ../secret.txt}\\'ac}{{\\NeXTGraphic link.png}\\'ac}}");
  ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("secret.txt")),
                          path(QStringLiteral("evil.rtfd/link.png"))));
  const RtfdPackage::ReadResult result = RtfdPackage::read(path(QStringLiteral("evil.rtfd")));
  ASSERT_EQ(result.status, RtfdPackage::Status::Ok);
  EXPECT_EQ(result.text.attachmentNames().size(), 2);
  EXPECT_TRUE(result.text.attachmentData().isEmpty());

  // Writing such a text stores no file outside the package either.
  ASSERT_TRUE(RtfdPackage::write(path(), result.text));
  EXPECT_EQ(fileBytes(dir.filePath(QStringLiteral("secret.txt"))), QByteArray("secret"));
  EXPECT_EQ(entries(path()), QStringList{QStringLiteral("TXT.rtf")});
  EXPECT_FALSE(RtfdPackage::isSafeAttachmentName(QStringLiteral("..")));
  EXPECT_FALSE(RtfdPackage::isSafeAttachmentName(QStringLiteral("TXT.rtf")));
  EXPECT_TRUE(RtfdPackage::isSafeAttachmentName(QStringLiteral("Pasted Graphic 2.tiff")));
}

TEST(RtfdData, RoundTripsTextAndAttachmentsInOneByteArray) {
  const RichText text = textWithImage(QStringLiteral("\u2039objective\u203a "),
                                      QStringLiteral("a.png"), QByteArray(300, '\xab'));
  const QByteArray data = RtfdPackage::toData(text);
  ASSERT_TRUE(data.startsWith("KRRTFD1\n"));
  EXPECT_EQ(RtfdPackage::fromData(data), text);

  // Bare RTF counts as RTFD data without attachments.
  EXPECT_EQ(RtfdPackage::fromData("{\\rtf1 hi}"), RichText(QStringLiteral("hi")));
  EXPECT_FALSE(RtfdPackage::fromData("not rtf"));
  EXPECT_FALSE(RtfdPackage::fromData(QByteArray()));
  // Damaged containers: a length past the end keeps what came before it.
  EXPECT_FALSE(RtfdPackage::fromData(QByteArray("KRRTFD1\n\xff\xff\xff\xff", 12)));
  QByteArray cut = data;
  cut.chop(10);
  const auto partial = RtfdPackage::fromData(cut);
  ASSERT_TRUE(partial);
  EXPECT_EQ(partial->plainText(), text.plainText());
  EXPECT_TRUE(partial->attachmentData().isEmpty());
}
