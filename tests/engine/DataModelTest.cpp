#include "engine/DataModel.h"
#include "engine/ValueChangeListener.h"
#include "platform/files/SupportPaths.h"
#include "platform/richtext/RtfdPackage.h"
#include "platform/settings/UserDefaults.h"

#include "support/TestEnvironment.h"

#include <QCheckBox>
#include <QFile>
#include <QSlider>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

using kr::DataModel;
using kr::UserDefaults;

namespace {

class CountingListener : public kr::ValueChangeListener {
public:
  explicit CountingListener(int* calls) : calls_(calls) {}
  void valueHasChanged() override { ++*calls_; }

private:
  int* calls_;
};

// A listener owned the Qt way, by its parent object.
class ListeningObject : public QObject, public kr::ValueChangeListener {
public:
  ListeningObject(int* calls, QObject* parent) : QObject(parent), calls_(calls) {}
  void valueHasChanged() override { ++*calls_; }

private:
  int* calls_;
};

// Stands in for the tag token field of the interface kit.
class TokenField : public QObject {
  Q_OBJECT
  Q_PROPERTY(QStringList tokens MEMBER tokens NOTIFY tokensChanged)
  Q_PROPERTY(QString placeholderText MEMBER placeholderText)

public:
  QStringList tokens;
  QString placeholderText;
  void type(const QStringList& newTokens) {
    tokens = newTokens;
    Q_EMIT tokensChanged();
  }
Q_SIGNALS:
  void tokensChanged();
};

// A slider that hands over doubles, as continuous sliders do.
class DoubleSlider : public QObject {
  Q_OBJECT
  Q_PROPERTY(double value MEMBER value NOTIFY valueChanged)

public:
  double value = 0.0;
  void drag(double to) {
    value = to;
    Q_EMIT valueChanged();
  }
Q_SIGNALS:
  void valueChanged();
};

class DataModelTest : public ::testing::Test {
protected:
  void SetUp() override {
    UserDefaults::resetStandardForTesting();
    QFile::remove(kr::SupportPaths::settingsFile());
    model = std::make_unique<DataModel>();
    model->prepare();
  }
  void TearDown() override {
    model.reset();
    UserDefaults::resetStandardForTesting();
  }
  static UserDefaults& store() { return UserDefaults::standard(); }
  void setMinutesOfSlots(qint64 first, qint64 second, qint64 third, qint64 fourth) {
    store().setValue(QStringLiteral("firstPomodoroBreakDurationInMinutes"), first);
    store().setValue(QStringLiteral("secondPomodoroBreakDurationInMinutes"), second);
    store().setValue(QStringLiteral("thirdPomodoroBreakDurationInMinutes"), third);
    store().setValue(QStringLiteral("fourthPomodoroBreakDurationInMinutes"), fourth);
  }
  void enableSlots(bool third, bool fourth) {
    store().setValue(QStringLiteral("thirdPomodoroBreakEnabled"), third);
    store().setValue(QStringLiteral("fourthPomodoroBreakEnabled"), fourth);
  }

