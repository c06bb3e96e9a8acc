// Sheets that other word processors wrote, opened in a pad as a user would
// find them: what the editor cannot keep is shown read-only and never
// written over.

#include "window/NowAndLaterBoardManager.h"
#include "window/PadViewController.h"

#include "kit/FastTypeTextViewDelegate.h"
#include "kit/NowAndLaterBoardTextView.h"
#include "kit/PadSheetWriter.h"
#include "platform/services/TestAlertPresenter.h"
#include "platform/settings/UserDefaults.h"
#include "support/FreshDefaults.h"
#include "support/TestClock.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>

#include <map>

using namespace kr;

namespace {

const QString kSamples = QStringLiteral(KR_TEST_DATA_DIR "/rtf/");

QByteArray bytesOf(const QString& path) {
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
  return file.readAll();
}

// Every file below `folder` with its bytes.
QMap<QString, QByteArray> snapshot(const QString& folder) {
  QMap<QString, QByteArray> files;
  QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    files[path] = bytesOf(path);
  }
  return files;
}

class ForeignSheets : public ::testing::Test {
protected:
  ForeignSheets() {
    test::freshStandardDefaults();
    defaults().registerDefault(QStringLiteral("nowPadBackgroundColor"), QStringLiteral("#ffffcc"));
    defaults().registerDefault(QStringLiteral("textColor"), QStringLiteral("#000000"));
    defaults().registerDefault(QStringLiteral("defaultFont"),
                               QFont(QStringLiteral("Helvetica"), 12).toString());
  }
  ~ForeignSheets() override { PadSheetWriter::shared().drain(); }

  static UserDefaults& defaults() { return UserDefaults::standard(); }

  // A Now pad whose only sheet holds `rtf` as its text file, in a folder of
  // its own.
  struct OpenSheet {
    QTemporaryDir root;
    QString sheet;
    QMap<QString, QByteArray> before;
    std::unique_ptr<NowAndLaterBoardManager> manager;
    std::unique_ptr<PadViewController> pad;

    explicit OpenSheet(const QByteArray& rtf) {
      sheet = root.path() + QStringLiteral("/Pads/Now Pad/Now Pads 000000.rtfd");
      QDir().mkpath(sheet);
      QFile text(sheet + QStringLiteral("/TXT.rtf"));
      EXPECT_TRUE(text.open(QIODevice::WriteOnly));
      text.write(rtf);
      text.close();
      before = snapshot(root.path());
      manager = std::make_unique<NowAndLaterBoardManager>(root.path(), defaults());
      pad = std::make_unique<PadViewController>(true);
      pad->backgroundColorStorageKey = QStringLiteral("nowPadBackgroundColor");
      pad->backingStoreDescriptor = &manager->nowStoreDesc();
      pad->build();
      pad->view()->resize(400, 500);
      pad->view()->show();
    }
    ~OpenSheet() {
      pad.reset();
      PadSheetWriter::shared().drain();
    }
    QString shown() const { return pad->textView()->toPlainText(); }
    bool readOnly() const { return pad->textView()->isReadOnly(); }
    QString notice() const {
      return pad->noticeLabel()->isHidden() ? QString() : pad->noticeLabel()->text();
    }
    void typeAt(QTextCursor::MoveOperation where, const QString& text) const {
      QTextCursor cursor = pad->textView()->textCursor();
      cursor.movePosition(where);
      pad->textView()->setTextCursor(cursor);
      QTest::keyClicks(pad->textView(), text);
    }
  };

  // The autosave's time passes, then the program saves every pad as it does
  // when it quits.
  void save() {
    clock.advance(FastTypeTextViewDelegate::kAutosaveDelay +
                  FastTypeTextViewDelegate::kAutosaveTolerance + 1);
    PadSheetWriter::shared().drain();
    EXPECT_TRUE(PadViewController::saveAllPads().isEmpty());
    PadSheetWriter::shared().drain();
  }

  test::TestClock clock;
  TestAlertPresenter alerts;
  ScopedAlertPresenter scopedAlerts{alerts};
};

} // namespace

TEST_F(ForeignSheets, TablesAreShownWithTheirCellsReadOnlyAndLeftByteForByte) {
  const QStringList table = {QStringLiteral("Before the table."),
                             QStringLiteral("Task"),
                             QStringLiteral("Minutes"),
                             QStringLiteral("Write"),
                             QStringLiteral("25"),
                             QStringLiteral("Read Ωmega"),
                             QStringLiteral("50"),
                             QStringLiteral("After the table.")};
  const QStringList nested = {QStringLiteral("Before the tables."), QStringLiteral("Outer one"),
                              QStringLiteral("Outer two"),          QStringLiteral("Outer three"),
                              QStringLiteral("Inner one"),          QStringLiteral("Inner two"),
                              QStringLiteral("After the tables.")};
  const std::map<QString, QStringList> samples = {
      {QStringLiteral("libreoffice-table.rtf"), table},
      {QStringLiteral("pandoc-table.rtf"), table},
      {QStringLiteral("libreoffice-nested-table.rtf"), nested},
      {QStringLiteral("pandoc-nested-table.rtf"), nested}};
  for (const auto& [name, cells] : samples) {
    SCOPED_TRACE(name.toStdString());
    OpenSheet open(bytesOf(kSamples + name));
    EXPECT_TRUE(open.readOnly());
    EXPECT_EQ(open.notice().toStdString(),
              "The sheet \"Now Pads 000000.rtfd\" holds tables, which this editor cannot keep. "
              "It is shown read-only and will not be changed.");
    // Every cell's text shows, in the document's order.
    const QString shown = open.shown();
    qsizetype from = 0;
    for (const QString& cell : cells) {
      const qsizetype at = shown.indexOf(cell, from);
      EXPECT_GE(at, from) << cell.toStdString() << " in " << shown.toStdString();
      from = std::max(from, at);
    }
    open.typeAt(QTextCursor::Start, QStringLiteral("a"));
    open.typeAt(QTextCursor::End, QStringLiteral("b"));
    EXPECT_EQ(open.shown(), shown);
    save();
    EXPECT_EQ(snapshot(open.root.path()), open.before);
  }
}
