// The preferences window over recording doubles: what it switches off while
// it runs and puts back after, the previews, and every control's key.
#include "PreferencesFixture.h"

#include "effects/SpeechManager.h"
#include "effects/WhiteNoiseMachine.h"
#include "platform/MacOSXVersion.h"
#include "platform/services/FilePanelPresenter.h"
#include "platform/services/SpellCheckerAPI.h"
#include "platform/services/TestAlertPresenter.h"
#include "platform/services/TestHotKeyBackend.h"
#include "platform/services/TestSpeechSynthesizer.h"
#include "preferences/DistractionsPane.h"
#include "preferences/NotificationsPane.h"
#include "preferences/PreferenceControls.h"
#include "preferences/PreferencesController.h"
#include "preferences/PreferencesViews.h"
#include "preferences/ShortcutsPane.h"
#include "shortcuts/HotKeyCenter.h"
#include "shortcuts/InputMonitoringHelper.h"
#include "shortcuts/RecordView.h"
#include "shortcuts/SwiftHotKeyManager.h"

#include "effects/SoundFixture.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <gtest/gtest.h>

#include <set>

using namespace kr;

namespace {

class PreferencesWindow : public test::PreferencesFixture {};

// The keys the notification pages must show, in the pane's notation.
QStringList expectedKeys() {
  QStringList keys;
  const auto S = [&](const QString& x) { keys << x + "On" << x << x + "Volume"; };
  const auto Sp = [&](const QString& x) { keys << x + "On" << x + "Text"; };
  const auto V = [&](const QString& x, const char* sticky = "Sticky") {
    keys << x + "On" << x + "Text" << x + "Description" << x + QLatin1String(sticky);
  };
  S("startSound"), Sp("speechStart"), V("growlStart");
  keys << "soundReminderOn"
       << "countDownSound"
       << "soundReminderVolume"
       << "soundReminderInterval";
  Sp("speechReminder"), keys << "speechReminderInterval";
  V("growlReminder"), keys << "growlReminderInterval";
  S("continuousSound");
  keys << "warning10MinutesOn"
       << "warning5MinutesOn"
       << "warning3MinutesOn"
       << "warning1MinuteOn";
  S("warningSound"), Sp("speechWarning"), V("growlWarning");
  keys << "dimBeforeEndOfTimeSlice"
       << "endOfTimeSliceDimDuration"
       << "dimmingAlpha";
  S("endSound"), Sp("speechEnd"), V("growlEnd");
  S("softBreakFirstSound"), S("softBreakSecondSound"), S("softBreakThirdSound");
  keys << "softBreakScreenFlashingChoice";
  Sp("speechSoftBreakUserStillActive"), V("growlSoftBreakUserStillActive");
  Sp("speechSoftBreakIntermediary"), V("growlSoftBreakIntermediary", "Stick");
  Sp("speechSoftBreakFinal"), V("growlSoftBreakFinal", "Stick");
  S("pausedSound"), S("stoppedSound"), Sp("speechPaused"), Sp("speechStopped");
  V("growlPaused"), V("growlStopped");
  S("breakStartSound"), Sp("speechBreakStart"), V("growlBreakStart");
  keys << "breakSoundReminderOn"
       << "breakCountDownSound"
       << "breakSoundReminderVolume"
       << "breakSoundReminderInterval";
  Sp("breakSpeechReminder"), keys << "breakSpeechReminderInterval";
  V("breakGrowlReminder"), keys << "breakGrowlReminderInterval";
  S("breakEndSound"), Sp("breakSpeechEnd"), V("breakGrowlEnd");
  keys << "dimBeforeEndOfTimedBreak"
       << "endOfTimedBreakDimDuration";
  keys << "speechReminderVolume"
       << "notificationPreferencesTableIndex"
       << "excludeApplicationsList";
  keys << "defaultFont"
       << "textColor"
       << "nowPadBackgroundColor"
       << "laterPadBackgroundColor"
       << "scratchPadBackgroundColor"
       << "objectiveBackgroundColor";
  keys << "soundOutputDevice"
       << "mute"
       << "standaloneSoundOn"
       << "standaloneSound"
       << "standaloneVolume";
  keys << "thingsIntegrationToDoCompletion"
       << "thingsIntegrationMoveToLogBook"
       << "thingsIntegrationUseTags"
       << "omnifocusIntegration"
       << "omnifocusUseContext"
       << "omnifocusEstimatedTime"
       << "theHitListIntegration";
  keys << "dropboxLocation"
       << "SUEnableAutomaticChecks"
       << "SUScheduledCheckInterval";
  keys << "smartQuotes"
       << "smartDashes"
       << "smartLinks"
       << "smartInsertAndDelete";
  if (SpellCheckerAPI::shared().isAvailable())
    keys << "continuousSpellChecking"
         << "automaticSpellingCorrection";
  keys << "calendarFiles"
       << "menubarIconChoice"
       << "clickMovesWindowBelowIcon";
  return keys;
}

TEST_F(PreferencesWindow, EveryControlWritesItsKeyAndFollowsAChangeMadeElsewhere) {
  PreferencesController controller(services());
  QStringList bound;
  for (const auto& control : controller.controls().bound())
    bound << control.key;
  for (const QString& key : expectedKeys())
    EXPECT_EQ(bound.count(key), 1) << qPrintable(key);
  EXPECT_EQ(bound.size(), expectedKeys().size());
  // Every one is a registered setting.
  for (const QString& key : bound)
    EXPECT_TRUE(defaults().registeredValue(key).isValid()) << qPrintable(key);

  for (const auto& [key, widget, kind] : controller.controls().bound()) {
    SCOPED_TRACE(key.toStdString());
    switch (kind) {
    case PreferenceControls::Kind::check: {
      auto* box = qobject_cast<QCheckBox*>(widget);
      const bool before = defaults().boolValue(key);
      ASSERT_EQ(box->isChecked(), before);
      box->click();
      EXPECT_EQ(defaults().boolValue(key), !before);
      defaults().setValue(key, before);
      EXPECT_EQ(box->isChecked(), before);
      break;
    }
    case PreferenceControls::Kind::text: {
      auto* field = qobject_cast<QLineEdit*>(widget);
      EXPECT_EQ(field->text(), defaults().string(key));
      field->setText(QStringLiteral("Typed <MinutesLeft>"));
      Q_EMIT field->editingFinished();
      EXPECT_EQ(defaults().string(key), QStringLiteral("Typed <MinutesLeft>"));
      defaults().setValue(key, QStringLiteral("Elsewhere"));
      EXPECT_EQ(field->text(), QStringLiteral("Elsewhere"));
      break;
    }
    case PreferenceControls::Kind::fraction: {
      auto* slider = qobject_cast<QSlider*>(widget);
      slider->setValue(30);
      EXPECT_DOUBLE_EQ(defaults().doubleValue(key), 0.3);
      defaults().setValue(key, 0.75);
      EXPECT_EQ(slider->value(), 75);
      break;
    }
    case PreferenceControls::Kind::minutes: {
      auto* spin = qobject_cast<QSpinBox*>(widget);
      EXPECT_EQ(spin->value(), defaults().integer(key) / 60);
      spin->setValue(7);
      EXPECT_EQ(defaults().integer(key), 420);
      defaults().setValue(key, 150); // 2.5 minutes show as 2
      EXPECT_EQ(spin->value(), 2);
      break;
    }
    case PreferenceControls::Kind::seconds: {
      auto* spin = qobject_cast<QSpinBox*>(widget);
      spin->setValue(9);
      EXPECT_EQ(defaults().integer(key), 9);
      defaults().setValue(key, 4);
      EXPECT_EQ(spin->value(), 4);
      break;
    }
    case PreferenceControls::Kind::choice: {
      auto* combo = qobject_cast<QComboBox*>(widget);
      EXPECT_EQ(combo->currentData().toInt(), 0);
      const int last = combo->count() - 1;
      combo->setCurrentIndex(last);
      Q_EMIT combo->activated(last);
      EXPECT_EQ(defaults().integer(key), combo->itemData(last).toInt());
      defaults().setValue(key, 1);
      EXPECT_EQ(combo->currentData().toInt(), 1);
      if (key == QLatin1String("softBreakScreenFlashingChoice")) {
        EXPECT_EQ(combo->currentText(), QStringLiteral("At the tock"));
      }
      break;
    }
    case PreferenceControls::Kind::other: {
      auto* popUp = qobject_cast<PreferencesPanePullDownButton*>(widget);
      if (!popUp)
        break; // the table and the list have tests of their own
      ASSERT_GT(popUp->count(), 1);
      const std::size_t before = played();
      popUp->setCurrentIndex(1);
      Q_EMIT popUp->activated(1);
      const QString chosen = defaults().string(key);
      EXPECT_EQ(sounds->labelOf(chosen), popUp->itemText(1));
      EXPECT_EQ(played(), before + 1) << "one preview";
      defaults().setValue(key, sounds->privateNameOfLabel(popUp->itemText(0)));
      EXPECT_EQ(popUp->currentIndex(), 0);
      // (The continuous sound's own machine puts its default back at once.)
      if (key != QLatin1String("continuousSound")) {
        defaults().setValue(key, QStringLiteral("not_a_sound"));
        EXPECT_EQ(popUp->currentIndex(), -1) << "a name not listed selects nothing";
      }
      break;
    }
    }
  }
}

TEST_F(PreferencesWindow, StoredValuesAControlCannotShowShowTheRegisteredOnes) {
  defaults().setValue(QStringLiteral("startSoundVolume"), -0.25);
  defaults().setValue(QStringLiteral("endSoundVolume"), 7.5);
  defaults().setValue(QStringLiteral("soundReminderInterval"), -600);
  defaults().setValue(QStringLiteral("softBreakScreenFlashingChoice"), 2);
  defaults().setValue(QStringLiteral("notificationPreferencesTableIndex"), 7);
  defaults().setValue(QStringLiteral("preferencesTabViewItemIdentifier"), QStringLiteral("Sync"));
  withBackEnds = false;
  std::map<QString, QWidget*> controls;
  runWith([&](PreferencesController& c) {
    for (const auto& bound : c.controls().bound())
      controls[bound.key] = bound.control;
    EXPECT_EQ(qobject_cast<QSlider*>(controls["startSoundVolume"])->value(), 100);
    EXPECT_EQ(qobject_cast<QSlider*>(controls["endSoundVolume"])->value(), 100);
    EXPECT_EQ(qobject_cast<QSpinBox*>(controls["soundReminderInterval"])->value(), 2);
    EXPECT_EQ(qobject_cast<QComboBox*>(controls["softBreakScreenFlashingChoice"])->currentText(),
              QStringLiteral("Never"));
    EXPECT_EQ(c.notificationsPane()->table()->currentRow(), 1);
    // A pane of a later version is not shown: the registered one is.
    EXPECT_EQ(c.shownPane(), QStringLiteral("Notifications"));
    EXPECT_TRUE(c.toolbarItem(QStringLiteral("Notifications"))->isChecked());
    // A preview at a volume that cannot be read plays at the registered one.
    c.playSoundWithNewSettings(QStringLiteral("selectStartSound"));
    ASSERT_FALSE(fixture.audio.oneShots.empty());
    EXPECT_FLOAT_EQ(fixture.audio.oneShots.back().volume, 1.0f);
  });
  // Nothing was rewritten.
  EXPECT_DOUBLE_EQ(defaults().doubleValue(QStringLiteral("startSoundVolume")), -0.25);
}

TEST_F(PreferencesWindow, HotKeysAreOffWhileOpenAndComeBackWithTheComboRecordedMeanwhile) {
  ASSERT_EQ(backend.grabs.size(), 9u);
  const auto before = hotKeys.swiftKeyCombo(QStringLiteral("now"));
  ASSERT_TRUE(before.has_value());
  // A combo no shortcut uses.
  const SwiftKeyCombo recorded = *SwiftKeyCombo::withCarbonModifiers(7, 256 | 4096);
  runWith([&](PreferencesController& c) {
    EXPECT_TRUE(backend.grabs.empty());
    RecordView* recorder = c.shortcutsPane()->recordView(QStringLiteral("now"));
    ASSERT_TRUE(recorder);
    EXPECT_EQ(recorder->keyCombo(), before) << "shows the stored combo";
    ASSERT_TRUE(recorder->didChange);
    recorder->didChange(recorded);
    EXPECT_TRUE(backend.grabs.empty()) << "a recorded combo waits for the window to close";
  });
  EXPECT_EQ(backend.grabs.size(), 9u);
  EXPECT_EQ(hotKeys.swiftKeyCombo(QStringLiteral("now")), recorded);
  EXPECT_TRUE(alerts.shown.isEmpty());
}

TEST_F(PreferencesWindow, ShortcutsPaneSaysWhatTheDesktopAllowsAndWhichKeysAreHeldElsewhere) {
  const auto combo = hotKeys.swiftKeyCombo(QStringLiteral("later"));
  ASSERT_TRUE(combo.has_value());
  // Another program holds every key the shortcuts use.
  for (const auto& [id, key] : backend.grabs)
    backend.taken.append(key);
  hotKeys.disableAllHotKeys();
  hotKeys.registerAllHotKeys();
  ASSERT_TRUE(hotKeys.refusedRoots().contains(QStringLiteral("later")));
  runWith([&](PreferencesController& c) {
    ShortcutsPane& pane = *c.shortcutsPane();
    EXPECT_EQ(pane.availability()->text(),
              QStringLiteral("These shortcuts work in every program."));
    EXPECT_FALSE(pane.inUseNote(QStringLiteral("later"))->isHidden());
    EXPECT_EQ(pane.inUseNote(QStringLiteral("later"))->text(),
              QStringLiteral("In use by another program"));
    for (const QString& root : PreferencesController::kShortcutRoots)
      EXPECT_TRUE(pane.recordView(root)) << qPrintable(root);
    EXPECT_FALSE(pane.helpButton()->isEnabled()) << "no help opener";
  });
  // The line comes from the input-monitoring answer of the installed centre.
  HotKeyCenter::install(&center);
  EXPECT_TRUE(InputMonitoringHelper::inputMonitoringAvailable());
  EXPECT_EQ(InputMonitoringHelper::availabilityText(),
            QStringLiteral("These shortcuts work in every program."));
  backend.available = false;
  EXPECT_FALSE(InputMonitoringHelper::inputMonitoringAvailable());
  EXPECT_EQ(InputMonitoringHelper::availabilityText(),
            QStringLiteral("unavailable The shortcuts still work in the Korvane-R window."));
  HotKeyCenter::install(nullptr);
  // The help button explains what works on X11, XWayland and Wayland.
  QStringList pages;
  PreferencesController::setHelpPageOpener([&](const QString& page) { pages << page; });
  runWith([&](PreferencesController& c) { c.shortcutsPane()->helpButton()->click(); });
  PreferencesController::setHelpPageOpener({});
  EXPECT_EQ(pages, QStringList{QStringLiteral("input_monitoring.html")});
}

TEST_F(PreferencesWindow, ARunningContinuousSoundStopsWhileOpenAndResumesAfter) {
  defaults().setValue(QStringLiteral("continuousSoundOn"), true);
  noise.playSubjectToSettings();
  ASSERT_TRUE(noise.isPlaying());
  runWith([&](PreferencesController&) { EXPECT_FALSE(noise.isPlaying()); });
  EXPECT_TRUE(noise.isPlaying());
}

TEST_F(PreferencesWindow, MutedBeforeAPreviewSoundsAndTheMuteHoldsAfterWithoutWritingIt) {
  defaults().setValue(QStringLiteral("continuousSoundOn"), true);
  noise.playSubjectToSettings();
  sounds->setAllSoundsAreMuted(true);
  ASSERT_FALSE(noise.isPlaying());
  QSignalSpy writes(fixture.defaults.get(), &UserDefaults::changed);
  runWith([&](PreferencesController& c) {
    EXPECT_TRUE(c.allSoundsWereMutedAtStart());
    EXPECT_FALSE(sounds->allSoundsAreMuted());
    const std::size_t before = played();
    c.notificationsPane()->findChild<QSlider*>(); // the pane is built
    defaults().setValue(QStringLiteral("endSoundVolume"), 0.4);
    EXPECT_EQ(played(), before + 1);
    EXPECT_FLOAT_EQ(fixture.audio.oneShots.back().volume, 0.4f);
    defaults().setValue(QStringLiteral("speechReminderVolume"), 0.5);
    ASSERT_EQ(synth.utterances.size(), 1u) << "speech is not muted either";
  });
  EXPECT_TRUE(sounds->allSoundsAreMuted());
  EXPECT_FALSE(noise.isPlaying()) << "the muted sound did not come back";
  for (const QList<QVariant>& write : writes)
    EXPECT_NE(write.at(0).toString(), QStringLiteral("mute"));

  // A change of the mute made while the window is open holds after it.
  runWith([&](PreferencesController&) { sounds->setAllSoundsAreMuted(false); });
  EXPECT_FALSE(sounds->allSoundsAreMuted());
  EXPECT_TRUE(noise.isPlaying());
}

TEST_F(PreferencesWindow, EachVolumeChangeSpeaksOrPlaysOncePerSliderMove) {
  runWith([&](PreferencesController& c) {
    QSlider* speechVolume = c.notificationsPane()->speechVolume();
    QTest::keyClick(speechVolume, Qt::Key_Left);
    ASSERT_EQ(synth.utterances.size(), 1u);
    EXPECT_EQ(synth.utterances.back().text, QStringLiteral("Hello."));
    EXPECT_FLOAT_EQ(synth.utterances.back().volume, 0.99f);
    QTest::keyClick(speechVolume, Qt::Key_Left);
    EXPECT_EQ(synth.utterances.size(), 2u);

    // A drag writes once, when the slider is let go: one preview.
    QSlider* volume = nullptr;
    for (const auto& bound : c.controls().bound())
      if (bound.key == QLatin1String("breakSoundReminderVolume"))
        volume = qobject_cast<QSlider*>(bound.control);
    ASSERT_TRUE(volume);
    const std::size_t before = played();
    volume->setSliderDown(true);
    for (int value : {90, 70, 50, 30})
      volume->setValue(value);
    EXPECT_EQ(played(), before);
    volume->setSliderDown(false);
    EXPECT_EQ(played(), before + 1);
    EXPECT_FLOAT_EQ(fixture.audio.oneShots.back().volume, 0.3f);
    EXPECT_EQ(fixture.audio.oneShots.back().filePath,
              sounds->getFilePathFromPrivateName(defaults().string("breakCountDownSound")));
  });
  // Closed: nothing is observed any more.
  const std::size_t after = played();
  defaults().setValue(QStringLiteral("startSoundVolume"), 0.2);
  defaults().setValue(QStringLiteral("speechReminderVolume"), 0.2);
  EXPECT_EQ(played(), after);
  EXPECT_EQ(synth.utterances.size(), 2u);
}

TEST_F(PreferencesWindow, TheContinuousSoundPopUpPlaysASampleOfTheChosenSound) {
  runWith([&](PreferencesController& c) {
    PreferencesPanePullDownButton* popUp = c.soundPopUp(QStringLiteral("continuousSound"));
    ASSERT_TRUE(popUp);
    EXPECT_EQ(popUp->count(), sounds->continuousSoundsLabels().size());
    popUp->setCurrentIndex(popUp->count() - 1);
    c.selectSound(QStringLiteral("selectContinuousSound"));
    EXPECT_EQ(defaults().string(QStringLiteral("continuousSound")),
              sounds->continuousSoundsPrivateNames().back());
    ASSERT_FALSE(fixture.audio.oneShots.empty());
    EXPECT_TRUE(fixture.audio.oneShots.back().lastSecondOnly);
    EXPECT_FALSE(c.soundPopUp(QStringLiteral("softBreakIntermediarySound")));
  });
}

TEST_F(PreferencesWindow, SoftwareUpdateIsInsertedOnceBeforeTheLastItem) {
  PreferencesController kept(services());
  for (int opening = 0; opening < 3; ++opening) {
    runWith([&](PreferencesController& c) {
      const QStringList items = c.toolbarIdentifiers();
      EXPECT_EQ(items.count(QStringLiteral("SoftwareUpdate")), 1);
      EXPECT_EQ(items.indexOf(QStringLiteral("SoftwareUpdate")), items.size() - 2);
      EXPECT_EQ(items.back(), QStringLiteral("General"));
    });
    PreferencesController::setModalRunnerForTesting([](PreferencesController&) {});
    kept.run();
  }
  const QStringList items = kept.toolbarIdentifiers();
  EXPECT_EQ(items.count(QStringLiteral("SoftwareUpdate")), 1);
  EXPECT_EQ(items.size(), 11);
  // Every pane can be chosen (the Sync and Software Update panes over their
  // doubles).
  for (const QString& id : items) {
    EXPECT_TRUE(kept.toolbarItem(id)->isEnabled()) << qPrintable(id);
  }
}

TEST_F(PreferencesWindow, TheToolbarChoosesAndStoresThePane) {
  runWith([&](PreferencesController& c) {
    EXPECT_EQ(c.shownPane(), QStringLiteral("Notifications"));
    c.toolbarItem(QStringLiteral("Shortcuts"))->trigger();
    EXPECT_EQ(defaults().string(QStringLiteral("preferencesTabViewItemIdentifier")),
              QStringLiteral("Shortcuts"));
    EXPECT_EQ(c.shownPane(), QStringLiteral("Shortcuts"));
    // Changed elsewhere: the window follows.
    defaults().setValue(QStringLiteral("preferencesTabViewItemIdentifier"),
                        QStringLiteral("Distractions"));
    EXPECT_EQ(c.shownPane(), QStringLiteral("Distractions"));
    EXPECT_TRUE(c.toolbarItem(QStringLiteral("Distractions"))->isChecked());
  });
  runWith(
      [&](PreferencesController& c) { EXPECT_EQ(c.shownPane(), QStringLiteral("Distractions")); });
}

TEST_F(PreferencesWindow, EscapeAndTheCloseButtonEndTheRunCommittingTheFieldBeingEdited) {
  // The real modal run, ended from inside it.
  for (const bool escape : {true, false}) {
    PreferencesController controller(services());
    QLineEdit* field = nullptr;
    for (const auto& bound : controller.controls().bound())
      if (bound.key == QLatin1String("speechStartText"))
        field = qobject_cast<QLineEdit*>(bound.control);
    ASSERT_TRUE(field);
    QTimer::singleShot(0, controller.window(), [&] {
      EXPECT_TRUE(controller.window()->isVisible());
      field->setFocus();
      field->setText(escape ? QStringLiteral("Go") : QStringLiteral("Off you go"));
      if (escape)
        QTest::keyClick(controller.window(), Qt::Key_Escape);
      else
        controller.window()->close();
    });
    controller.run();
    EXPECT_FALSE(controller.window()->isVisible());
    EXPECT_EQ(defaults().string(QStringLiteral("speechStartText")),
              escape ? QStringLiteral("Go") : QStringLiteral("Off you go"));
  }
}

TEST_F(PreferencesWindow, TheNotificationTableHasItsRowsHeightsAndStoredSelection) {
  runWith([&](PreferencesController& c) {
    QTableWidget& table = *c.notificationsPane()->table();
    ASSERT_EQ(table.rowCount(), 11);
    for (int row = 0; row < 11; ++row) {
      SCOPED_TRACE(row);
      const bool group = row == 0 || row == 7;
      EXPECT_EQ(table.item(row, 0)->text(), PreferencesController::kNotificationTableLabels[row]);
      EXPECT_EQ(table.rowHeight(row), group ? 21 : 19);
      EXPECT_EQ(bool(table.item(row, 0)->flags() & Qt::ItemIsSelectable), !group);
      EXPECT_FALSE(table.item(row, 0)->flags() & Qt::ItemIsEditable);
    }
    EXPECT_EQ(PreferencesController::kNotificationTableLabels[3],
              QStringLiteral(" will elapse soon"));
    EXPECT_EQ(table.currentRow(), 1);
    EXPECT_EQ(c.notificationsPane()->pages()->count(), 9);

    table.selectRow(9);
    EXPECT_EQ(defaults().integer(QStringLiteral("notificationPreferencesTableIndex")), 9);
    EXPECT_EQ(c.notificationsPane()->pages()->currentIndex(), 7);
    // A group row cannot be chosen: the selection stays.
    table.selectRow(7);
    EXPECT_EQ(table.currentRow(), 9);
    EXPECT_EQ(defaults().integer(QStringLiteral("notificationPreferencesTableIndex")), 9);
    // Changed elsewhere.
    defaults().setValue(QStringLiteral("notificationPreferencesTableIndex"), 4);
    EXPECT_EQ(table.selectedItems().front()->row(), 4);
    EXPECT_EQ(c.notificationsPane()->pages()->currentIndex(), 3);
    defaults().setValue(QStringLiteral("notificationPreferencesTableIndex"), QStringLiteral("x"));
    EXPECT_EQ(table.selectedItems().front()->row(), 1);
  });
  EXPECT_EQ(DividerCell::dividerRect(QRect(0, 0, 100, 21)), QRect(4, 10, 92, 1));
}

TEST_F(PreferencesWindow, AddingApplicationsAppendsNewOnesOnceAndRemoveTakesTheChosen) {
  const QVariantList registered = defaults().array(QStringLiteral("excludeApplicationsList"));
  ASSERT_EQ(registered.size(), 4);
  const QString firefox = QStringLiteral("/usr/share/applications/firefox.desktop");
  const QString gimp = QStringLiteral("/usr/share/applications/gimp.desktop");
  panels.fileAnswers = {QStringList{firefox, gimp, firefox, QStringLiteral("/tmp/notes.txt")},
                        QStringList{gimp}, std::nullopt};
  runWith([&](PreferencesController& c) {
    DistractionsPane& pane = *c.distractionsPane();
    EXPECT_EQ(pane.list()->count(), 4);
    EXPECT_EQ(pane.list()->item(2)->text(), QStringLiteral("Things"));
    pane.addButton()->click();
    ASSERT_EQ(panels.openRequests.size(), 1);
    EXPECT_EQ(panels.openRequests[0].startFolder, QStringLiteral("/usr/share/applications/"));
    EXPECT_EQ(panels.openRequests[0].prompt, QStringLiteral("Add"));
    QVariantList list = defaults().array(QStringLiteral("excludeApplicationsList"));
    ASSERT_EQ(list.size(), 6);
    EXPECT_EQ(list.mid(0, 4), registered);
    EXPECT_EQ(list[4].toMap().value("path").toString(), firefox);
    EXPECT_EQ(list[5].toMap().value("path").toString(), gimp);
    EXPECT_EQ(pane.list()->item(5)->text(), QStringLiteral("gimp"));
    pane.addButton()->click(); // already listed
    pane.addButton()->click(); // cancelled
    EXPECT_EQ(defaults().array(QStringLiteral("excludeApplicationsList")).size(), 6);

    EXPECT_FALSE(pane.removeButton()->isEnabled());
    pane.list()->item(0)->setSelected(true);
    pane.list()->item(4)->setSelected(true);
    EXPECT_TRUE(pane.removeButton()->isEnabled());
    pane.removeButton()->click();
    list = defaults().array(QStringLiteral("excludeApplicationsList"));
    ASSERT_EQ(list.size(), 4);
    EXPECT_EQ(list[0], registered[1]);
    EXPECT_EQ(list[3].toMap().value("path").toString(), gimp);
    EXPECT_EQ(pane.list()->count(), 4);
  });
}

TEST_F(PreferencesWindow, HelpButtonsOpenTheirPageOrAreDisabledWithoutAnOpener) {
  runWith([&](PreferencesController& c) {
    EXPECT_FALSE(c.notificationsPane()->speechTagsHelp()->isEnabled());
  });
  QStringList opened;
  PreferencesController::setHelpPageOpener([&](const QString& page) { opened << page; });
  runWith([&](PreferencesController& c) { c.notificationsPane()->speechTagsHelp()->click(); });
  PreferencesController::setHelpPageOpener({});
  EXPECT_EQ(opened, QStringList{QStringLiteral("speech_reminder_tags.html")});
}

} // namespace