  std::unique_ptr<DataModel> model;
};

const QString kPlaceholder = QStringLiteral(
    "Give a one sentence description of your objective for the next time slice. Be as specific "
    "as possible and clearly set the limits of what you are going to do.");

TEST_F(DataModelTest, PrepareRegistersTheTwentySixDefaultsAndCreatesTheObjective) {
  const QList<QPair<QString, QVariant>> expected = {
      {"tags", QString()},
      {"durationInSeconds", 900},
      {"breakDurationInSeconds", 600},
      {"focusRating", 1},
      {"completed", false},
      {"tagFilter", QString()},
      {"lockScreenDuringBreak", false},
      {"endInformalBreakForLunch", false},
      {"endInformalBreakForBreakfast", false},
      {"endInformalBreakAutomatically", false},
      {"firstPomodoroBreakDurationInMinutes", 5},
      {"secondPomodoroBreakDurationInMinutes", 5},
      {"thirdPomodoroBreakDurationInMinutes", 5},
      {"fourthPomodoroBreakDurationInMinutes", 30},
      {"thirdPomodoroBreakEnabled", true},
      {"fourthPomodoroBreakEnabled", true},
      {"breakDurationControlAlternative", QStringLiteral("default")},
      {"techniqueProfileChoice", QStringLiteral("korvane")},
      {"notificationProfileChoice", QStringLiteral("some")},
      {"continuousSoundProfileChoice", QStringLiteral("none")},
      {"omnifocusUseContext", true},
      {"omnifocusEstimatedTime", true},
      {"thingsIntegrationUseTags", true},
      {"shouldHideOnTimeSliceRunningActivation", true},
      {"shouldHideOnTimedBreakActivation", true},
      {"shouldUseSoftBreak", true},
  };
  ASSERT_EQ(expected.size(), 26);
  for (const auto& [key, value] : expected) {
    const QVariant registered = store().registeredValue(key);
    ASSERT_TRUE(registered.isValid()) << key.toStdString();
    EXPECT_EQ(registered.metaType().id() == QMetaType::QString,
              value.typeId() == QMetaType::QString)
        << key.toStdString();
    if (value.typeId() == QMetaType::Bool)
      EXPECT_EQ(registered.toBool(), value.toBool()) << key.toStdString();
    else
      EXPECT_EQ(registered.toString(), value.toString()) << key.toStdString();
    EXPECT_FALSE(store().hasStoredValue(key)) << key.toStdString();
  }
  // Only the objective is written, as rich text holding the placeholder sentence.
  EXPECT_EQ(store().storedKeys(), QStringList{QStringLiteral("objective")});
  EXPECT_EQ(
      kr::ObjectiveText(store().object(QStringLiteral("objective")).toByteArray()).plainText(),
      kPlaceholder);
  EXPECT_EQ(model->objectiveData().plainText(), kPlaceholder);

  // The getters read through the registered values; unknown keys read false.
  EXPECT_EQ(model->tags(), QString());
  EXPECT_EQ(model->focusRating(), 1);
  EXPECT_FALSE(model->completed());
  EXPECT_TRUE(model->shouldUseSoftBreak());
  EXPECT_TRUE(model->useThingsTags());
  EXPECT_FALSE(model->lockScreenDuringBreak());
  EXPECT_FALSE(model->endInformalBreakAutomaticallyAfterInactivity());
  EXPECT_TRUE(model->useDefaultBreakDurationControl());
}

TEST_F(DataModelTest, StoredObjectiveIsKeptAndDefaultObjectiveUsesThePadStyle) {
  store().setValue(QStringLiteral("objective"), QByteArray("{\\rtf1 Write the report}"));
  DataModel other;
  other.prepare();
  EXPECT_EQ(other.objectiveData().plainText(), QStringLiteral("Write the report"));

  store().remove(QStringLiteral("objective"));
  other.setObjectiveStyleProvider([] {
    return kr::ObjectiveText::Style{QStringLiteral("DejaVu Sans"), 14.0, QStringLiteral("#ff8000")};
  });
  const kr::ObjectiveText created = other.objectiveData();
  const kr::CharFormat format = created.richText().formatAt(0);
  EXPECT_EQ(format.fontFamily, QStringLiteral("DejaVu Sans"));
  EXPECT_EQ(format.fontSize, 14.0);
  EXPECT_EQ(format.foreground, (kr::RgbColor{255, 128, 0}));
  EXPECT_EQ(created.plainText(), kPlaceholder);
  EXPECT_EQ(store().object(QStringLiteral("objective")).toByteArray(), created.data());
}

// An objective stored in a form the editor cannot show: text (as an older
// version or a hand edit left it) is shown as text; anything else gives way
// to the prompt, with the file as it was kept beside it.
TEST_F(DataModelTest, AnObjectiveInAnotherFormIsShownAsTextOrKeptAside) {
  const QString settings = kr::SupportPaths::settingsFile();
  const QString damaged = settings + QStringLiteral(".damaged");
  for (const QVariant& text :
       {QVariant(QStringLiteral("Write the report")), QVariant(QByteArray("Write the report"))}) {
    UserDefaults::resetStandardForTesting();
    QFile::remove(damaged);
    store().setValue(QStringLiteral("objective"), text);
    ASSERT_TRUE(store().flush());
    UserDefaults::resetStandardForTesting();
    DataModel reopened;
    reopened.prepare();
    EXPECT_EQ(reopened.objectiveData().plainText().trimmed(), QStringLiteral("Write the report"));
    EXPECT_TRUE(
        kr::RtfdPackage::fromData(store().object(QStringLiteral("objective")).toByteArray()));
    EXPECT_FALSE(QFile::exists(damaged));
  }

  kr::test::ConsoleCapture console;
  UserDefaults::resetStandardForTesting();
  const QByteArray garbage("\x01\xff\x00\x9c damaged", 12);
  store().setValue(QStringLiteral("objective"), garbage);
  ASSERT_TRUE(store().flush());
  QFile file(settings);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray before = file.readAll();
  file.close();
  UserDefaults::resetStandardForTesting();
  {
    DataModel reopened;
    reopened.prepare();
    EXPECT_EQ(reopened.objectiveData().plainText().trimmed(), kPlaceholder);
    ASSERT_TRUE(store().flush());
  }
  QFile kept(damaged);
  ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
  EXPECT_EQ(kept.readAll(), before);
  EXPECT_EQ(console.lines().filter(damaged).size(), 1);
  EXPECT_NE(UserDefaults(settings).object(QStringLiteral("objective")).toByteArray(), garbage);
}

// An objective and a text setting written into the file by hand are read
// whole, where Qt's reader would split the line at its commas, cut it at a
// ';' or drop its quotes; the next write stores them as text.
TEST_F(DataModelTest, TextsWrittenByHandAreReadWhole) {
  const struct {
    const char* line;
    const char* text;
  } cases[] = {
      {"Plain text objective, written by hand", "Plain text objective, written by hand"},
      {"Buy milk; eggs, bread", "Buy milk; eggs, bread"},
      {"Read \"Dune\" today", "Read \"Dune\" today"},
      {" \t spaced, out  ", "spaced, out"},
      {"C:\\\\work\\\\notes, then \\d as written", "C:\\work\\notes, then \\d as written"},
      {"one\\ttab, two\\nlines", "one\ttab, two\nlines"},
      {"caf\u00e9 \U0001f600, \u00fcn\u00efcode", "caf\u00e9 \U0001f600, \u00fcn\u00efcode"},
      {"\"quoted, as Qt writes text\"", "quoted, as Qt writes text"},
  };
  const QString settings = kr::SupportPaths::settingsFile();
  const QString tags = QStringLiteral("tags");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    const QString text = QString::fromUtf8(c.text);
    UserDefaults::resetStandardForTesting();
    QFile::remove(settings + QStringLiteral(".damaged"));
    {
      QFile file(settings);
      ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
      file.write(QByteArray("[General]\nobjective=") + c.line + "\ntags=" + c.line + "\n");
    }
    {
      DataModel reopened;
      reopened.prepare();
      EXPECT_EQ(reopened.objectiveData().plainText().trimmed(), text);
      EXPECT_EQ(store().string(tags), text);
      EXPECT_EQ(store().object(tags).toString(), text) << "registered as text";
      ASSERT_TRUE(store().flush());
    }
    EXPECT_FALSE(QFile::exists(settings + QStringLiteral(".damaged")));
    UserDefaults::resetStandardForTesting();
    EXPECT_EQ(kr::ObjectiveText(store().object(QStringLiteral("objective")).toByteArray())
                  .plainText()
                  .trimmed(),
              text);
    EXPECT_EQ(store().object(tags), QVariant(text)) << "written back as text";
  }
}

