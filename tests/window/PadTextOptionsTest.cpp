#include "kit/text/FastTypeTextViewDelegate.h"
#include "kit/text/NowAndLaterBoardTextView.h"
#include "kit/text/ObjectiveTextView.h"
#include "kit/text/SmartTyping.h"
#include "kit/text/SpellingHighlighter.h"
#include "platform/richtext/RichTextDocument.h"
#include "platform/richtext/RtfdPackage.h"
#include "platform/services/SpellCheckerAPI.h"
#include "platform/services/UrlOpenerAPI.h"
#include "platform/settings/UserDefaults.h"
#include "support/FreshDefaults.h"

#include "engine/DataModel.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <functional>

using namespace kr;

namespace {

// Knows a few words; suggests "the" for "teh".
class WordListChecker final : public SpellCheckerAPI {
public:
  bool isAvailable() const override { return true; }
  QString unavailableReason() const override { return {}; }
  bool isCorrect(const QString& word) override {
    ++checks;
    return !word.startsWith(QLatin1String("teh")) && word != QLatin1String("wrnog");
  }
  QStringList suggestions(const QString& word) override {
    return word == QLatin1String("teh") ? QStringList{QStringLiteral("the")} : QStringList{};
  }
  int checks = 0;
};

class RecordingOpener final : public UrlOpenerAPI {
public:
  bool open(const QUrl& url) override {
    opened << url;
    return true;
  }
  QList<QUrl> opened;
};

class PadTextOptions : public ::testing::Test {
protected:
  PadTextOptions() {
    test::freshStandardDefaults();
    SpellCheckerAPI::install(&checker);
    UrlOpenerAPI::install(&opener);
    for (NowAndLaterBoardTextView* view : {&one, &two}) {
      view->awakeFromNib();
      view->resize(400, 300);
      view->show();
    }
    one.setFocus();
  }
  ~PadTextOptions() override {
    SpellCheckerAPI::install(nullptr);
    UrlOpenerAPI::install(nullptr);
  }
  static void type(QWidget* view, const QString& keys) {
    for (const QChar key : keys) {
      if (key == u'\n')
        QTest::keyClick(view, Qt::Key_Return);
      else
        QTest::keyClicks(view, QString(key));
    }
  }
  static QTextCharFormat formatAt(const QTextEdit& view, int position) {
    QTextCursor cursor(view.document());
    cursor.setPosition(position + 1);
    return cursor.charFormat();
  }
  void undo(QWidget* view) { QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier); }

  WordListChecker checker;
  RecordingOpener opener;
  NowAndLaterBoardTextView one;
  NowAndLaterBoardTextView two;
};

} // namespace

TEST_F(PadTextOptions, SmartQuotesFollowTheSettingLiveInEveryPad) {
  type(&one, QStringLiteral("say \"hi\" it'"));
  EXPECT_EQ(one.toPlainText(), QStringLiteral("say \u201chi\u201d it\u2019"));
  undo(&one);
  EXPECT_EQ(one.toPlainText(), QStringLiteral("say \u201chi\u201d it'")) << "Undo gives the key";
  UserDefaults::standard().setValue(QStringLiteral("smartQuotes"), false);
  type(&one, QStringLiteral(" \"x\""));
  type(&two, QStringLiteral("'y'"));
  EXPECT_TRUE(one.toPlainText().endsWith(QStringLiteral(" \"x\"")));
  EXPECT_EQ(two.toPlainText(), QStringLiteral("'y'"));
  UserDefaults::standard().setValue(QStringLiteral("smartQuotes"), true);
  type(&two, QStringLiteral(" 'z'"));
  EXPECT_EQ(two.toPlainText(), QStringLiteral("'y' \u2018z\u2019"));
}