namespace {

TEST(PreferencesViews, ThePanelIsGreyWithAFrameAndADarkerBottomLineOnlyInTheLightAppearance) {
  MacOSXVersion::setDarkModeProbe([] { return false; });
  PreferencesTablessTabView view;
  view.resize(60, 40);
  QImage light = view.grab().toImage();
  EXPECT_EQ(qGray(light.pixel(30, 20)), 224); // 0.88
  EXPECT_EQ(qGray(light.pixel(0, 20)), 191);  // 0.75
  EXPECT_EQ(qGray(light.pixel(30, 0)), 191);
  EXPECT_EQ(qGray(light.pixel(30, 39)), 143); // 0.56, along the bottom
  MacOSXVersion::setDarkModeProbe([] { return true; });
  view.setPalette(QPalette(QColor(40, 40, 40)));
  view.setAutoFillBackground(true);
  QImage dark = view.grab().toImage();
  EXPECT_NE(qGray(dark.pixel(30, 20)), 224) << "the platform draws";
  MacOSXVersion::setDarkModeProbe({});
}

} // namespace

TEST_F(PreferencesWindow, TabReachesEveryPaneAndEveryControlOnItAndSpaceChoosesThePane) {
  runWith([&](PreferencesController& c) {
    QDialog* window = c.window();
    QApplication::setActiveWindow(window);
    QCoreApplication::processEvents();
    QList<QWidget*> toolbarButtons;
    QToolBar* toolbar = window->findChild<QToolBar*>();
    ASSERT_TRUE(toolbar);
    for (QAction* item : toolbar->actions())
      toolbarButtons.append(toolbar->widgetForAction(item));
    for (const QString& identifier : c.toolbarIdentifiers()) {
      QAction* item = c.toolbarItem(identifier);
      if (!item->isEnabled())
        continue;
      // The pane's button is reached and chosen from the keyboard.
      QWidget* button = toolbar->widgetForAction(item);
      button->setFocus(Qt::TabFocusReason);
      QTest::keyClick(button, Qt::Key_Space);
      ASSERT_EQ(c.shownPane(), identifier);
      // A full round of Tab from there: the pane's controls, then the
      // toolbar's buttons in the order they show.
      QList<QWidget*> visited;
      for (int i = 0; i < 80; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* focus = QApplication::focusWidget();
        if (focus == button)
          break;
        visited.append(focus);
      }
      ASSERT_EQ(QApplication::focusWidget(), button) << identifier.toStdString();
      QWidget* pane =
          window->findChild<QStackedWidget*>(QStringLiteral("preferencePanes"))->currentWidget();
      for (QWidget* control : pane->findChildren<QWidget*>()) {
        if (control->isVisibleTo(window) && control->isEnabled() &&
            (control->focusPolicy() & Qt::TabFocus) && !control->focusProxy() &&
            !qobject_cast<QLineEdit*>(control->parentWidget())) { // a combo's own field
          EXPECT_TRUE(visited.contains(control))
              << identifier.toStdString() << ": " << control->metaObject()->className() << " "
              << control->objectName().toStdString();
        }
      }
      for (QWidget* stop : std::as_const(visited)) {
        // A scroller round controls is no stop of its own; a list is.
        if (auto* scroller = qobject_cast<QAbstractScrollArea*>(stop)) {
          EXPECT_TRUE(qobject_cast<QAbstractItemView*>(scroller)) << identifier.toStdString();
        }
        // One Tab leaves a list or a table.
        EXPECT_EQ(visited.count(stop), 1) << identifier.toStdString();
      }
      QList<QWidget*> reachedButtons;
      for (QWidget* stop : std::as_const(visited))
        if (toolbarButtons.contains(stop))
          reachedButtons.append(stop);
      reachedButtons.append(button);
      std::sort(reachedButtons.begin(), reachedButtons.end(), [&](QWidget* a, QWidget* b) {
        return toolbarButtons.indexOf(a) < toolbarButtons.indexOf(b);
      });
      QList<QWidget*> shownButtons;
      for (QWidget* b : std::as_const(toolbarButtons))
        if (b && b->isVisibleTo(window) && b->isEnabled())
          shownButtons.append(b);
      EXPECT_EQ(reachedButtons, shownButtons) << identifier.toStdString();
    }
  });
}