TEST(ObjectiveTextTest, PlainTextLeavesOutFormatsAndAttachments) {
  const QString text = QStringLiteral("Fix {braces} \\ and ümlauts 😀\nsecond\tline");
  EXPECT_EQ(kr::ObjectiveText::fromPlainText(text, {}).plainText(), text);
  EXPECT_EQ(kr::ObjectiveText::fromPlainText(text, {}).richText().formatAt(0).fontFamily,
            QStringLiteral("Helvetica"));

  kr::RichText withPicture(QStringLiteral("See "));
  withPicture.appendAttachment(QStringLiteral("chart.png"), QByteArray("\x89PNG"));
  withPicture.append(QStringLiteral(" now"));
  const kr::ObjectiveText objective(kr::RtfdPackage::toData(withPicture));
  EXPECT_EQ(objective.plainText(), QStringLiteral("See  now"));
  EXPECT_EQ(objective.richText().attachmentNames(), QStringList{QStringLiteral("chart.png")});

  // Data that is no rich text reads as no text.
  EXPECT_EQ(kr::ObjectiveText(QByteArray("plain words")).plainText(), QString());
  EXPECT_TRUE(kr::ObjectiveText().isEmpty());
}

TEST_F(DataModelTest, DurationsAreSecondsShownInWholeMinutes) {
  store().setValue(QStringLiteral("durationInSeconds"), 899);
  EXPECT_EQ(model->durationInMinutes(), 14);
  model->setDurationInSeconds(900);
  EXPECT_EQ(model->durationInMinutes(), 15);
  model->setDurationInMinutes(25);
  EXPECT_EQ(store().integer(QStringLiteral("durationInSeconds")), 1500);
  model->setBreakDurationInMinutes(7);
  EXPECT_EQ(model->breakDurationInSeconds(), 420);
  model->setBreakDurationInSeconds(179);
  EXPECT_EQ(model->breakDurationInMinutes(), 2);
  model->setTags(QStringLiteral("work,deep"));
  EXPECT_EQ(store().string(QStringLiteral("tags")), QStringLiteral("work,deep"));
  model->setStatsMode(3);
  EXPECT_EQ(model->statsMode(), 3);
  EXPECT_EQ(store().integer(QStringLiteral("currentlyDisplayedStatistic")), 3);
}