TEST_F(PadTextOptions, DashesLinksAndCorrectionWaitForTheNextKey) {
  // A "--" inside a line (the typing rules leave it) becomes a dash once a letter follows.
  type(&one, QStringLiteral("ab"));
  one.moveCursor(QTextCursor::Left);
  type(&one, QStringLiteral("--c"));
  EXPECT_EQ(one.toPlainText(), QStringLiteral("a\u2014cb"));
  one.clear();
  type(&one, QStringLiteral("see www.example.org and teh end"));
  EXPECT_EQ(one.toPlainText(), QStringLiteral("see www.example.org and teh end"))
      << "correction is off by default";
  EXPECT_EQ(formatAt(one, 4).anchorHref(), QStringLiteral("http://www.example.org"));
  EXPECT_FALSE(formatAt(one, 19).isAnchor()) << "the blank after the address is no link";
  one.clear();
  UserDefaults::standard().setValue(QStringLiteral("automaticSpellingCorrection"), true);
  type(&one, QStringLiteral("teh cat"));
  EXPECT_EQ(one.toPlainText(), QStringLiteral("the cat"));
  one.clear();
  type(&one, QStringLiteral("teh "));
  undo(&one);
  EXPECT_EQ(one.toPlainText(), QStringLiteral("teh ")) << "one Undo gives the typed word back";
  // Ctrl+click opens a link through the program's opener.
  one.clear();
  UserDefaults::standard().setValue(QStringLiteral("smartLinks"), false);
  type(&one, QStringLiteral("https://a.example/x "));
  EXPECT_FALSE(formatAt(one, 2).isAnchor());
  UserDefaults::standard().setValue(QStringLiteral("smartLinks"), true);
  type(&one, QStringLiteral("https://b.example/y "));
  const QRect link = one.cursorRect([&] {
    QTextCursor c(one.document());
    c.setPosition(23);
    return c;
  }());
  QTest::mouseClick(one.viewport(), Qt::LeftButton, Qt::ControlModifier, link.center());
  ASSERT_EQ(opener.opened.size(), 1);
  EXPECT_EQ(opener.opened.first(), QUrl(QStringLiteral("https://b.example/y")));
}

