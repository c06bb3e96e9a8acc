#include "window/NowAndLaterBoardManager.h"
#include "window/PadKeys.h"
#include "window/PadViewController.h"

#include "engine/BackingStoreDescriptor.h"
#include "engine/BackingStoreManager.h"
#include "kit/text/FastTypeTextViewDelegate.h"
#include "kit/text/NowAndLaterBoardTextView.h"
#include "kit/text/PadSheetWriter.h"
#include "kit/text/PadTextSettings.h"
#include "platform/richtext/RichTextDocument.h"
#include "platform/richtext/RtfChunkCache.h"
#include "platform/richtext/RtfWriter.h"
#include "platform/richtext/RtfdPackage.h"
#include "platform/services/TestAlertPresenter.h"
#include "platform/settings/UserDefaults.h"
#include "support/FreshDefaults.h"
#include "support/TestClock.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QToolButton>

using namespace kr;

namespace {

QString sheetText(const QString& path) {
  const RtfdPackage::ReadResult read = RtfdPackage::read(path);
  return read.status == RtfdPackage::Status::Ok ? read.text.plainText() : QStringLiteral("<none>");
}

// Every file below `folder` with its bytes.
QMap<QString, QByteArray> snapshot(const QString& folder) {
  QMap<QString, QByteArray> files;
  QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
      files[path] = file.readAll();
  }
  return files;
}

// A sheet as a pad writes it: its tab stops every 28 points.
void writeSheet(const QString& path, const QString& text) {
  RichText sheet(text);
  sheet.setTabInterval(28);
  ASSERT_TRUE(RtfdPackage::write(path, sheet));
}

// A sheet whose text file holds exactly `bytes`, whatever they are.
void writeRawSheet(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(path);
  QFile rtf(path + QStringLiteral("/TXT.rtf"));
  ASSERT_TRUE(rtf.open(QIODevice::WriteOnly));
  rtf.write(bytes);
}

class Pads : public ::testing::Test {
protected:
  Pads() {
    test::freshStandardDefaults();
    defaults().registerDefault(QStringLiteral("nowPadBackgroundColor"), QStringLiteral("#ffffcc"));
    defaults().registerDefault(QStringLiteral("laterPadBackgroundColor"),
                               QStringLiteral("#e4ffdc"));
    defaults().registerDefault(QStringLiteral("scratchPadBackgroundColor"),
                               QStringLiteral("#edddff"));
    defaults().registerDefault(QStringLiteral("textColor"), QStringLiteral("#000000"));
    defaults().registerDefault(QStringLiteral("defaultFont"),
                               QFont(QStringLiteral("Helvetica"), 12).toString());
  }

  // A sheet left at the end of a test is written in the background: it lands
  // before the test's folder goes.
  ~Pads() override { PadSheetWriter::shared().drain(); }

  static UserDefaults& defaults() { return UserDefaults::standard(); }

  std::unique_ptr<NowAndLaterBoardManager> makeManager() {
    return std::make_unique<NowAndLaterBoardManager>(dir.path(), defaults());
  }

  std::unique_ptr<PadViewController> makePad(BackingStoreDescriptor& store,
                                             const char* colourKey = "nowPadBackgroundColor") {
    auto pad = std::make_unique<PadViewController>(true);
    pad->backgroundColorStorageKey = QString::fromLatin1(colourKey);
    pad->backingStoreDescriptor = &store;
    pad->build();
    pad->view()->resize(400, 500);
    pad->view()->show();
    return pad;
  }

  QString nowSheet(int number) const {
    return dir.path() +
           QStringLiteral("/Pads/Now Pad/Now Pads %1.rtfd").arg(number, 6, 10, QLatin1Char('0'));
  }

  static void type(PadViewController& pad, const QString& text) {
    QTextCursor cursor = pad.textView()->textCursor();
    cursor.movePosition(QTextCursor::End);
    pad.textView()->setTextCursor(cursor);
    QTest::keyClicks(pad.textView(), text);
  }

  QTemporaryDir dir;
  test::TestClock clock;
  TestAlertPresenter alerts;
  ScopedAlertPresenter scopedAlerts{alerts};
};

TEST_F(Pads, AFirstRunMakesSheetZeroFromItsTemplateAndNewSheetsCountOnFromTheLast) {
  auto manager = makeManager();
  for (const char* folder : {"Now Pad", "Later Pad", "Scratch Pad"})
    EXPECT_TRUE(QFileInfo(dir.path() + QStringLiteral("/Pads/") + QLatin1String(folder)).isDir());
  auto pad = makePad(manager->nowStoreDesc());
  EXPECT_TRUE(sheetText(nowSheet(0)).startsWith(QStringLiteral("Now")));
  EXPECT_TRUE(pad->textView()->toPlainText().startsWith(QStringLiteral("Now")));
  // One sheet: nothing to page to, nothing that may be deleted.
  EXPECT_FALSE(pad->nextSheetButton()->isEnabled());
  EXPECT_FALSE(pad->previousSheetButton()->isEnabled());
  EXPECT_FALSE(pad->deleteSheetButton()->isEnabled());
  EXPECT_TRUE(pad->newSheetButton()->isEnabled());
  EXPECT_EQ(pad->newSheetButton()->toolTip(), QStringLiteral("Create A New Sheet"));
  EXPECT_EQ(pad->nextSheetButton()->toolTip(), QStringLiteral("Next / New Pad"));
  EXPECT_EQ(pad->previousSheetButton()->toolTip(), QStringLiteral("Previous Pad"));
  EXPECT_EQ(pad->deleteSheetButton()->toolTip(), QStringLiteral("Delete Current Pad"));
  EXPECT_EQ(pad->helpButton()->toolTip(), QStringLiteral("More Information\u2026"));
  EXPECT_TRUE(pad->helpButton()->isEnabled());

  // The keyboard reaches the enabled sheet buttons from the text and presses them.
  pad->view()->window()->activateWindow();
  QApplication::setActiveWindow(pad->view()->window());
  pad->textView()->setFocus(Qt::OtherFocusReason);
  QTest::keyClick(pad->textView(), Qt::Key_Tab, Qt::ControlModifier);
  QList<QWidget*> reached;
  for (int i = 0; i < 4 && QApplication::focusWidget() != pad->textView(); ++i) {
    reached.append(QApplication::focusWidget());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  // From the left, as they show; the disabled ones are passed over.
  EXPECT_EQ(reached, (QList<QWidget*>{pad->helpButton(), pad->newSheetButton()}));
  pad->newSheetButton()->setFocus(Qt::TabFocusReason);
  QTest::keyClick(pad->newSheetButton(), Qt::Key_Space);
  EXPECT_TRUE(QFileInfo::exists(nowSheet(1)));
  // The new sheet has the focus: what is typed next goes onto it, and a
  // space is a space, not a second new sheet.
  EXPECT_EQ(QApplication::focusWidget(), pad->textView());
  QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("on one"));
  // Under the template's heading, not run into it nor in its bold.
  EXPECT_TRUE(pad->textView()->toPlainText().startsWith(QStringLiteral("Now\non one\n")))
      << qPrintable(pad->textView()->toPlainText());
  EXPECT_FALSE(pad->textView()->textCursor().charFormat().font().bold());
  EXPECT_FALSE(QFileInfo::exists(nowSheet(2)));
  EXPECT_TRUE(pad->previousSheetButton()->isEnabled());
  EXPECT_TRUE(pad->deleteSheetButton()->isEnabled());
  EXPECT_FALSE(pad->nextSheetButton()->isEnabled());
  // Clicked, the button gives the new sheet the focus as well.
  pad->helpButton()->setFocus(Qt::OtherFocusReason);
  QTest::mouseClick(pad->newSheetButton(), Qt::LeftButton);
  EXPECT_TRUE(QFileInfo::exists(nowSheet(2)));
  EXPECT_EQ(QApplication::focusWidget(), pad->textView());

  // Gaps are never refilled: after 000001 and 000003 comes 000004.
  writeSheet(nowSheet(3), QStringLiteral("three\n"));
  manager->nowStoreDesc().index().refreshIndexFromDisk();
  pad->newSheet();
  EXPECT_EQ(manager->nowStoreDesc().index().selectedID(), nowSheet(4));
  EXPECT_TRUE(QFileInfo::exists(nowSheet(4)));
}