TEST_F(DataModelTest, ListenersHearOnlyRealChangesOfTheirOwnKey) {
  int durationCalls = 0, otherDurationCalls = 0, breakCalls = 0;
  CountingListener duration(&durationCalls), otherDuration(&otherDurationCalls),
      breakListener(&breakCalls);
  model->addDurationListener(duration);
  model->addDurationListener(otherDuration);
  model->addDurationListener(otherDuration); // added twice: told twice
  model->addBreakDurationListener(breakListener);

  model->setDurationInMinutes(25);
  EXPECT_EQ(durationCalls, 1);
  EXPECT_EQ(otherDurationCalls, 2);
  EXPECT_EQ(breakCalls, 0);

  model->setDurationInMinutes(25); // the same value: no change
  model->setTags(QStringLiteral("other"));
  store().setValue(QStringLiteral("fourthPomodoroBreakEnabled"), false);
  EXPECT_EQ(durationCalls, 1);
  EXPECT_EQ(breakCalls, 0);

  model->setBreakDurationInSeconds(300);
  EXPECT_EQ(breakCalls, 1);
  EXPECT_EQ(durationCalls, 1);
  store().remove(QStringLiteral("breakDurationInSeconds")); // back to the registered 600
  EXPECT_EQ(breakCalls, 2);
}

TEST_F(DataModelTest, DestroyedListenerIsNeverCalled) {
  int liveCalls = 0, goneCalls = 0, childCalls = 0;
  CountingListener live(&liveCalls);
  auto gone = std::make_unique<CountingListener>(&goneCalls);
  auto parent = std::make_unique<QObject>();
  auto* child = new ListeningObject(&childCalls, parent.get());
  model->addDurationListener(*gone);
  model->addDurationListener(live);
  model->addDurationListener(*child);

  model->setDurationInSeconds(1200);
  EXPECT_EQ(goneCalls, 1);
  EXPECT_EQ(childCalls, 1);

  gone.reset();
  parent.reset(); // deletes the child listener
  model->setDurationInSeconds(1300);
  model->setDurationInSeconds(1400);
  EXPECT_EQ(goneCalls, 1);
  EXPECT_EQ(childCalls, 1);
  EXPECT_EQ(liveCalls, 3);
}