TEST_F(PadTextOptions, SpacesAreMendedAroundPastedAndDeletedWords) {
  type(&one, QStringLiteral("onetwo"));
  one.moveCursor(QTextCursor::Left);
  one.moveCursor(QTextCursor::Left);
  one.moveCursor(QTextCursor::Left);
  auto* pasted = new QMimeData;
  pasted->setText(QStringLiteral("and"));
  QApplication::clipboard()->setMimeData(pasted);
  QTest::keyClick(&one, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(one.toPlainText(), QStringLiteral("one and two"));
  // Deleting the word "and" with its selection leaves one blank.
  QTextCursor word(one.document());
  word.setPosition(4);
  word.setPosition(7, QTextCursor::KeepAnchor);
  one.setTextCursor(word);
  QTest::keyClick(&one, Qt::Key_Backspace);
  EXPECT_EQ(one.toPlainText(), QStringLiteral("one two"));
  UserDefaults::standard().setValue(QStringLiteral("smartInsertAndDelete"), false);
  QTest::keyClick(&one, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(one.toPlainText(), QStringLiteral("one andtwo"));
}

TEST_F(PadTextOptions, SpellingChecksOnlyVisibleAndEditedParagraphs) {
  QString text;
  for (int i = 0; i < 3000; ++i)
    text += QStringLiteral("line %1 with wrnog words\n").arg(i);
  // A text under the limit is passed whole through the highlighter once
  // (without checks), one over it is not; each checks alike.
  struct LimitPutBack {
    ~LimitPutBack() { SpellingHighlighter::setWholePassLimit(-1); }
  } putBack;
  for (const bool veryLong : {false, true}) {
    SCOPED_TRACE(veryLong ? "very long" : "long");
    SpellingHighlighter::setWholePassLimit(veryLong ? 1000 : -1);
    const int checkedBefore = one.spellingHighlighter()->checkedParagraphs();
    const int passedBefore = one.spellingHighlighter()->passedParagraphs();
    one.showSheet(RichText(text));
    // Checked once the text is laid out to its end, in steps.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return one.spellingHighlighter()->checkedParagraphs() > checkedBefore; }, 5000));
    const int afterLoad = one.spellingHighlighter()->checkedParagraphs() - checkedBefore;
    EXPECT_GT(afterLoad, 0);
    EXPECT_LT(afterLoad, 100) << "a long sheet is not checked whole on a load";
    const QTextBlock first = one.document()->begin();
    ASSERT_FALSE(first.layout()->formats().isEmpty()) << "the misspelt word on screen is marked";
    EXPECT_EQ(first.layout()->formats().first().start, 12);
    const QTextBlock far = one.document()->findBlockByNumber(2500);
    EXPECT_TRUE(far.layout()->formats().isEmpty());
    const int passed = one.spellingHighlighter()->passedParagraphs() - passedBefore;
    if (veryLong)
      EXPECT_LT(passed, 200);
    else
      EXPECT_GE(passed, 3000);
    // A paragraph changed off screen is checked once the change is done.
    QTextCursor offScreen(one.document()->findBlockByNumber(2900));
    offScreen.insertText(QStringLiteral("wrnog "));
    QApplication::processEvents();
    const QTextBlock changed = one.document()->findBlockByNumber(2900);
    ASSERT_FALSE(changed.layout()->formats().isEmpty());
    EXPECT_EQ(changed.layout()->formats().first().start, 0);
    EXPECT_EQ(changed.layout()->formats().first().length, 5);
    // A key checks its paragraph only.
    one.moveCursor(QTextCursor::End);
    const int before = one.spellingHighlighter()->checkedParagraphs();
    type(&one, QStringLiteral("x"));
    QApplication::processEvents();
    EXPECT_LE(one.spellingHighlighter()->checkedParagraphs() - before, 40);
    // A misspelt word typed is marked at once.
    type(&one, QStringLiteral(" wrnog "));
    QApplication::processEvents();
    const QTextBlock typed = one.document()->lastBlock();
    ASSERT_FALSE(typed.layout()->formats().isEmpty()) << typed.text().toStdString();
    EXPECT_EQ(typed.layout()->formats().last().start, typed.length() - 7);
  }
  // Off: the marks go.
  UserDefaults::standard().setValue(QStringLiteral("continuousSpellChecking"), false);
  EXPECT_TRUE(one.document()->begin().layout()->formats().isEmpty());
}

TEST_F(PadTextOptions, FontAndColourChangesReformatTheWholeText) {
  type(&one, QStringLiteral("plain "));
  QTest::keyClick(&one, Qt::Key_B, Qt::ControlModifier);
  type(&one, QStringLiteral("bold"));
  EXPECT_TRUE(formatAt(one, 7).fontWeight() >= QFont::Bold);
  UserDefaults::standard().setValue(QStringLiteral("textColor"), QStringLiteral("#336699"));
  UserDefaults::standard().setValue(QStringLiteral("defaultFont"),
                                    QFont(QStringLiteral("DejaVu Serif"), 15).toString());
  for (int i : {0, 7}) {
    EXPECT_EQ(formatAt(one, i).foreground().color(), QColor(0x33, 0x66, 0x99));
    EXPECT_EQ(formatAt(one, i).font().pointSizeF(), 15.0);
    EXPECT_LT(formatAt(one, i).fontWeight(), int(QFont::Bold));
  }
  type(&one, QStringLiteral("!"));
  EXPECT_EQ(formatAt(one, 10).foreground().color(), QColor(0x33, 0x66, 0x99));
  EXPECT_EQ(one.palette().color(QPalette::Text), QColor(Qt::black)) << "the caret stays black";
  EXPECT_EQ(one.palette().color(QPalette::Active, QPalette::Highlight), QColor(0, 122, 255));
  EXPECT_EQ(one.palette().color(QPalette::Inactive, QPalette::HighlightedText),
            QColor(0x33, 0x66, 0x99));
}

TEST_F(PadTextOptions, ImagesTasksAndRoundTrips) {
  // A pasted image becomes an attachment; a second one gets a name of its own.
  QImage image(8, 6, QImage::Format_RGB32);
  image.fill(Qt::red);
  type(&one, QStringLiteral("a"));
  for (int i = 0; i < 2; ++i) {
    auto* data = new QMimeData;
    data->setImageData(image);
    QApplication::clipboard()->setMimeData(data);
    QTest::keyClick(&one, Qt::Key_V, Qt::ControlModifier);
  }
  RichText pasted = one.richText();
  EXPECT_EQ(pasted.attachmentNames(), (QStringList{QStringLiteral("Pasted Graphic.png"),
                                                   QStringLiteral("Pasted Graphic 2.png")}));
  EXPECT_EQ(
      QImage::fromData(pasted.attachmentData().value(QStringLiteral("Pasted Graphic.png"))).size(),
      QSize(8, 6));

  // Bold, a link, a list, a separator and an image survive a write and a read.
  type(&one, QStringLiteral("\n--* item\nnext\n\nsee https://x.example/ "));
  QTest::keyClick(&one, Qt::Key_B, Qt::ControlModifier);
  type(&one, QStringLiteral("bold"));
  const RichText sheet = one.richText();
  QTemporaryDir dir;
  const QString package = dir.filePath(QStringLiteral("1.rtfd"));
  QString error;
  ASSERT_TRUE(RtfdPackage::write(package, sheet, &error)) << error.toStdString();
  const RtfdPackage::ReadResult read = RtfdPackage::read(package);
  ASSERT_EQ(read.status, RtfdPackage::Status::Ok);
  EXPECT_EQ(read.text, sheet);
  two.showSheet(read.text);
  EXPECT_EQ(two.richText(), sheet);
  EXPECT_TRUE(sheet.plainText().contains(QStringLiteral("\t\u2022\titem\n\t\u2022\tnext")));

  // A Things to-do dropped: its title linked, then a newline; a bad identifier stays unlinked.
  two.showSheet(RichText());
  const auto drop = [&](QMimeData& data) { two.performDragOperation(data); };
  QMimeData things;
  things.setData(NowAndLaterBoardTextView::kThingsActionType, "ABC-123");
  things.setData(QStringLiteral("text/plain;charset=utf-8"), "Call Anna");
  two.setFocus();
  drop(things);
  EXPECT_EQ(two.toPlainText(), QStringLiteral("Call Anna\n"));
  EXPECT_EQ(formatAt(two, 0).anchorHref(), QStringLiteral("korvaner2things://ABC-123"));
  QMimeData bad;
  bad.setData(NowAndLaterBoardTextView::kThingsActionType, "x\"; do shell script \"rm");
  bad.setData(QStringLiteral("text/plain;charset=utf-8"), "Odd");
  two.moveCursor(QTextCursor::End);
  drop(bad);
  EXPECT_TRUE(two.toPlainText().contains(QStringLiteral("Odd\n")));
  EXPECT_FALSE(formatAt(two, 10).isAnchor());

  // OmniFocus: minutes clamped into 2…60, none or ≤ 0 ignored; contexts as tags.
  DataModel& model = DataModel::shared();
  UserDefaults::standard().setValue(QStringLiteral("omnifocusEstimatedTime"), true);
  UserDefaults::standard().setValue(QStringLiteral("omnifocusUseContext"), true);
  model.setDurationInMinutes(25);
  const auto omni = [&](const QByteArray& minutes) {
    QMimeData data;
    data.setData(NowAndLaterBoardTextView::kOmniFocusTasksType,
                 "<omnifocus><task id=\"a\"><estimated-minutes>" + minutes +
                     "</estimated-minutes></task><context><name>Home</name></context>"
                     "<context><name>Phone</name></context></omnifocus>");
    data.setText(QStringLiteral("task"));
    drop(data);
  };
  omni("90");
  EXPECT_EQ(model.durationInMinutes(), 60);
  EXPECT_EQ(model.tags(), QStringLiteral("Home,Phone"));
  omni("-5");
  EXPECT_EQ(model.durationInMinutes(), 60);
  omni("1");
  EXPECT_EQ(model.durationInMinutes(), 2);
  EXPECT_TRUE(two.toPlainText().contains(QStringLiteral("task"))) << "the text is dropped too";
}

TEST_F(PadTextOptions, TheObjectiveEditorHasThePadsCommandsAndOptions) {
  ObjectiveTextView objective;
  objective.awakeFromNib();
  objective.show();
  type(&objective, QStringLiteral("\"go\" teh"));
  EXPECT_EQ(objective.toPlainText(), QStringLiteral("\u201cgo\u201d teh"));
  QTest::keyClick(&objective, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(&objective, Qt::Key_B, Qt::ControlModifier);
  EXPECT_TRUE(formatAt(objective, 0).fontWeight() >= QFont::Bold);
  EXPECT_TRUE(objective.delegate()->save()) << "no store: nothing to write";
  EXPECT_FALSE(RtfdPackage::fromData(objective.data()).value_or(RichText()).isEmpty());
}

TEST_F(PadTextOptions, SeparatorsStayOnOneLineAndListsUseTheTwentyEightPointStops) {
  for (const int width : {300, 700}) {
    one.resize(width, 300);
    one.clear();
    type(&one, QStringLiteral("--"));
    QApplication::processEvents();
    const QTextBlock separator = one.document()->begin();
    ASSERT_EQ(separator.text().size(), 32);
    EXPECT_EQ(separator.layout()->lineCount(), 1) << width;
    // Read from a sheet too.
    two.resize(width, 300);
    two.showSheet(RichText(FastTypeTextViewDelegate::separatorLine() + QStringLiteral("x")));
    QApplication::processEvents();
    EXPECT_EQ(two.document()->begin().layout()->lineCount(), 1) << width;
  }
  undo(&one);
  EXPECT_EQ(one.toPlainText(), QStringLiteral("--")) << "one Undo gives the dashes back";
  one.clear();
  type(&one, QStringLiteral("* item"));
  QApplication::processEvents();
  const QTextLine line = one.document()->begin().layout()->lineAt(0);
  const double stop = 28.0 * one.logicalDpiX() / 72.0;
  // Tab, bullet, tab, text: the text starts at the second stop.
  EXPECT_NEAR(line.cursorToX(3), 2 * stop, 1.0);
  EXPECT_NEAR(line.cursorToX(1), stop, 1.0);
}

TEST_F(PadTextOptions, PlainTextIsOfferedExactlyWhenTheKeyWouldChangeSomething) {
  const auto formatted = [](const std::function<void(QTextCharFormat&)>& set) {
    QTextCharFormat format;
    set(format);
    return format;
  };
  const QList<QTextCharFormat> kinds = {
      formatted([](QTextCharFormat& f) { f.setFontWeight(QFont::Bold); }),
      formatted([](QTextCharFormat& f) { f.setFontItalic(true); }),
      formatted([](QTextCharFormat& f) { f.setFontUnderline(true); }),
      formatted([](QTextCharFormat& f) { f.setFontStrikeOut(true); }),
      formatted([](QTextCharFormat& f) {
        f.setAnchor(true);
        f.setAnchorHref(QStringLiteral("https://x.example/"));
      })};
  for (const QTextCharFormat& kind : kinds) {
    one.clear();
    type(&one, QStringLiteral("a word"));
    QTextCursor word(one.document());
    word.setPosition(2);
    word.setPosition(6, QTextCursor::KeepAnchor);
    word.mergeCharFormat(kind);
    one.setTextCursor(word);
    EXPECT_TRUE(one.canMakePlainText());
    QTest::keyClick(&one, Qt::Key_Backslash, Qt::ControlModifier);
    EXPECT_FALSE(one.canMakePlainText()) << "plain now: the menu item is greyed";
    EXPECT_FALSE(formatAt(one, 3).isAnchor());
    EXPECT_LT(formatAt(one, 3).fontWeight(), int(QFont::Bold));
    EXPECT_FALSE(formatAt(one, 3).fontStrikeOut() || formatAt(one, 3).fontUnderline() ||
                 formatAt(one, 3).fontItalic());
  }
}
