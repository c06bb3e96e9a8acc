// Sheets that other word processors wrote, opened in a pad as a user would
// find them: what the editor can keep is kept through a save, the rest is
// shown read-only and never written over.

#include "window/NowAndLaterBoardManager.h"
#include "window/PadViewController.h"

#include "engine/BackingStoreDescriptor.h"
#include "engine/BackingStoreManager.h"
#include "engine/DailyNamingStrategy.h"
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

#include <functional>
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

// `rtf` as today's log, a slice logged into it: where the reader finds what
// the editor cannot keep, the day takes the entry after its own text, every
// byte of that text kept.
void expectLoggedIntoByteForByte(const QByteArray& rtf, const QString& shown) {
  QTemporaryDir folder;
  BackingStoreDescriptor store;
  store.setFolderPath(folder.path());
  store.setRoot(QStringLiteral("System Log"));
  store.setNamingStrategy(std::make_unique<DailyNamingStrategy>());
  store.finishInitialization();
  const QString day = store.getPathToCurrentFile();
  QDir().mkpath(day);
  QFile file(day + QStringLiteral("/TXT.rtf"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(rtf);
  file.close();
  const RichText entry(QStringLiteral("#TimeSlice\nU-1\n#objective\nLogged\n"));
  ASSERT_TRUE(BackingStoreManager::sharedManager().append(entry, store));
  const QByteArray now = bytesOf(file.fileName());
  // The text between the colour table and the closing brace, which holds
  // what the editor cannot keep.
  const qsizetype colours = rtf.indexOf("{\\colortbl");
  const qsizetype body = rtf.indexOf('}', colours) + 1;
  EXPECT_TRUE(now.contains(rtf.mid(body, rtf.lastIndexOf('}') - body)));
  const RtfReader::Result read = RtfReader::read(now);
  EXPECT_NE(read.unkept, 0u);
  EXPECT_TRUE(read.text.plainText().contains(shown));
  EXPECT_TRUE(read.text.plainText().endsWith(entry.plainText()));
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
// pictures, or it was read-only and is as it was, and stays so as a day a
// slice is logged into.
TEST_F(ForeignSheets, EverySampleKeepsItsTextAndPicturesThroughASaveOrStaysByteForByte) {
  using Format = std::function<bool(const CharFormat&)>;
  struct Expected {
    QString unkept; // what the notice names; empty for a sheet that can be edited
    QString text;   // a part of its text, in its characters
    int pictures = 0;
    Format format = {};  // what the characters at `text` show, read and saved
    QString hidden = {}; // text that is not the document's and never shows
  };
  using Alignment = ParagraphFormat::Alignment;
  using Kind = ParagraphFormat::TabStop::Kind;
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
       {QStringLiteral("footnotes and superscript or subscript"), QStringLiteral("Ωmega 😀")}},
      {QStringLiteral("pandoc-footnote.rtf"),
       {QStringLiteral("footnotes and superscript or subscript"), QStringLiteral("Ωmega 😀")}},
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
       {{}, QStringLiteral("Draft the report \uFFFC for the team"), 1}},
      {QStringLiteral("libreoffice-comment.rtf"),
       {QStringLiteral("comments"),
        QStringLiteral("Before the commented word, after it."),
        0,
        {},
        QStringLiteral("Check this word.")}},
      {QStringLiteral("libreoffice-tracked-changes.rtf"),
       {QStringLiteral("tracked changes"),
        QStringLiteral("Keep this and added words."),
        0,
        {},
        QStringLiteral("removed")}},
      {QStringLiteral("libreoffice-bookmark.rtf"),
       {QStringLiteral("bookmarks"), QStringLiteral("Before the marked words, after them.")}},
      {QStringLiteral("libreoffice-page-break.rtf"),
       {QStringLiteral("page or section breaks"), QStringLiteral("The first page.\nThe second")}},
      {QStringLiteral("pandoc-small-capitals.rtf"),
       {QStringLiteral("other formatting"), QStringLiteral("Before small capitals after.")}},
      {QStringLiteral("libreoffice-alignment.rtf"),
       {{},
        QStringLiteral("Centred."),
        0,
        [](const CharFormat& f) { return f.paragraph->alignment == Alignment::Center; }}},
      {QStringLiteral("libreoffice-right-to-left.rtf"),
       {{},
        QStringLiteral("שלום עולם"),
        0,
        [](const CharFormat& f) {
          return f.paragraph->direction == ParagraphFormat::Direction::RightToLeft;
        }}},
      {QStringLiteral("libreoffice-indents.rtf"),
       {{},
        QStringLiteral("Hanging:"),
        0,
        [](const CharFormat& f) {
          return f.paragraph->leftIndent == 720 && f.paragraph->firstLineIndent == -720;
        }}},
      {QStringLiteral("libreoffice-spacing.rtf"),
       {{},
        QStringLiteral("Space before"),
        0,
        [](const CharFormat& f) {
          const ParagraphFormat& p = *f.paragraph;
          return p.spaceBefore == 360 && p.spaceAfter == 180 && p.lineSpacing == 360 &&
                 p.lineSpacingMultiple;
        }}},
      {QStringLiteral("libreoffice-tab-stops.rtf"),
       {{},
        QStringLiteral("Task\tleft\tcentre\tright\t12.50"),
        0,
        [](const CharFormat& f) {
          return f.paragraph->tabStops == QList<ParagraphFormat::TabStop>{{1440, Kind::Left},
                                                                          {3600, Kind::Center},
                                                                          {5760, Kind::Right},
                                                                          {7200, Kind::Decimal}};
        }}},
      {QStringLiteral("libreoffice-background.rtf"),
       {{},
        QStringLiteral("on yellow"),
        0,
        [](const CharFormat& f) {
          return f.background == RgbColor{255, 255, 0};
        }}},
      {QStringLiteral("libreoffice-capitals.rtf"),
       {{}, QStringLiteral("in capitals"), 0, [](const CharFormat& f) { return f.capitals; }}},
      {QStringLiteral("libreoffice-letter-spacing.rtf"),
       {{},
        QStringLiteral("spaced out"),
        0,
        [](const CharFormat& f) { return f.letterSpacing == 60; }}},
      {QStringLiteral("libreoffice-double-strike.rtf"),
       {{},
        QStringLiteral("struck twice"),
        0,
        [](const CharFormat& f) { return f.strikeThrough && f.doubleStrike; }}},
      {QStringLiteral("pandoc-block-quote.rtf"),
       {{}, QStringLiteral("A quoted paragraph"), 0, [](const CharFormat& f) {
          return f.paragraph->leftIndent == 720 && f.paragraph->spaceAfter == 180;
        }}}};

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
    const int at = int(original.text.plainText().indexOf(want.text));
    ASSERT_GE(at, 0);
    ASSERT_EQ(picturesOf(original.text).size(), want.pictures);
    if (want.format) {
      EXPECT_TRUE(want.format(original.text.formatAt(at))) << "read";
    }

    OpenSheet open(bytes);
    EXPECT_TRUE(open.shown().contains(want.text)) << open.shown().toStdString();
    if (!want.hidden.isEmpty()) {
      EXPECT_FALSE(open.shown().contains(want.hidden)) << open.shown().toStdString();
    }
    open.typeAt(QTextCursor::End, QStringLiteral("Z"));
    save();
    if (!want.unkept.isEmpty()) {
      EXPECT_TRUE(open.readOnly());
      EXPECT_TRUE(open.notice().contains(QStringLiteral("holds ") + want.unkept + u','))
          << open.notice().toStdString();
      EXPECT_EQ(snapshot(open.root.path()), open.before);
      expectLoggedIntoByteForByte(bytes, want.text);
      continue;
    }
    EXPECT_FALSE(open.readOnly());
    EXPECT_EQ(open.notice(), QString());
    const RtfdPackage::ReadResult saved = RtfdPackage::read(open.sheet);
    ASSERT_EQ(saved.status, RtfdPackage::Status::Ok);
    EXPECT_EQ(saved.unkept, 0u);
    EXPECT_EQ(saved.text.plainText(), original.text.plainText() + u'Z');
    EXPECT_EQ(picturesOf(saved.text), picturesOf(original.text));
    if (want.format) {
      EXPECT_TRUE(want.format(saved.text.formatAt(at))) << "saved";
    }
    // Bold, italic, colours, the other attributes the editor keeps, links
    // and the paragraphs' formats stay where they were.
    for (const RichText::Run& run : original.text.runs()) {
      const CharFormat now = saved.text.formatAt(run.start);
      EXPECT_EQ(now.bold, run.format.bold) << run.start;
      EXPECT_EQ(now.italic, run.format.italic) << run.start;
      EXPECT_EQ(now.strikeThrough, run.format.strikeThrough) << run.start;
      EXPECT_EQ(now.doubleStrike, run.format.doubleStrike) << run.start;
      EXPECT_EQ(now.capitals, run.format.capitals) << run.start;
      EXPECT_EQ(now.letterSpacing, run.format.letterSpacing) << run.start;
      EXPECT_EQ(now.foreground, run.format.foreground) << run.start;
      EXPECT_EQ(now.background, run.format.background) << run.start;
      EXPECT_EQ(now.link, run.format.link) << run.start;
      EXPECT_TRUE(now.paragraph == run.format.paragraph) << run.start;
    }
  }
}