TEST_F(DataModelTest, ListenerAddedDuringANotificationIsToldNextTime) {
  int lateCalls = 0;
  CountingListener late(&lateCalls);
  struct Adder : kr::ValueChangeListener {
    DataModel* model;
    kr::ValueChangeListener* late;
    void valueHasChanged() override { model->addDurationListener(*late); }
  } adder;
  adder.model = model.get();
  adder.late = &late;
  model->addDurationListener(adder);
  model->setDurationInSeconds(180);
  EXPECT_EQ(lateCalls, 0);
  model->setDurationInSeconds(240);
  EXPECT_EQ(lateCalls, 1);
}

TEST_F(DataModelTest, PomodoroSlotFollowsTheCounterAndTheFlagsInForceNow) {
  setMinutesOfSlots(11, 12, 13, 14);
  auto slotMinutes = [&](qint64 counter) {
    model->pomodoroCounter = counter;
    return model->computedPomodoroBreakDurationBasedOnCurrentSettings();
  };
  // Four slots: the counter walks them in turn and starts over.
  EXPECT_EQ(model->pomodoroSlots(), 4);
  const QList<qint64> fourSlots = {11, 12, 13, 14, 11, 12, 13, 14};
  for (qint64 counter = 0; counter < fourSlots.size(); ++counter)
    EXPECT_EQ(slotMinutes(counter), fourSlots[counter]) << counter;

  // The counter stands on the fourth slot when the user switches it off:
  // the slot is re-mapped at once, never the disabled one.
  model->pomodoroCounter = 3;
  enableSlots(true, false);
  EXPECT_EQ(model->pomodoroSlots(), 3);
  EXPECT_EQ(model->computedPomodoroCounter(), 0);
  EXPECT_EQ(slotMinutes(5), 13); // counter 5 is slot 2 of 3

  enableSlots(false, false);
  EXPECT_EQ(model->pomodoroSlots(), 2);
  for (qint64 counter = 0; counter < 10; ++counter)
    EXPECT_EQ(slotMinutes(counter), counter % 2 == 0 ? 11 : 12) << counter;

  // The fourth flag alone gives four slots; re-enabling restores them.
  enableSlots(false, true);
  EXPECT_EQ(model->pomodoroSlots(), 4);
  EXPECT_EQ(slotMinutes(7), 14);
  enableSlots(true, true);
  EXPECT_EQ(slotMinutes(5), 12); // counter 5 is slot 1 of 4
}

TEST_F(DataModelTest, NextBreakLengthPrefersOneTimeThenPomodoroThenStored) {
  setMinutesOfSlots(3, 4, 5, 25);
  model->setBreakDurationInSeconds(480);
  EXPECT_EQ(model->nextTimedBreakDurationInSeconds(), 480);

  model->nextBreakDurationControlAlternative(); // to pomodoro style
  ASSERT_TRUE(model->usePomodoroStyleBreakDurationControl());
  model->pomodoroCounter = 1;
  EXPECT_EQ(model->nextTimedBreakDurationInSeconds(), 240);

  model->oneTimeOnlyBreakDuration = 900;
  model->useOneTimeOnlyBreakDurationThisTimeOnly = true;
  EXPECT_EQ(model->nextTimedBreakDurationInSeconds(), 900);
  model->nextBreakDurationControlAlternative(); // back to the default control
  EXPECT_EQ(model->nextTimedBreakDurationInSeconds(), 900);

  model->useOneTimeOnlyBreakDurationThisTimeOnly = false; // the break has ended
  EXPECT_EQ(model->oneTimeOnlyBreakDuration, 900);
  EXPECT_EQ(model->nextTimedBreakDurationInSeconds(), 480);

  // An unknown control is neither, so the stored length is used.
  store().setValue(QStringLiteral("breakDurationControlAlternative"), QStringLiteral("dial"));
  EXPECT_FALSE(model->useDefaultBreakDurationControl());
  EXPECT_FALSE(model->usePomodoroStyleBreakDurationControl());
  EXPECT_EQ(model->nextTimedBreakDurationInSeconds(), 480);
  model->nextBreakDurationControlAlternative();
  EXPECT_EQ(store().string(QStringLiteral("breakDurationControlAlternative")),
            QStringLiteral("default"));
}

