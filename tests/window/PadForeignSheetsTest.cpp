// Sheets that other word processors wrote, opened in a pad as a user would
// find them: what the editor can keep is kept through a save, the rest is
// shown read-only and never written over.

#include "window/NowAndLaterBoardManager.h"
#include "window/PadViewController.h"

#include "kit/text/FastTypeTextViewDelegate.h"
#include "kit/text/NowAndLaterBoardTextView.h"
#include "kit/text/PadSheetWriter.h"
#include "platform/richtext/RtfReader.h"
#include "platform/richtext/RtfdPackage.h"
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
const QString kLibreOfficeDay =
    QStringLiteral(KR_TEST_DATA_DIR "/rtfd-logs-libreoffice/System Log Day 2020-03-07 "
                                    "(a4836e8b9f2).rtfd/TXT.rtf");

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

// The pictures of a text, in text order.
QList<QByteArray> picturesOf(const RichText& text) {
  QList<QByteArray> pictures;
  for (const QString& name : text.attachmentNames())
    pictures.append(text.attachmentData().value(name));
  return pictures;
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

// Every sample another program wrote, as a sheet a character is typed into
// and that is saved: either it is written again with its text, formats and
// pictures, or it was read-only and is as it was.
TEST_F(ForeignSheets, EverySampleKeepsItsTextAndPicturesThroughASaveOrStaysByteForByte) {
  struct Expected {
    QString unkept; // what the notice names; empty for a sheet that can be edited
    QString text;   // a part of its text, in its characters
    int pictures = 0;
  };
  const QString picture = QStringLiteral("Before the picture \uFFFC after it.");
  const std::map<QString, Expected> expected = {
      {QStringLiteral("libreoffice-picture.rtf"), {{}, picture, 1}},
      {QStringLiteral("pandoc-picture.rtf"), {{}, picture, 1}},
      {QStringLiteral("picture-bin.rtf"), {{}, picture, 1}},
      {QStringLiteral("libreoffice-table.rtf"),
       {QStringLiteral("tables"), QStringLiteral("Ωmega")}},
      {QStringLiteral("pandoc-table.rtf"), {QStringLiteral("tables"), QStringLiteral("Ωmega")}},
      {QStringLiteral("libreoffice-nested-table.rtf"),
       {QStringLiteral("tables"), QStringLiteral("Inner two")}},
      {QStringLiteral("pandoc-nested-table.rtf"),
       {QStringLiteral("tables"), QStringLiteral("Inner two")}},
      {QStringLiteral("libreoffice-footnote.rtf"),
       {QStringLiteral("footnotes and superscript"), QStringLiteral("Ωmega 😀")}},
      {QStringLiteral("pandoc-footnote.rtf"),
       {QStringLiteral("footnotes and superscript"), QStringLiteral("Ωmega 😀")}},
      {QStringLiteral("shift-jis.rtf"), {{}, QStringLiteral("日本語のテキスト - ソフト")}},
      {QStringLiteral("windows-936.rtf"), {{}, QStringLiteral("简体中文的文本 - ok。")}},
      {QStringLiteral("windows-949.rtf"), {{}, QStringLiteral("한국어 텍스트 - ok.")}},
      {QStringLiteral("windows-950.rtf"), {{}, QStringLiteral("繁體中文 許功蓋 - ok。")}},
      {QStringLiteral("windows-1251.rtf"), {{}, QStringLiteral("Привет, мир!")}},
      {QStringLiteral("font-charsets.rtf"),
       {{}, QStringLiteral("Привет\nΓειά\nŁódź\nשלום\ncafé ©")}},
      {QStringLiteral("libreoffice-plain-unicode.rtf"),
       {{}, QStringLiteral("日本語のテキスト ソフト\n中文 한글\nПривет Γειά")}},
      {QStringLiteral("libreoffice-resaved-sheet.rtf"), {{}, QStringLiteral("Ωmega 😀? café")}},
      {QStringLiteral("cocoa-pad-page.rtf"), {QStringLiteral("lists"), QStringLiteral("Grüße")}},
      // An attachment whose file is not beside the text: its name is kept.
      {QStringLiteral("cocoa-log-entry.rtf"), {{}, QStringLiteral("urgent and café"), 1}},
      {QStringLiteral("libreoffice-day-log"),
       {{}, QStringLiteral("Draft the report \uFFFC for the team"), 1}}};

  QMap<QString, QString> paths;
  for (const QString& name : QDir(kSamples).entryList({QStringLiteral("*.rtf")}, QDir::Files))
    paths[name] = kSamples + name;
  paths[QStringLiteral("libreoffice-day-log")] = kLibreOfficeDay;
  for (auto it = paths.cbegin(); it != paths.cend(); ++it) {
    const QString& name = it.key();
    SCOPED_TRACE(name.toStdString());
    // A sample added to the folder is checked here too.
    ASSERT_TRUE(expected.count(name)) << "no expectation for " << name.toStdString();
    const Expected& want = expected.at(name);
    const QByteArray bytes = bytesOf(it.value());
    const RtfReader::Result original = RtfReader::read(bytes);
    ASSERT_TRUE(original.text.plainText().contains(want.text));
    ASSERT_EQ(picturesOf(original.text).size(), want.pictures);

    OpenSheet open(bytes);
    EXPECT_TRUE(open.shown().contains(want.text)) << open.shown().toStdString();
    open.typeAt(QTextCursor::End, QStringLiteral("Z"));
    save();
    if (!want.unkept.isEmpty()) {
      EXPECT_TRUE(open.readOnly());
      EXPECT_TRUE(open.notice().contains(QStringLiteral("holds ") + want.unkept))
          << open.notice().toStdString();
      EXPECT_EQ(snapshot(open.root.path()), open.before);
      continue;
    }
    EXPECT_FALSE(open.readOnly());
    EXPECT_EQ(open.notice(), QString());
    const RtfdPackage::ReadResult saved = RtfdPackage::read(open.sheet);
    ASSERT_EQ(saved.status, RtfdPackage::Status::Ok);
    EXPECT_EQ(saved.unkept, 0u);
    EXPECT_EQ(saved.text.plainText(), original.text.plainText() + u'Z');
    EXPECT_EQ(picturesOf(saved.text), picturesOf(original.text));
    // Bold, italic, colours and links stay where they were.
    for (const RichText::Run& run : original.text.runs()) {
      const CharFormat now = saved.text.formatAt(run.start);
      EXPECT_EQ(now.bold, run.format.bold) << run.start;
      EXPECT_EQ(now.italic, run.format.italic) << run.start;
      EXPECT_EQ(now.foreground, run.format.foreground) << run.start;
      EXPECT_EQ(now.link, run.format.link) << run.start;
    }
  }
}
