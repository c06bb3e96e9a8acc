#include "engine/LogFileManager.h"
#include "engine/TagManager.h"
#include "kit/EndOfLifeBag.h"
#include "kit/bricks/PullDownButtonBrick.h"
#include "kit/bricks/TagPullDownButtonBrick.h"
#include "kit/bricks/TagSourceTokenField.h"
#include "kit/bricks/TagTokenField.h"
#include "kit/skins/StandardImages.h"
#include "kit/walls/TagTokenFieldContainerView.h"
#include "kit/walls/TagTokenFieldHelper.h"
#include "kit/walls/Wall.h"
#include "platform/settings/DefaultsBinding.h"
#include "platform/settings/UserDefaults.h"
#include "platform/settings/ValueTransformer.h"

#include "support/FreshDefaults.h"
#include "support/TestClock.h"
#include "support/TestEnvironment.h"

#include <QVBoxLayout>

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QDir>
#include <QFile>
#include <QKeySequence>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace kr;

namespace {

UserDefaults& defaults() { return UserDefaults::standard(); }

QStringList menuTitles(const PullDownButtonBrick& button) {
  QStringList titles;
  for (int i = 1; i < button.numberOfItems(); ++i)
    titles.append(button.itemTitleAt(i));
  return titles;
}

class TagFieldsTest : public ::testing::Test {
protected:
  void SetUp() override {
    kr::test::freshStandardDefaults();
    ASSERT_TRUE(dir.isValid());
    folder = dir.path() + QStringLiteral("/System Logs");
    ASSERT_TRUE(QDir().mkpath(folder));
    manager = std::make_unique<LogFileManager>([this] { return folder; }, &tags);
  }
  void TearDown() override { kr::test::freshStandardDefaults(); }

  bool writeLog(const QByteArray& tagLine) {
    QFile file(folder + QStringLiteral("/System Log 2008-01-01 (1-2-3-4).txt"));
    const QByteArray bytes =
        "#TimeSlice\nA\n#startDate\n2008-01-01 09:00:00\n#tags\n" + tagLine + "\n";
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
  }

  void reload() {
    QSignalSpy spy(manager.get(), &LogFileManager::reloadFinished);
    manager->update();
    clock.advance(1.0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return spy.count() > 0; }, 10000));
  }

  test::TestClock clock;
  QTemporaryDir dir;
  QString folder;
  TagManager tags;
  std::unique_ptr<LogFileManager> manager;
};

} // namespace

TEST_F(TagFieldsTest, ChosenTagsAreAppendedToTheStoredText) {
  const QString key = QStringLiteral("tags");
  defaults().setValue(key, QString());
  TagPullDownButtonBrick::appendTag(QStringLiteral("work"), key);
  EXPECT_EQ(defaults().string(key), QStringLiteral("work"));
  TagPullDownButtonBrick::appendTag(QStringLiteral("mail"), key);
  EXPECT_EQ(defaults().string(key), QStringLiteral("work,mail"));
  defaults().setValue(key, QStringLiteral("work,"));
  TagPullDownButtonBrick::appendTag(QStringLiteral("work"), key); // present already: again
  EXPECT_EQ(defaults().string(key), QStringLiteral("work,work"));
  // A key without a text value is left alone.
  TagPullDownButtonBrick::appendTag(QStringLiteral("x"), QStringLiteral("neverSet"));
  EXPECT_FALSE(defaults().object(QStringLiteral("neverSet")).isValid());
  defaults().setValue(QStringLiteral("number"), 3);
  TagPullDownButtonBrick::appendTag(QStringLiteral("x"), QStringLiteral("number"));
  EXPECT_EQ(defaults().integer(QStringLiteral("number")), 3);
}