TEST_F(Pads, DeletingAsksFirstAndShowsTheNextSheetOrElseThePreviousOne) {
  for (int i = 0; i < 3; ++i) {
    QDir().mkpath(dir.path() + QStringLiteral("/Pads/Now Pad"));
    writeSheet(nowSheet(i), QStringLiteral("sheet %1\n").arg(i));
  }
  auto manager = makeManager();
  auto pad = makePad(manager->nowStoreDesc());
  ASSERT_EQ(pad->textView()->toPlainText(), QStringLiteral("sheet 2\n"));
  pad->previousSheet();
  ASSERT_EQ(pad->textView()->toPlainText(), QStringLiteral("sheet 1\n"));

  // Cancel keeps the sheet (written before the question).
  type(*pad, QStringLiteral("kept"));
  alerts.answer = 1;
  EXPECT_FALSE(pad->deleteSheet());
  ASSERT_EQ(alerts.shown.size(), 1);
  EXPECT_EQ(alerts.shown[0].messageText, PadViewController::kDeleteQuestion);
  EXPECT_EQ(alerts.shown[0].buttons, (QStringList{QStringLiteral("OK"), QStringLiteral("Cancel")}));
  EXPECT_TRUE(QFileInfo::exists(nowSheet(1)));
  EXPECT_EQ(sheetText(nowSheet(1)), QStringLiteral("sheet 1\nkept"));

  // The middle one of three: the third shows.
  alerts.answer = 0;
  EXPECT_TRUE(pad->deleteSheet());
  EXPECT_FALSE(QFileInfo::exists(nowSheet(1)));
  EXPECT_EQ(pad->textView()->toPlainText(), QStringLiteral("sheet 2\n"));
  // The last one: the one before it shows, and it is the only one left.
  EXPECT_TRUE(pad->deleteSheet());
  EXPECT_FALSE(QFileInfo::exists(nowSheet(2)));
  EXPECT_EQ(pad->textView()->toPlainText(), QStringLiteral("sheet 0\n"));
  EXPECT_FALSE(pad->deleteSheetButton()->isEnabled());
  EXPECT_FALSE(pad->deleteSheet());
  EXPECT_EQ(alerts.shown.size(), 3);
}

// The question is about the sheet shown as it was: another page shown, or
// the sheet written by another program, while it is open, and OK deletes
// nothing.
TEST_F(Pads, DeletingDeletesNothingWhenTheSheetChangedWhileItAsked) {
  const std::pair<const char*, std::function<void(PadViewController&)>> cases[] = {
      {"another page shown", [](PadViewController& pad) { pad.nextSheet(); }},
      {"written by another program",
       [this](PadViewController&) { writeSheet(nowSheet(1), QStringLiteral("elsewhere\n")); }},
  };
  for (const auto& [name, change] : cases) {
    SCOPED_TRACE(name);
    const auto& meanwhile = change;
    QDir(dir.path() + QStringLiteral("/Pads")).removeRecursively();
    QDir().mkpath(dir.path() + QStringLiteral("/Pads/Now Pad"));
    for (int i = 0; i < 3; ++i)
      writeSheet(nowSheet(i), QStringLiteral("sheet %1\n").arg(i));
    auto manager = makeManager();
    auto pad = makePad(manager->nowStoreDesc());
    pad->previousSheet();
    alerts.answer = 0;
    alerts.whileOpen = [&](const Alert&) { meanwhile(*pad); };
    EXPECT_FALSE(pad->deleteSheet());
    alerts.whileOpen = nullptr;
    for (int i = 0; i < 3; ++i)
      EXPECT_TRUE(QFileInfo::exists(nowSheet(i))) << i;
    PadSheetWriter::shared().drain();
  }
}

TEST_F(Pads, TextTypedJustBeforeAPageChangeIsKeptAndTheUndoHistoryStartsAfresh) {
  auto manager = makeManager();
  auto pad = makePad(manager->nowStoreDesc());
  pad->newSheet();
  pad->previousSheet();
  type(*pad, QStringLiteral("typed now"));
  EXPECT_TRUE(pad->textView()->delegate()->isWritePending());
  clock.advance(1.0); // well before the autosave
  EXPECT_FALSE(sheetText(nowSheet(0)).contains(QStringLiteral("typed now")));
  ASSERT_TRUE(pad->nextSheet());
  PadSheetWriter::shared().drain();
  EXPECT_TRUE(sheetText(nowSheet(0)).contains(QStringLiteral("typed now")));
  // The sheet shown has no undo records of the other one.
  EXPECT_FALSE(pad->textView()->document()->isUndoAvailable());
  ASSERT_TRUE(pad->previousSheet());
  EXPECT_TRUE(pad->textView()->toPlainText().contains(QStringLiteral("typed now")));
  EXPECT_FALSE(pad->textView()->document()->isUndoAvailable());
}