TEST_F(DataModelTest, PomodoroMinuteStepsStayBetweenTwoAndSixty) {
  using Step = void (DataModel::*)();
  struct Slot {
    QString key;
    Step increment;
    Step decrement;
  };
  const QList<Slot> slotSteps = {
      {QStringLiteral("firstPomodoroBreakDurationInMinutes"),
       &DataModel::incrementFirstPomodoroBreakDurationInMinutes,
       &DataModel::decrementFirstPomodoroBreakDurationInMinutes},
      {QStringLiteral("secondPomodoroBreakDurationInMinutes"),
       &DataModel::incrementSecondPomodoroBreakDurationInMinutes,
       &DataModel::decrementSecondPomodoroBreakDurationInMinutes},
      {QStringLiteral("thirdPomodoroBreakDurationInMinutes"),
       &DataModel::incrementThirdPomodoroBreakDurationInMinutes,
       &DataModel::decrementThirdPomodoroBreakDurationInMinutes},
      {QStringLiteral("fourthPomodoroBreakDurationInMinutes"),
       &DataModel::incrementFourthPomodoroBreakDurationInMinutes,
       &DataModel::decrementFourthPomodoroBreakDurationInMinutes},
  };
  DataModel& m = *model;
  for (const Slot& slot : slotSteps) {
    const std::string name = slot.key.toStdString();
    store().setValue(slot.key, 59);
    (m.*slot.increment)();
    EXPECT_EQ(store().integer(slot.key), 60) << name;
    (m.*slot.increment)();
    EXPECT_EQ(store().integer(slot.key), 60) << name;
    store().setValue(slot.key, 3);
    (m.*slot.decrement)();
    EXPECT_EQ(store().integer(slot.key), 2) << name;
    (m.*slot.decrement)();
    EXPECT_EQ(store().integer(slot.key), 2) << name;
    store().setValue(slot.key, 75); // edited into the settings file: reads as 60
    (m.*slot.increment)();
    EXPECT_EQ(store().integer(slot.key), 60) << name;
    (m.*slot.decrement)();
    EXPECT_EQ(store().integer(slot.key), 59) << name;
  }
}

TEST_F(DataModelTest, SliceExtensionIsTransient) {
  EXPECT_EQ(model->currentTimeSliceExtensionDurationInSeconds(), 0);
  model->setCurrentTimeSliceExtensionDuration(300);
  EXPECT_EQ(model->currentTimeSliceExtensionDurationInSeconds(), 300);
  EXPECT_FALSE(store().storedKeys().join(u',').contains(QStringLiteral("xtension")));
  model->resetCurrentTimeSliceExtensionDuration();
  EXPECT_EQ(model->currentTimeSliceExtensionDurationInSeconds(), 0);
  model->setCurrentTimeSliceExtensionDuration(-60); // shortened below the stored length
  EXPECT_EQ(model->currentTimeSliceExtensionDurationInSeconds(), -60);
  DataModel fresh;
  EXPECT_EQ(fresh.currentTimeSliceExtensionDurationInSeconds(), 0);
  EXPECT_EQ(fresh.pomodoroCounter, 0);
  EXPECT_FALSE(fresh.useOneTimeOnlyBreakDurationThisTimeOnly);
  EXPECT_EQ(fresh.oneTimeOnlyBreakDuration, 20);
}