TEST_F(TagFieldsTest, PullDownRebuildsItsMenuAfterALogReload) {
  defaults().setValue(QStringLiteral("tagFilter"), QString());
  auto pullDown = std::make_unique<TagPullDownButtonBrick>(
      StandardImages::addTemplate(), QStringLiteral("tagFilter"), manager.get(), &tags);
  ASSERT_EQ(pullDown->numberOfItems(), 1); // only the face: nothing to offer
  EXPECT_FALSE(pullDown->itemAt(0)->icon().isNull());

  ASSERT_TRUE(writeLog("beta,alpha"));
  reload();
  EXPECT_EQ(menuTitles(*pullDown), (QStringList{QStringLiteral("alpha"), QStringLiteral("beta")}));
  ASSERT_TRUE(writeLog("beta,alpha,zeta"));
  reload();
  EXPECT_EQ(menuTitles(*pullDown),
            (QStringList{QStringLiteral("alpha"), QStringLiteral("beta"), QStringLiteral("zeta")}));

  pullDown->itemAt(3)->trigger();
  pullDown->itemAt(1)->trigger();
  EXPECT_EQ(defaults().string(QStringLiteral("tagFilter")), QStringLiteral("zeta,alpha"));

  // Gone with its owner: a later reload reaches nothing.
  pullDown.reset();
  ASSERT_TRUE(writeLog("omega"));
  reload();
  EXPECT_TRUE(tags.allTags().contains(QStringLiteral("omega")));
}

TEST_F(TagFieldsTest, PullDownShowsAnAmpersandInATagAsTyped) {
  defaults().setValue(QStringLiteral("tagFilter"), QString());
  tags.addTagsFromString(QStringLiteral("R&D"));
  TagPullDownButtonBrick pullDown(StandardImages::addTemplate(), QStringLiteral("tagFilter"),
                                  manager.get(), &tags);
  ASSERT_EQ(pullDown.numberOfItems(), 2);
  // Doubled, the "&" is shown as itself and marks no mnemonic.
  EXPECT_EQ(pullDown.itemTitleAt(1), QStringLiteral("R&&D"));
  EXPECT_TRUE(QKeySequence::mnemonic(pullDown.itemTitleAt(1)).isEmpty());
  pullDown.itemAt(1)->trigger();
  EXPECT_EQ(defaults().string(QStringLiteral("tagFilter")), QStringLiteral("R&D"));
}