TEST_F(Pads, TheAutosaveWritesAboutEveryFiveSecondsWhileTypingGoesOn) {
  auto manager = makeManager();
  auto pad = makePad(manager->nowStoreDesc());
  const QString before = sheetText(nowSheet(0));
  QList<int> writes;
  QString lastOnDisk = before;
  for (int second = 1; second <= 20; ++second) {
    type(*pad, QStringLiteral("x"));
    clock.advance(1.0);
    // The autosave writes on the sheet writer's thread.
    PadSheetWriter::shared().drain();
    const QString onDisk = sheetText(nowSheet(0));
    if (onDisk != lastOnDisk) {
      writes.append(second);
      lastOnDisk = onDisk;
    }
  }
  // Typing never pushes a pending write back.
  EXPECT_EQ(writes, (QList<int>{5, 10, 15, 20}));
  EXPECT_TRUE(lastOnDisk.contains(QString(20, u'x')));
  EXPECT_DOUBLE_EQ(FastTypeTextViewDelegate::kAutosaveTolerance, 2.5);
  // Nothing typed: nothing pending, nothing written.
  clock.advance(30.0);
  EXPECT_FALSE(pad->textView()->delegate()->isWritePending());
}

TEST_F(Pads, SheetsThatCannotBeReadInFullAreShownReadOnlyAndLeftAsTheyAre) {
  const QString folder = dir.path() + QStringLiteral("/Pads/Now Pad");
  QDir().mkpath(folder);
  writeSheet(nowSheet(0), QStringLiteral("good\n"));
  // Cut off in the middle of its text.
  writeRawSheet(nowSheet(1),
                "{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}\\f0 the first half of a long");
  // No text file at all.
  QDir().mkpath(nowSheet(2));
  {
    QFile junk(nowSheet(2) + QStringLiteral("/picture.png"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not a sheet");
  }
  const auto before = snapshot(folder);
  auto manager = makeManager();
  test::ConsoleCapture console;
  auto pad = makePad(manager->nowStoreDesc());

  // The last sheet shows first: it cannot be read at all.
  EXPECT_TRUE(pad->textView()->isReadOnly());
  EXPECT_FALSE(pad->noticeLabel()->isHidden());
  EXPECT_TRUE(pad->noticeLabel()->text().contains(QStringLiteral("could not be read")));
  QTest::keyClicks(pad->textView(), QStringLiteral("lost?"));
  EXPECT_EQ(pad->textView()->toPlainText(), QString());
  ASSERT_TRUE(pad->previousSheet());
  // The cut-off one shows what could be read, read-only.
  EXPECT_TRUE(pad->textView()->isReadOnly());
  EXPECT_TRUE(pad->textView()->toPlainText().contains(QStringLiteral("the first half")));
  EXPECT_TRUE(pad->noticeLabel()->text().contains(QStringLiteral("Only part of the sheet")));
  EXPECT_TRUE(PadViewController::saveAllPads().isEmpty());
  ASSERT_TRUE(pad->previousSheet());
  EXPECT_FALSE(pad->textView()->isReadOnly());
  EXPECT_TRUE(pad->noticeLabel()->isHidden());
  ASSERT_TRUE(pad->nextSheet());
  ASSERT_TRUE(pad->nextSheet());
  EXPECT_EQ(snapshot(folder), before);
  EXPECT_TRUE(console.contains(QStringLiteral("read-only")));
  // The data interface tells them apart from an empty sheet too.
  manager->nowStoreDesc().pointToFileWithID(nowSheet(1));
  EXPECT_TRUE(BackingStoreManager::sharedManager()
                  .contentOfSelectedFile(manager->nowStoreDesc())
                  .isEmpty());
  EXPECT_EQ(BackingStoreManager::sharedManager().readSelectedFile(manager->nowStoreDesc()).status,
            BackingStoreManager::SelectedFile::Status::Partial);
}

TEST_F(Pads, ASheetWithTextAfterItsDocumentIsShownReadOnlyAndLeftByteForByte) {
  const QString folder = dir.path() + QStringLiteral("/Pads/Now Pad");
  QDir().mkpath(folder);
  writeSheet(nowSheet(0), QStringLiteral("good\n"));
  writeRawSheet(nowSheet(1), "{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}\\f0 inside\\par\n}\n"
                             "and 85 more bytes a save would drop\n");
  const auto before = snapshot(folder);
  auto manager = makeManager();
  test::ConsoleCapture console;
  auto pad = makePad(manager->nowStoreDesc());
  EXPECT_TRUE(pad->textView()->isReadOnly());
  EXPECT_TRUE(pad->textView()->toPlainText().contains(QStringLiteral("inside")));
  EXPECT_TRUE(pad->noticeLabel()->text().contains(QStringLiteral("text follows the end")));
  QTest::keyClicks(pad->textView(), QStringLiteral("typed"));
  EXPECT_FALSE(pad->textView()->toPlainText().contains(QStringLiteral("typed")));
  EXPECT_TRUE(PadViewController::saveAllPads().isEmpty());
  ASSERT_TRUE(pad->previousSheet());
  ASSERT_TRUE(pad->nextSheet());
  EXPECT_TRUE(pad->textView()->isReadOnly());
  EXPECT_EQ(snapshot(folder), before);
  EXPECT_TRUE(console.contains(QStringLiteral("text follows the end")));
}

TEST_F(Pads, ASheetHoldingWhatTheEditorCannotKeepIsShownReadOnlyAndLeftByteForByte) {
  const QString folder = dir.path() + QStringLiteral("/Pads/Now Pad");
  QDir().mkpath(folder);
  writeSheet(nowSheet(0), QStringLiteral("good\n"));
  // As pandoc writes a note.
  writeRawSheet(nowSheet(1),
                "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 \\fswiss Helvetica;}}\n"
                "{\\pard \\f0 Notes{\\super\\chftn}{\\*\\footnote\\chftn\\~\\plain"
                "\\pard {\\pard \\f0 The note.\\par}\n} and {\\highlight3 more}.\\par}\n}\n");
  const auto before = snapshot(folder);
  auto manager = makeManager();
  auto pad = makePad(manager->nowStoreDesc());
  EXPECT_TRUE(pad->textView()->isReadOnly());
  EXPECT_TRUE(pad->textView()->toPlainText().contains(QStringLiteral("Notes and more.")));
  EXPECT_TRUE(pad->noticeLabel()->text().contains(
      QStringLiteral("holds footnotes and superscript or subscript, which this editor cannot "
                     "keep. It is shown read-only and will not be changed.")))
      << pad->noticeLabel()->text().toStdString();
  QTest::keyClicks(pad->textView(), QStringLiteral("typed"));
  EXPECT_FALSE(pad->textView()->toPlainText().contains(QStringLiteral("typed")));
  clock.advance(30.0);
  PadSheetWriter::shared().drain();
  EXPECT_TRUE(PadViewController::saveAllPads().isEmpty());
  ASSERT_TRUE(pad->previousSheet());
  EXPECT_FALSE(pad->textView()->isReadOnly());
  ASSERT_TRUE(pad->nextSheet());
  EXPECT_TRUE(pad->textView()->isReadOnly());
  EXPECT_EQ(snapshot(folder), before);
}

TEST_F(Pads, AFailedWriteKeepsTheTextSaysWhyOnceAndIsTriedAgain) {
  auto manager = makeManager();
  auto pad = makePad(manager->nowStoreDesc());
  pad->newSheet();
  const QString folder = dir.path() + QStringLiteral("/Pads/Now Pad");
  const QString aside = dir.path() + QStringLiteral("/aside");
  // A file where the pad's folder was.
  ASSERT_TRUE(QDir().rename(folder, aside));
  {
    QFile blocker(folder);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  }
  type(*pad, QStringLiteral("precious"));
  test::ConsoleCapture console;
  test::ExpectWarnings expected({QStringLiteral("could not write")});
  clock.advance(6.0);
  // Told once the write on the sheet writer's thread is over.
  PadSheetWriter::shared().drain();
  QCoreApplication::processEvents();
  ASSERT_EQ(alerts.shown.size(), 1);
  EXPECT_EQ(alerts.shown[0].messageText, QStringLiteral("The sheet could not be saved"));
  EXPECT_TRUE(console.contains(QStringLiteral("could not be saved")));
  EXPECT_FALSE(pad->textView()->delegate()->failure().isEmpty());
  // The page does not turn away from text that is not on disk.
  EXPECT_FALSE(pad->previousSheet());
  EXPECT_TRUE(pad->textView()->toPlainText().contains(QStringLiteral("precious")));
  EXPECT_EQ(alerts.shown.size(), 1);
  EXPECT_EQ(PadViewController::saveAllPads().size(), 1);
  EXPECT_EQ(alerts.shown.size(), 1);
  // The failure stays with the pad, which still has the text: the sheet
  // writer keeps nothing of it.
  EXPECT_FALSE(PadSheetWriter::shared().hasFailures(folder));
  EXPECT_FALSE(PadSheetWriter::shared().unwrittenText(nowSheet(1)).has_value());

  // The folder is back: the next save writes the text.
  ASSERT_TRUE(QFile::remove(folder));
  ASSERT_TRUE(QDir().rename(aside, folder));
  EXPECT_TRUE(PadViewController::saveAllPads().isEmpty());
  EXPECT_TRUE(sheetText(nowSheet(1)).contains(QStringLiteral("precious")));
  EXPECT_TRUE(pad->textView()->delegate()->failure().isEmpty());
}

RichText notes(int size, char tag) {
  QString text;
  for (int line = 0; text.size() < size; ++line)
    text += QStringLiteral("%1 %2: a line of notes about the work of the day.\n")
                .arg(QLatin1Char(tag))
                .arg(line);
  return RichText(text);
}

bool laidOutToTheEnd(const NowAndLaterBoardTextView& view) {
  return view.document()->lastBlock().layout()->lineCount() > 0;
}

// Until a long sheet read and built in the background is shown.
bool waitForSheet(const PadViewController& pad) {
  QElapsedTimer waited;
  waited.start();
  while (pad.isLoadingSheet() && waited.elapsed() < test::timeLimit(20000))
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  return !pad.isLoadingSheet();
}

TEST_F(Pads, ASheetIsWholeAfterAPageTurnThatReturnedBeforeItWasLaidOut) {
  QDir().mkpath(dir.path() + QStringLiteral("/Pads/Now Pad"));
  const RichText first = notes(2 << 20, 'a');
  const RichText second = notes(2 << 20, 'b');
  ASSERT_TRUE(RtfdPackage::write(nowSheet(0), first));
  ASSERT_TRUE(RtfdPackage::write(nowSheet(1), second));
  auto manager = makeManager();
  auto pad = makePad(manager->nowStoreDesc());
  NowAndLaterBoardTextView& view = *pad->textView();
  ASSERT_TRUE(waitForSheet(*pad));
  EXPECT_FALSE(laidOutToTheEnd(view));
  // Typed at the top, then the page turns away and straight back, while the
  // text left is written in the background.
  QTest::keyClicks(&view, QStringLiteral("on top "));
  ASSERT_TRUE(pad->previousSheet());
  ASSERT_TRUE(waitForSheet(*pad));
  EXPECT_FALSE(laidOutToTheEnd(view));
  EXPECT_EQ(view.toPlainText(), first.plainText());
  ASSERT_TRUE(pad->nextSheet());
  ASSERT_TRUE(waitForSheet(*pad));
  EXPECT_FALSE(laidOutToTheEnd(view));
  EXPECT_EQ(view.toPlainText(), QStringLiteral("on top ") + second.plainText());
  // The rest of the layout comes in steps between the events.
  QElapsedTimer waited;
  waited.start();
  while (!laidOutToTheEnd(view) && waited.elapsed() < test::timeLimit(20000))
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  EXPECT_TRUE(laidOutToTheEnd(view));
  EXPECT_EQ(view.toPlainText(), QStringLiteral("on top ") + second.plainText());
  PadSheetWriter::shared().drain();
  EXPECT_EQ(sheetText(nowSheet(1)), QStringLiteral("on top ") + second.plainText());
  EXPECT_EQ(sheetText(nowSheet(0)), first.plainText());
}

TEST_F(Pads, ALongSheetIsBuiltInTheBackgroundAndShownWholeAndEditable) {
  QDir().mkpath(dir.path() + QStringLiteral("/Pads/Now Pad"));
  const RichText first = notes(1 << 20, 'a');
  const RichText last = notes(1 << 20, 'c');
  ASSERT_TRUE(RtfdPackage::write(nowSheet(0), first));
  writeSheet(nowSheet(1), QStringLiteral("a short sheet"));
  ASSERT_TRUE(RtfdPackage::write(nowSheet(2), last));
  const auto before = snapshot(dir.path());
  auto manager = makeManager();
  auto pad = makePad(manager->nowStoreDesc());
  NowAndLaterBoardTextView& view = *pad->textView();
  int shown = 0;
  QObject::connect(pad.get(), &PadViewController::sheetShown, [&] { ++shown; });
  // While the last sheet is built: no text, nothing to edit, write or delete.
  ASSERT_TRUE(pad->isLoadingSheet());
  EXPECT_TRUE(view.toPlainText().isEmpty());
  EXPECT_TRUE(view.isReadOnly());
  EXPECT_FALSE(view.isSheetWritable());
  EXPECT_FALSE(pad->deleteSheetButton()->isEnabled());
  EXPECT_FALSE(pad->deleteSheet());
  QTest::keyClicks(&view, QStringLiteral("lost"));
  EXPECT_TRUE(view.toPlainText().isEmpty());
  EXPECT_TRUE(PadViewController::saveAllPads().isEmpty());
  // The page turns on before the build is over: a short sheet is shown at
  // once, and the build left behind never shows.
  ASSERT_TRUE(pad->previousSheet());
  EXPECT_FALSE(pad->isLoadingSheet());
  EXPECT_EQ(view.toPlainText(), QStringLiteral("a short sheet"));
  EXPECT_EQ(shown, 1);
  ASSERT_TRUE(pad->previousSheet());
  ASSERT_TRUE(waitForSheet(*pad));
  EXPECT_EQ(shown, 2);
  EXPECT_EQ(view.toPlainText(), first.plainText());
  EXPECT_FALSE(view.isReadOnly());
  EXPECT_TRUE(view.isSheetWritable());
  EXPECT_FALSE(view.document()->isModified());
  EXPECT_FALSE(view.document()->isUndoAvailable());
  EXPECT_TRUE(pad->deleteSheetButton()->isEnabled());
  EXPECT_TRUE(pad->noticeLabel()->isHidden());
  EXPECT_EQ(snapshot(dir.path()), before);
  // Edited like any sheet: typed, undone, written back.
  QTest::keyClicks(&view, QStringLiteral("top "));
  EXPECT_TRUE(view.document()->isModified());
  view.undo();
  EXPECT_EQ(view.toPlainText(), first.plainText());
  QTest::keyClicks(&view, QStringLiteral("kept "));
  EXPECT_TRUE(PadViewController::saveAllPads().isEmpty());
  EXPECT_EQ(sheetText(nowSheet(0)), QStringLiteral("kept ") + first.plainText());
  EXPECT_EQ(sheetText(nowSheet(2)), last.plainText());
  EXPECT_EQ(shown, 2);
}

TEST_F(Pads, KeysTypedWhileALongSheetIsReadGoInAtTheCaretItIsGiven) {
  QDir().mkpath(dir.path() + QStringLiteral("/Pads/Now Pad"));
  const RichText first = notes(1 << 20, 'a');
  ASSERT_TRUE(RtfdPackage::write(nowSheet(0), first));
  writeSheet(nowSheet(1), QStringLiteral("a short sheet"));
  auto manager = makeManager();
  auto pad = makePad(manager->nowStoreDesc());
  NowAndLaterBoardTextView& view = *pad->textView();
  // Never visited: the keys go at its end. A Backspace takes back a key
  // held; Delete would change a text not seen yet and is not kept.
  ASSERT_TRUE(pad->previousSheet());
  ASSERT_TRUE(pad->isLoadingSheet());
  EXPECT_TRUE(pad->noticeLabel()->text().contains(QStringLiteral("being read")));
  QTest::keyClicks(&view, QStringLiteral("endx"));
  QTest::keyClick(&view, Qt::Key_Backspace);
  QTest::keyClick(&view, Qt::Key_Return);
  QTest::keyClick(&view, Qt::Key_Delete);
  ASSERT_TRUE(waitForSheet(*pad));
  EXPECT_EQ(view.toPlainText(), first.plainText() + QStringLiteral("end\n"));
  EXPECT_TRUE(view.document()->isModified());
  EXPECT_EQ(pad->noticeLabel()->text(),
            QStringLiteral("1 typed character was not kept: the sheet was not shown yet."));
  // One edit, which Undo takes back whole; typing again clears the notice.
  view.undo();
  EXPECT_EQ(view.toPlainText(), first.plainText());
  QTest::keyClicks(&view, QStringLiteral("end"));
  EXPECT_TRUE(pad->noticeLabel()->isHidden());

  // Visited: where its caret was.
  pad->focus();
  QTextCursor caret(view.document());
  caret.setPosition(10);
  view.setTextCursor(caret);
  QString expected = view.toPlainText();
  expected.insert(10, QStringLiteral("mid"));
  ASSERT_TRUE(pad->nextSheet());
  PadSheetWriter::shared().drain();
  ASSERT_TRUE(pad->previousSheet());
  ASSERT_TRUE(pad->isLoadingSheet());
  QTest::keyClicks(&view, QStringLiteral("mid"));
  ASSERT_TRUE(waitForSheet(*pad));
  EXPECT_EQ(view.toPlainText(), expected);
  EXPECT_TRUE(pad->noticeLabel()->isHidden());
  EXPECT_TRUE(PadViewController::saveAllPads().isEmpty());
  EXPECT_EQ(sheetText(nowSheet(0)), expected);
}

TEST_F(Pads, KeysTypedForALongSheetLeftOrShownReadOnlyGoNowhereAndTheNoticeSaysSo) {
  enum class Then { turnAway, hide, readOnly, quit };
  for (const Then then : {Then::turnAway, Then::hide, Then::readOnly, Then::quit}) {
    SCOPED_TRACE(static_cast<int>(then));
    QTemporaryDir home;
    const QString folder = home.path() + QStringLiteral("/Pads/Now Pad");
    QDir().mkpath(folder);
    const QString longSheet = folder + QStringLiteral("/Now Pads 000000.rtfd");
    // Without its closing brace: read in part, shown read-only.
    if (then == Then::readOnly)
      writeRawSheet(longSheet, "{\\rtf1\\ansi " + notes(1 << 20, 'a').plainText().toUtf8());
    else
      ASSERT_TRUE(RtfdPackage::write(longSheet, notes(1 << 20, 'a')));
    writeSheet(folder + QStringLiteral("/Now Pads 000001.rtfd"), QStringLiteral("short"));
    const auto before = snapshot(home.path());
    NowAndLaterBoardManager manager(home.path(), defaults());
    auto pad = makePad(manager.nowStoreDesc());
    NowAndLaterBoardTextView& view = *pad->textView();
    ASSERT_TRUE(pad->previousSheet());
    ASSERT_TRUE(pad->isLoadingSheet());
    QTest::keyClicks(&view, QStringLiteral("lost"));
    QTest::keyClick(&view, Qt::Key_Return);
    if (then == Then::turnAway) {
      ASSERT_TRUE(pad->nextSheet());
      EXPECT_EQ(view.toPlainText(), QStringLiteral("short"));
    } else if (then == Then::hide) {
      pad->view()->hide();
    } else if (then == Then::quit) {
      PadViewController::dropKeysHeldAtQuit();
    }
    ASSERT_TRUE(waitForSheet(*pad));
    if (then == Then::quit) {
      EXPECT_TRUE(pad->noticeLabel()->isHidden());
    } else {
      EXPECT_TRUE(
          pad->noticeLabel()->text().contains(QStringLiteral("5 typed characters were not kept")))
          << pad->noticeLabel()->text().toStdString();
    }
    if (then == Then::readOnly) {
      EXPECT_TRUE(pad->noticeLabel()->text().contains(QStringLiteral("Only part")));
    }
    EXPECT_FALSE(view.toPlainText().contains(QStringLiteral("lost")));
    EXPECT_FALSE(view.document()->isModified());
    EXPECT_TRUE(PadViewController::saveAllPads().isEmpty());
    PadSheetWriter::shared().drain();
    EXPECT_EQ(snapshot(home.path()), before);
  }
}

TEST_F(Pads, ALongSheetSavedBeforeItsEncodingInStepsIsOverIsWrittenWhole) {
  QDir().mkpath(dir.path() + QStringLiteral("/Pads/Now Pad"));
  ASSERT_TRUE(RtfdPackage::write(nowSheet(0), notes(1 << 20, 'a')));
  auto manager = makeManager();
  auto pad = makePad(manager->nowStoreDesc());
  NowAndLaterBoardTextView& view = *pad->textView();
  ASSERT_TRUE(waitForSheet(*pad));
  // Shown first; its text is encoded for its file in steps from then on.
  EXPECT_TRUE(view.isEncodingInSteps());
  const RtfChunkCache* cache = RtfChunkCache::find(view.document());
  ASSERT_NE(cache, nullptr);
  EXPECT_GT(cache->staleBlocks(), RtfChunkCache::kBlocksPerChunk);
  // Edited in the middle, and the page turns before the steps are over.
  view.setTextCursor(
      QTextCursor(view.document()->findBlockByNumber(view.document()->blockCount() / 2)));
  QTest::keyClicks(&view, QStringLiteral("middle "));
  RichText expected = RichTextDocument::fromDocument(*view.document());
  expected.setTabInterval(28);
  ASSERT_TRUE(pad->newSheet());
  PadSheetWriter::shared().drain();
  QFile written(nowSheet(0) + QStringLiteral("/TXT.rtf"));
  ASSERT_TRUE(written.open(QIODevice::ReadOnly));
  EXPECT_TRUE(written.readAll() == RtfWriter::write(expected));
  EXPECT_TRUE(sheetText(nowSheet(0)).contains(QStringLiteral("middle a ")));
}

TEST_F(Pads, ALongSheetEditedRightAfterItIsShownIsAutosavedWholeOnceItsStepsAreOver) {
  QDir().mkpath(dir.path() + QStringLiteral("/Pads/Now Pad"));
  // Long enough that a step's few milliseconds encode a fifth of it even on a
  // fast machine (a megabyte came within a step of half).
  ASSERT_TRUE(RtfdPackage::write(nowSheet(0), notes(2 << 20, 'a')));
  // Read anew each time: a save puts a new file in the old one's place.
  const auto onDisk = [&] {
    QFile file(nowSheet(0) + QStringLiteral("/TXT.rtf"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  };
  const QByteArray before = onDisk();
  auto manager = makeManager();
  auto pad = makePad(manager->nowStoreDesc());
  NowAndLaterBoardTextView& view = *pad->textView();
  ASSERT_TRUE(waitForSheet(*pad));
  ASSERT_TRUE(view.isEncodingInSteps());
  const RtfChunkCache* cache = RtfChunkCache::find(view.document());
  ASSERT_NE(cache, nullptr);
  view.setTextCursor(QTextCursor(view.document()));
  QTest::keyClicks(&view, QStringLiteral("early "));
  const int staleBefore = cache->staleBlocks();
  ASSERT_GT(staleBefore, 4 * RtfChunkCache::kBlocksPerChunk);
  // The autosave comes before the steps are over: it leaves the rest of the
  // text to them, writes nothing yet, and stays pending.
  clock.advance(FastTypeTextViewDelegate::kAutosaveDelay +
                FastTypeTextViewDelegate::kAutosaveTolerance + 1);
  PadSheetWriter::shared().drain();
  EXPECT_EQ(cache->staleBlocks(), staleBefore);
  EXPECT_TRUE(view.delegate()->isWritePending());
  EXPECT_TRUE(onDisk() == before);
  // Keys go on meanwhile, each turn of the event loop a step of a few
  // chunks at most; the autosave follows the last step with all of them.
  QTest::keyClicks(&view, QStringLiteral("more "));
  int turns = 0;
  for (; view.isEncodingInSteps() && turns < 100000; ++turns) {
    const int stale = cache->staleBlocks();
    QCoreApplication::processEvents();
    EXPECT_LT(stale - cache->staleBlocks(), staleBefore / 2) << turns;
  }
  EXPECT_GT(turns, 2);
  PadSheetWriter::shared().drain();
  QCoreApplication::processEvents();
  EXPECT_FALSE(view.delegate()->hasUnsavedChanges());
  RichText whole = RichTextDocument::fromDocument(*view.document());
  whole.setTabInterval(28);
  EXPECT_TRUE(onDisk() == RtfWriter::write(whole));
  EXPECT_TRUE(sheetText(nowSheet(0)).startsWith(QStringLiteral("early more a 0: a line")));
}

TEST_F(Pads, ALongSheetReadOnlyInPartIsShownReadOnlyAfterItsBuild) {
  QDir().mkpath(dir.path() + QStringLiteral("/Pads/Now Pad"));
  QByteArray rtf = "{\\rtf1\\ansi ";
  while (rtf.size() < (1 << 20))
    rtf += "a line of notes about the work of the day\\par\n";
  writeRawSheet(nowSheet(0), rtf);
  const auto before = snapshot(dir.path());
  auto manager = makeManager();
  auto pad = makePad(manager->nowStoreDesc());
  ASSERT_TRUE(pad->isLoadingSheet());
  EXPECT_TRUE(pad->noticeLabel()->text().contains(QStringLiteral("being read")));
  ASSERT_TRUE(waitForSheet(*pad));
  EXPECT_TRUE(pad->textView()->isReadOnly());
  EXPECT_FALSE(pad->noticeLabel()->isHidden());
  EXPECT_TRUE(pad->noticeLabel()->text().contains(QStringLiteral("Only part")));
  EXPECT_TRUE(pad->textView()->toPlainText().startsWith(QStringLiteral("a line of notes")));
  QTest::keyClicks(pad->textView(), QStringLiteral("lost"));
  EXPECT_TRUE(PadViewController::saveAllPads().isEmpty());
  EXPECT_EQ(snapshot(dir.path()), before);
}

TEST_F(Pads, ASheetLeftWhoseWriteFailsIsReportedAndShownAgainWithItsText) {
  auto manager = makeManager();
  auto pad = makePad(manager->nowStoreDesc());
  pad->newSheet();
  type(*pad, QStringLiteral(" precious"));
  // A file that is no sheet took the sheet's place: it is never written over.
  const QString aside = dir.path() + QStringLiteral("/aside");
  ASSERT_TRUE(QDir().rename(nowSheet(1), aside));
  {
    QFile blocker(nowSheet(1));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.write("not a sheet");
  }
  test::ConsoleCapture console;
  test::ExpectWarnings expected({QStringLiteral("could not write")});
  // The page turns at once; the write fails behind it.
  ASSERT_TRUE(pad->previousSheet());
  PadSheetWriter::shared().drain();
  QCoreApplication::processEvents();
  ASSERT_EQ(alerts.shown.size(), 1);
  EXPECT_EQ(alerts.shown[0].messageText, QStringLiteral("The sheet could not be saved"));
  EXPECT_TRUE(alerts.shown[0].informativeText.contains(nowSheet(1)));
  EXPECT_TRUE(console.contains(QStringLiteral("could not be saved")));
  // The pad is back on that sheet, its text whole and still to be saved.
  EXPECT_EQ(manager->nowStoreDesc().index().selectedID(), nowSheet(1));
  EXPECT_TRUE(pad->textView()->toPlainText().endsWith(QStringLiteral(" precious")));
  EXPECT_FALSE(pad->textView()->isReadOnly());
  EXPECT_FALSE(pad->previousSheet());
  EXPECT_EQ(PadViewController::saveAllPads().size(), 1);
  EXPECT_EQ(alerts.shown.size(), 1);

  ASSERT_TRUE(QFile::remove(nowSheet(1)));
  ASSERT_TRUE(QDir().rename(aside, nowSheet(1)));
  EXPECT_TRUE(PadViewController::saveAllPads().isEmpty());
  EXPECT_TRUE(sheetText(nowSheet(1)).endsWith(QStringLiteral(" precious")));
  EXPECT_TRUE(pad->previousSheet());
}

TEST_F(Pads, SaveAllPadsWritesEveryPadInTheOrderTheyWereBuilt) {
  auto manager = makeManager();
  auto now = makePad(manager->nowStoreDesc());
  auto later = makePad(manager->laterStoreDesc(), "laterPadBackgroundColor");
  auto scratch = makePad(manager->scratchStoreDesc(), "scratchPadBackgroundColor");
  EXPECT_EQ(PadViewController::allPadViewControllers(),
            (QList<PadViewController*>{now.get(), later.get(), scratch.get()}));
  type(*now, QStringLiteral("N"));
  type(*later, QStringLiteral("L"));
  type(*scratch, QStringLiteral("S"));
  EXPECT_TRUE(PadViewController::saveAllPads().isEmpty());
  EXPECT_TRUE(sheetText(nowSheet(0)).endsWith(u'N'));
  EXPECT_TRUE(sheetText(dir.path() + QStringLiteral("/Pads/Later Pad/Later Pads 000000.rtfd"))
                  .endsWith(u'L'));
  EXPECT_TRUE(sheetText(dir.path() + QStringLiteral("/Pads/Scratch Pad/Scratch Pads 000000.rtfd"))
                  .endsWith(u'S'));
  later.reset();
  EXPECT_EQ(PadViewController::allPadViewControllers(),
            (QList<PadViewController*>{now.get(), scratch.get()}));
}

TEST_F(Pads, TemplatesGoBeforeTheTextWithTheirFirstPlaceholderSelectedAsOneUndoableStep) {
  auto manager = makeManager();
  auto scratch = makePad(manager->scratchStoreDesc(), "scratchPadBackgroundColor");
  manager->setPadControllers(nullptr, nullptr, scratch.get());
  NowAndLaterBoardTextView* text = scratch->textView();
  text->selectAll();
  QTest::keyClicks(text, QStringLiteral("old notes"));

  manager->addBreadcrumbsTemplate();
  EXPECT_TRUE(text->toPlainText().startsWith(QStringLiteral("Breadcrumbs\n")));
  EXPECT_TRUE(text->toPlainText().endsWith(QStringLiteral("old notes")));
  EXPECT_EQ(text->textCursor().selectedText(),
            QStringLiteral("\u2039what I was doing when the slice ended\u203a"));
  EXPECT_FALSE(PadKeys::isHidden(defaults(), QStringLiteral("scratchPadHidden")));
  text->undo();
  EXPECT_EQ(text->toPlainText(), QStringLiteral("old notes"));

  // A template without placeholders: the first one further on is selected.
  text->selectAll();
  text->insertPlainText(QStringLiteral("fill \u2039this\u203a in"));
  manager->applyPadTemplate(QStringLiteral("now"));
  EXPECT_EQ(text->textCursor().selectedText(), QStringLiteral("\u2039this\u203a"));
  // None at all: the selection stays.
  text->selectAll();
  QTest::keyClicks(text, QStringLiteral("plain"));
  QTextCursor caret = text->textCursor();
  caret.setPosition(2);
  text->setTextCursor(caret);
  manager->applyPadTemplate(QStringLiteral("later"));
  EXPECT_FALSE(text->textCursor().hasSelection());

  // From the rating page, with its option on: a new sheet first.
  const int sheets = int(manager->scratchStoreDesc().index().indexOfIDs().size());
  defaults().setValue(QStringLiteral("createNewScratchPadPageForPriming"), true);
  manager->addPrimingTemplateFromState();
  EXPECT_EQ(manager->scratchStoreDesc().index().indexOfIDs().size(), sheets + 1);
  EXPECT_TRUE(text->toPlainText().startsWith(QStringLiteral("Priming\n")));
  EXPECT_TRUE(text->textCursor().selectedText().startsWith(QChar(u'\u2039')));
  // With it off: the same sheet.
  manager->addBreadcrumbsTemplateFromState();
  EXPECT_EQ(manager->scratchStoreDesc().index().indexOfIDs().size(), sheets + 1);
  EXPECT_TRUE(text->toPlainText().startsWith(QStringLiteral("Breadcrumbs\n")));
}

TEST(PadPlaceholders, SearchForwardsAndBackwards) {
  const QString text = QStringLiteral("a \u2039one\u203a b \u2039two\u203a c \u2039open");
  using P = std::pair<int, int>;
  EXPECT_EQ(PadTextSettings::findMarkedText(text, 0, true), P(2, 5));
  // From the end of a selected placeholder: the next one.
  EXPECT_EQ(PadTextSettings::findMarkedText(text, 7, true), P(10, 5));
  // "‹" without a later "›": nothing.
  EXPECT_EQ(PadTextSettings::findMarkedText(text, 15, true), std::nullopt);
  EXPECT_EQ(PadTextSettings::findMarkedText(text, text.size(), false), P(10, 5));
  EXPECT_EQ(PadTextSettings::findMarkedText(text, 10, false), P(2, 5));
  EXPECT_EQ(PadTextSettings::findMarkedText(text, 6, false), std::nullopt);
  EXPECT_EQ(PadTextSettings::findMarkedText(QStringLiteral("\u203a\u2039"), 2, false),
            std::nullopt);
}

// The search over a document, read in place, finds what the search over its
// plain text finds, from every place, across paragraphs, and after edits and
// their undo.
TEST(PadPlaceholders, TheDocumentsSearchFollowsItsEdits) {
  QTextDocument document;
  document.setPlainText(QStringLiteral("a \u2039one\nline\u203a b\n\u2039two\u203a c \u2039open"));
  const auto agree = [&](const char* when) {
    const QString text = document.toPlainText();
    for (int at = -1; at <= text.size() + 1; ++at) {
      for (bool forwards : {true, false})
        ASSERT_EQ(PadTextSettings::findMarkedText(&document, at, forwards),
                  PadTextSettings::findMarkedText(text, at, forwards))
            << when << " from " << at << (forwards ? " forwards" : " backwards");
    }
  };
  agree("at first");
  QTextCursor cursor(&document);
  cursor.movePosition(QTextCursor::End);
  cursor.insertText(QStringLiteral("\u203a"));
  agree("after closing the last one");
  EXPECT_EQ(PadTextSettings::findMarkedText(&document, 20, true), std::make_pair(23, 6));
  cursor.setPosition(2);
  cursor.setPosition(3, QTextCursor::KeepAnchor);
  cursor.removeSelectedText();
  agree("after removing the first mark");
  document.undo();
  agree("after the undo");
  document.setPlainText(QStringLiteral("no marks"));
  agree("with none");
}

TEST_F(Pads, TheToggleRulesKeepAtMostOnePadShown) {
  UserDefaults& d = defaults();
  const QStringList& keys = PadKeys::padStorageKeyPaths();
  EXPECT_EQ(keys.size(), 6);
  // Unset reads hidden.
  EXPECT_FALSE(PadKeys::isPadSectionVisible(d));
  EXPECT_TRUE(PadKeys::togglePad(d, QStringLiteral("laterPadHidden")));
  EXPECT_FALSE(d.boolValue(QStringLiteral("laterPadHidden")));
  EXPECT_TRUE(PadKeys::isPadSectionVisible(d));
  // Another pad's button: it takes the place.
  EXPECT_TRUE(PadKeys::togglePad(d, QStringLiteral("logBookPadHidden")));
  EXPECT_TRUE(d.boolValue(QStringLiteral("laterPadHidden")));
  EXPECT_FALSE(d.boolValue(QStringLiteral("logBookPadHidden")));
  // Its own button: no pad is shown.
  EXPECT_FALSE(PadKeys::togglePad(d, QStringLiteral("logBookPadHidden")));
  EXPECT_FALSE(PadKeys::isPadSectionVisible(d));
  // Two shown (written elsewhere): the next toggle that shows hides the rest.
  d.setValue(QStringLiteral("nowPadHidden"), false);
  d.setValue(QStringLiteral("helpPadHidden"), false);
  PadKeys::togglePad(d, QStringLiteral("statsPadHidden"));
  for (const QString& key : keys)
    EXPECT_EQ(PadKeys::isHidden(d, key), key != QLatin1String("statsPadHidden"))
        << key.toStdString();
  // Hiding all except a hidden pad leaves none shown.
  PadKeys::hideAllPadsExcept(d, QStringLiteral("nowPadHidden"));
  EXPECT_FALSE(PadKeys::isPadSectionVisible(d));
  PadKeys::showPad(d, QStringLiteral("helpPadHidden"));
  EXPECT_FALSE(PadKeys::isHidden(d, QStringLiteral("helpPadHidden")));

  // The manager's toggles follow the same rules and put the caret into a pad shown.
  auto manager = makeManager();
  manager->toggleNowPad();
  EXPECT_FALSE(PadKeys::isHidden(d, QStringLiteral("nowPadHidden")));
  EXPECT_TRUE(PadKeys::isHidden(d, QStringLiteral("helpPadHidden")));
  manager->toggleNowPad();
  EXPECT_FALSE(PadKeys::isPadSectionVisible(d));
  manager->showScratchPad();
  manager->showScratchPad();
  EXPECT_FALSE(PadKeys::isHidden(d, QStringLiteral("scratchPadHidden")));
}

TEST_F(Pads, UnreadableFontAndColourSettingsReadAsTheirRegisteredValues) {
  test::ConsoleCapture console;
  defaults().setValue(QStringLiteral("defaultFont"), QStringLiteral(",,,"));
  defaults().setValue(QStringLiteral("textColor"), QStringLiteral("#zzzzzz"));
  defaults().setValue(QStringLiteral("nowPadBackgroundColor"), QStringLiteral("green-ish"));
  EXPECT_EQ(PadTextSettings::defaultFont(defaults()).family(), QStringLiteral("Helvetica"));
  EXPECT_EQ(PadTextSettings::textColor(defaults()), QColor(Qt::black));
  EXPECT_EQ(PadTextSettings::padColor(defaults(), QStringLiteral("nowPadBackgroundColor")),
            QColor(QStringLiteral("#ffffcc")));
  EXPECT_TRUE(console.contains(QStringLiteral("defaultFont")));
  EXPECT_TRUE(console.contains(QStringLiteral("textColor")));
  // A font set in the preferences is read back.
  auto manager = makeManager();
  manager->setDefaultFont(QFont(QStringLiteral("DejaVu Serif"), 15));
  EXPECT_EQ(manager->defaultFont().family(), QStringLiteral("DejaVu Serif"));
  EXPECT_EQ(manager->defaultFont().pointSize(), 15);
}

} // namespace