TEST_F(DataModelTest, BindingsKeepControlsAndKeysInStepUntilUnbound) {
  QSlider slider;
  slider.setRange(2, 60);
  model->bindDurationInMinutes(&slider);
  EXPECT_EQ(slider.value(), 15);
  slider.setValue(40);
  EXPECT_EQ(model->durationInSeconds(), 2400);

  // A fractional minute from the slider truncates rather than storing 0.
  DoubleSlider breakSlider;
  model->bindBreakDurationInMinutes(&breakSlider);
  EXPECT_EQ(breakSlider.value, 10.0);
  breakSlider.drag(12.7);
  EXPECT_EQ(model->breakDurationInSeconds(), 720);

  TokenField filter;
  model->bindTagFilter(&filter);
  EXPECT_EQ(filter.placeholderText, QStringLiteral("<Enter Tags to Filter>"));
  store().setValue(QStringLiteral("tagFilter"), QStringLiteral("work,deep"));
  EXPECT_EQ(filter.tokens, (QStringList{QStringLiteral("work"), QStringLiteral("deep")}));
  filter.type({QStringLiteral("home")});
  EXPECT_EQ(store().string(QStringLiteral("tagFilter")), QStringLiteral("home"));

  TokenField tags;
  model->bindTags(&tags);
  EXPECT_EQ(tags.placeholderText, QStringLiteral("No Tags."));

  QCheckBox softBreak, completed;
  model->bindSoftBreakOnOffCheckbox(&softBreak);
  model->bindCompleted(&completed);
  EXPECT_TRUE(softBreak.isChecked());
  softBreak.setChecked(false);
  EXPECT_FALSE(model->shouldUseSoftBreak());

  // Unbinding removes exactly that binding.
  model->unbindSoftBreakOnOffCheckbox(&softBreak);
  model->unbindDurationInMinutes(&slider);
  model->unbindTagFilter(&filter);
  model->setDurationInMinutes(10);
  store().setValue(QStringLiteral("shouldUseSoftBreak"), true);
  store().setValue(QStringLiteral("tagFilter"), QStringLiteral("x"));
  EXPECT_EQ(slider.value(), 40);
  EXPECT_EQ(filter.tokens, QStringList{QStringLiteral("home")});
  EXPECT_FALSE(softBreak.isChecked());
  store().setValue(QStringLiteral("completed"), true); // still bound
  EXPECT_TRUE(completed.isChecked());
}

TEST(DataModelSharedTest, OneSharedModel) { EXPECT_EQ(&DataModel::shared(), &DataModel::shared()); }

} // namespace

#include "DataModelTest.moc"

TEST_F(DataModelTest, StoredLengthsReadIntoTheSlidersRangeOrAsTheDefault) {
  struct Case {
    QVariant stored;
    qint64 slice; // what "durationInSeconds" reads (default 900)
    qint64 pause; // what "breakDurationInSeconds" reads (default 600)
  };
  // Too long for any slider, not a number, negative: never a fatal stop,
  // never "0 Minutes" or "-1 Minutes".
  const Case cases[] = {{QStringLiteral("2147483648"), 3600, 3600},
                        {QStringLiteral("1e308"), 3600, 3600},
                        {1.0e308, 3600, 3600},
                        {QStringLiteral("9223372036854775807"), 3600, 3600},
                        {QStringLiteral("abc"), 900, 600},
                        {QStringLiteral("-100"), 900, 600},
                        {QStringLiteral("nan"), 900, 600},
                        {QStringLiteral("inf"), 900, 600},
                        {QStringLiteral("30"), 120, 120},
                        {QStringLiteral("1500"), 1500, 1500}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored.toString().toStdString());
    kr::test::ConsoleCapture console;
    store().setValue(QStringLiteral("durationInSeconds"), c.stored);
    store().setValue(QStringLiteral("breakDurationInSeconds"), c.stored);
    for (int read = 0; read < 3; ++read) {
      EXPECT_EQ(model->durationInSeconds(), c.slice);
      EXPECT_EQ(model->breakDurationInSeconds(), c.pause);
      EXPECT_EQ(store().integer(QStringLiteral("durationInSeconds")), c.slice);
    }
    // One console line for each key, however often the value is read.
    const int lines = c.slice == 1500 ? 0 : 1;
    EXPECT_EQ(console.lines().filter(QStringLiteral("\"durationInSeconds\"")).size(), lines)
        << console.lines().join(u'\n').toStdString();
    EXPECT_EQ(console.lines().filter(QStringLiteral("\"breakDurationInSeconds\"")).size(), lines);
  }
  setMinutesOfSlots(0, 999, -3, 61);
  const qint64 expected[] = {2, 60, 5, 60};
  for (qint64 slot = 0; slot < 4; ++slot) {
    model->pomodoroCounter = slot;
    EXPECT_EQ(model->computedPomodoroBreakDurationBasedOnCurrentSettings(), expected[slot]);
  }
}
