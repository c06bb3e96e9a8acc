#include "kit/text/PadSheetWriter.h"

#include "platform/richtext/RtfChunkCache.h"
#include "platform/richtext/RtfdPackage.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QFile>
#include <QPlainTextDocumentLayout>
#include <QPointer>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QThread>

#include <memory>

#include <gtest/gtest.h>

using kr::LeftDocument;
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

namespace {

// A document left to the writer, which tells on which thread it went. An
// editor's document comes laid out and with its encoded chunks (all stale
// when it was only just shown); the plain layout keeps no timers that would
// have to move with it.
struct Left {
  explicit Left(const QString& text, bool fromEditor = false)
      : document(new QTextDocument), after(new QObject) {
    if (fromEditor) {
      document->setDocumentLayout(new QPlainTextDocumentLayout(document));
      kr::RtfChunkCache::of(document);
    }
    document->setPlainText(text);
    QObject::connect(
        document, &QObject::destroyed, document, [this] { deletedOn = QThread::currentThread(); },
        Qt::DirectConnection);
    left = std::make_shared<LeftDocument>(document, 28, after);
  }
  QPointer<QTextDocument> document;
  QPointer<QObject> after;
  std::shared_ptr<LeftDocument> left;
  QThread* deletedOn = nullptr;
};

} // namespace

TEST(PadSheetWriter, ALeftDocumentIsEncodedAndDeletedOnTheWritersThreadAndKeptWhenItFails) {
  QTemporaryDir dir;
  const QString folder = dir.path() + QStringLiteral("/Pad");
  const QString sheet = folder + QStringLiteral("/Sheet 000000.rtfd");
  PadSheetWriter writer;
  // Written, overtaken or only let go of, each goes on the writer's thread;
  // what was to outlive it goes after it, on its own thread.
  Left written(QStringLiteral("left behind"));
  Left overtaken(QStringLiteral("overtaken"));
  Left unchanged(QStringLiteral("unchanged"));
  writer.write(sheet, folder, written.left);
  writer.write(sheet, folder, overtaken.left);
  writer.write(sheet, folder, RichText(QStringLiteral("latest")));
  writer.dispose(std::exchange(unchanged.left, nullptr));
  writer.drain();
  EXPECT_EQ(RtfdPackage::read(sheet).text.plainText(), QStringLiteral("latest"));
  for (const Left* left : {&written, &overtaken, &unchanged}) {
    EXPECT_TRUE(left->document.isNull());
    EXPECT_NE(left->deletedOn, nullptr);
    EXPECT_NE(left->deletedOn, QCoreApplication::instance()->thread());
    EXPECT_FALSE(left->after.isNull());
  }
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(written.after.isNull() && overtaken.after.isNull() && unchanged.after.isNull());

  // A file where the folder should be: the text stays for the pad that
  // comes back to the sheet.
  const QString blocked = dir.path() + QStringLiteral("/Blocked");
  const QString stuck = blocked + QStringLiteral("/Sheet 000000.rtfd");
  {
    QFile blocker(blocked);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  }
  kr::test::ExpectWarnings expected({QStringLiteral("could not write")});
  Left failed(QStringLiteral("kept\ntext"));
  writer.write(stuck, blocked, failed.left);
  writer.drain();
  EXPECT_TRUE(failed.document.isNull());
  EXPECT_TRUE(writer.hasFailures(blocked));
  ASSERT_TRUE(writer.unwrittenText(stuck).has_value());
  EXPECT_EQ(writer.unwrittenText(stuck)->plainText(), QStringLiteral("kept\ntext"));
}

TEST(PadSheetWriter, ALongLeftDocumentIsWrittenWhileItIsEncodedAndKeptWhenItFails) {
  QTemporaryDir dir;
  const QString folder = dir.path() + QStringLiteral("/Pad");
  const QString sheet = folder + QStringLiteral("/Sheet 000000.rtfd");
  QString text;
  for (int line = 0; text.size() <= kr::RtfChunkCache::kStreamFrom * 2; ++line)
    text += QStringLiteral("%1: a long sheet's line \u00e9\n").arg(line);
  text.chop(1);
  PadSheetWriter writer;
  Left written(text, true);
  writer.write(sheet, folder, written.left);
  writer.drain();
  EXPECT_EQ(RtfdPackage::read(sheet).text.plainText(), text);
  EXPECT_TRUE(written.document.isNull());
  EXPECT_NE(written.deletedOn, QCoreApplication::instance()->thread());

  const QString blocked = dir.path() + QStringLiteral("/Blocked");
  const QString stuck = blocked + QStringLiteral("/Sheet 000000.rtfd");
  {
    QFile blocker(blocked);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  }
  kr::test::ExpectWarnings expected({QStringLiteral("could not write")});
  Left failed(text, true);
  writer.write(stuck, blocked, failed.left);
  writer.drain();
  EXPECT_TRUE(failed.document.isNull());
  ASSERT_TRUE(writer.unwrittenText(stuck).has_value());
  EXPECT_EQ(writer.unwrittenText(stuck)->plainText(), text);
}