TEST_F(TagFieldsTest, TokenFieldCompletesAndCommitsWhereTheUserEnds) {
  tags.addTagsFromString(QStringLiteral("writing,reading,Review"));
  TagTokenField field;
  field.setDelegate(&tags);
  QSignalSpy changes(&field, &TagTokenField::tokensChanged);
  field.show();
  QApplication::setActiveWindow(&field);
  field.setFocus();
  ASSERT_TRUE(field.hasFocus());
  QTest::keyClicks(&field, QStringLiteral("writing, re"));
  EXPECT_TRUE(field.hasStartedEditing());
  EXPECT_EQ(field.completionsForCurrentToken(),
            (QStringList{QStringLiteral("reading"), QStringLiteral("Review")}));
  EXPECT_EQ(changes.count(), 0); // nothing committed while typing
  field.insertCompletion(QStringLiteral("Review"));
  EXPECT_EQ(field.tokens(), (QStringList{QStringLiteral("writing"), QStringLiteral("Review")}));
  ASSERT_EQ(changes.count(), 1);

  // Return closes the list of completions and leaves no separator behind.
  QTest::keyClicks(&field, QStringLiteral(", x, rev"));
  QWidget* completions = field.findChild<QCompleter*>()->popup();
  ASSERT_TRUE(completions->isVisible());
  QTest::keyClick(&field, Qt::Key_Return);
  EXPECT_EQ(changes.count(), 2);
  EXPECT_FALSE(field.hasStartedEditing());
  EXPECT_TRUE(field.hasFocus());
  EXPECT_FALSE(completions->isVisible());
  EXPECT_EQ(field.text(), QStringLiteral("writing, Review, x, rev"));
  EXPECT_EQ(field.cursorPosition(), field.text().size()); // the caret after the last tag
  // Tab after typing ends the edit and keeps the field for the next tag.
  QTest::keyClicks(&field, QStringLiteral(", y"));
  QTest::keyClick(&field, Qt::Key_Tab);
  EXPECT_EQ(changes.count(), 3);
  EXPECT_FALSE(field.hasStartedEditing());
  EXPECT_EQ(field.cursorPosition(), field.text().size());
  EXPECT_EQ(field.tokens().last(), QStringLiteral("y"));
  field.clearFocus(); // leaving drops the separator left for a next tag
  EXPECT_EQ(field.text(), QStringLiteral("writing, Review, x, rev, y"));
  EXPECT_EQ(TagTokenField::tokensFromText(QStringLiteral(" a ,, b,")),
            (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
}

TEST_F(TagFieldsTest, HelperBindsTheFieldForTheLifeOfItsSection) {
  defaults().setValue(QStringLiteral("tags"), QStringLiteral("one,two"));
  int unbinds = 0;
  TagTokenField* field = nullptr;
  {
    Wall section;
    field = TagTokenFieldHelper::installTagTokenFieldInsideFragment(
        &section, QStringLiteral("tags"),
        [](TagTokenField* f) {
          DefaultsBinding::bind(f, "tokens", QStringLiteral("tags"),
                                transformers::stringToTokenArray());
        },
        [&](TagTokenField*) { ++unbinds; }, false);
    EXPECT_EQ(field->parentWidget(), &section);
    EXPECT_EQ(field->tokens(), (QStringList{QStringLiteral("one"), QStringLiteral("two")}));
    auto* pullDown = section.findChild<TagPullDownButtonBrick*>();
    ASSERT_NE(pullDown, nullptr);
    EXPECT_EQ(pullDown->storageKey(), QStringLiteral("tags"));
    // A tag chosen in the pull-down shows in the bound field.
    TagPullDownButtonBrick::appendTag(QStringLiteral("three"), QStringLiteral("tags"));
    EXPECT_EQ(field->tokens().last(), QStringLiteral("three"));
    // What the user types reaches the key once the edit ends.
    field->setText(QStringLiteral("one, four"));
    Q_EMIT field->editingFinished();
    EXPECT_EQ(defaults().string(QStringLiteral("tags")), QStringLiteral("one,four"));
    EXPECT_EQ(unbinds, 0);
  }
  EXPECT_EQ(unbinds, 1);
}

TEST_F(TagFieldsTest, ShiftTabOrAClickAfterTypingLeavesWithTheCaretAfterTheLastTag) {
  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  auto* other = new QLineEdit;
  auto* field = new TagTokenField;
  layout->addWidget(other);
  layout->addWidget(field);
  window.show();
  QApplication::setActiveWindow(&window);
  field->setFocus();
  QTest::keyClicks(field, QStringLiteral("one, two"));
  field->setCursorPosition(2);
  QTest::keyClick(field, Qt::Key_Backtab);
  EXPECT_TRUE(other->hasFocus());
  EXPECT_EQ(field->cursorPosition(), field->text().size());
  EXPECT_EQ(field->tokens(), (QStringList{QStringLiteral("one"), QStringLiteral("two")}));
  // Without typing, leaving does nothing special.
  field->setFocus();
  field->setCursorPosition(1);
  other->setFocus(Qt::MouseFocusReason);
  EXPECT_EQ(field->cursorPosition(), 1);
}

TEST_F(TagFieldsTest, SourceFieldListsEveryTagIgnoringCaseAndTheRowFocusesItsField) {
  tags.addTagsFromString(QStringLiteral("gamma,alpha"));
  {
    TagSourceTokenField source(tags);
    EXPECT_TRUE(source.isReadOnly());
    EXPECT_EQ(source.delegate(), &tags);
    EXPECT_EQ(source.palette().color(QPalette::Text), QColor(Qt::black));
    EXPECT_EQ(source.tokens(), (QStringList{QStringLiteral("alpha"), QStringLiteral("gamma")}));
    tags.addTagsFromString(QStringLiteral("Beta"));
    EXPECT_EQ(source.text(), QStringLiteral("alpha, Beta, gamma"));
    source.updateWithTagList({QStringLiteral("b"), QStringLiteral("C"), QStringLiteral("A")});
    EXPECT_EQ(source.tokens(), (QStringList{"A", "b", "C"}));
  }
  tags.addTagsFromString(QStringLiteral("delta")); // the gone field is no longer told

  test::ConsoleCapture console;
  TagTokenFieldContainerView row;
  row.selectTagTokenField();
  EXPECT_TRUE(console.contains(QStringLiteral(
      "TagTokenFieldContainerView selectTagTokenField called but tag token field not set!!")));
  auto* field = new TagTokenField(&row);
  row.setTagTokenField(field);
  row.show();
  QApplication::setActiveWindow(&row);
  row.selectTagTokenField();
  EXPECT_TRUE(field->hasFocus());
}
