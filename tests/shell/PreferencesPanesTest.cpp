// The Pads, Calendar, Scripts and General panes of the preferences window,
// over recording doubles.
#include "PreferencesFixture.h"

#include "preferences/CalendarPane.h"
#include "preferences/GeneralPane.h"
#include "preferences/IntegrationsPane.h"
#include "preferences/PadsPane.h"
#include "preferences/ScriptsPane.h"
#include "preferences/SoundsPane.h"

#include "support/TestEnvironment.h"

#include "effects/OutputDeviceManager.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>

using namespace kr;

namespace {

class PreferencesPanes : public test::PreferencesFixture {};

const QStringList kColorKeys = {"textColor", "nowPadBackgroundColor", "laterPadBackgroundColor",
                                "scratchPadBackgroundColor", "objectiveBackgroundColor"};

TEST_F(PreferencesPanes, ColoursAreChosenStoredAsHexAndResetTogetherWithThePreviewFollowing) {
  runWith([&](PreferencesController& c) {
    PadsPane* pads = c.padsPane();
    ASSERT_TRUE(pads);
    EXPECT_EQ(PadsPane::kColorKeys, kColorKeys);
    EXPECT_EQ(pads->preview()->palette().color(QPalette::WindowText), QColor(Qt::black));

    colorAnswers = {QColor(0x12, 0x34, 0x56), std::nullopt};
    pads->colorButton("textColor")->click();
    EXPECT_EQ(defaults().string("textColor"), QStringLiteral("#123456"));
    EXPECT_EQ(pads->preview()->palette().color(QPalette::WindowText), QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(pads->colorButton("textColor")->text(), QStringLiteral("#123456"));
    // A cancelled dialog writes nothing.
    pads->colorButton("laterPadBackgroundColor")->click();
    EXPECT_FALSE(defaults().hasStoredValue("laterPadBackgroundColor"));

    // Changed elsewhere: the button and the preview follow.
    for (const QString& key : kColorKeys)
      defaults().setValue(key, QStringLiteral("#abcdef"));
    EXPECT_EQ(pads->colorButton("objectiveBackgroundColor")->text(), QStringLiteral("#abcdef"));
    EXPECT_EQ(pads->preview()->palette().color(QPalette::Window), QColor(0xab, 0xcd, 0xef));

    pads->resetColorsButton()->click();
    for (const QString& key : kColorKeys)
      EXPECT_FALSE(defaults().hasStoredValue(key)) << qPrintable(key);
    EXPECT_EQ(pads->preview()->palette().color(QPalette::WindowText), QColor(Qt::black));
    EXPECT_EQ(pads->colorButton("nowPadBackgroundColor")->text(), QStringLiteral("#ffffcc"));
  });
}

TEST_F(PreferencesPanes, AStoredColourOrFontThatCannotBeReadShowsTheRegisteredOneWithoutStopping) {
  defaults().setValue("textColor", QStringLiteral("not a colour"));
  defaults().setValue("defaultFont", QStringLiteral(",,,"));
  test::ConsoleCapture console;
  runWith([&](PreferencesController& c) {
    PadsPane* pads = c.padsPane();
    EXPECT_EQ(pads->colorButton("textColor")->text(), QStringLiteral("#000000"));
    EXPECT_EQ(pads->preview()->palette().color(QPalette::WindowText), QColor(Qt::black));
    EXPECT_EQ(pads->preview()->font().family(), QStringLiteral("Helvetica"));
    EXPECT_TRUE(pads->preview()->text().startsWith(QStringLiteral("Helvetica")));
  });
  // One line each, however often they are read.
  EXPECT_EQ(console.lines().filter(QStringLiteral("textColor cannot be read")).size(), 1);
  EXPECT_EQ(console.lines().filter(QStringLiteral("defaultFont cannot be read")).size(), 1);
  // Nothing was written over the user's values.
  EXPECT_EQ(defaults().string("textColor"), QStringLiteral("not a colour"));
}

TEST_F(PreferencesPanes, TheChosenFontGoesToThePadsAndResetFontsRemovesIt) {
  runWith([&](PreferencesController& c) {
    PadsPane* pads = c.padsPane();
    QFont chosen(QStringLiteral("DejaVu Serif"), 17);
    fontAnswers = {chosen, std::nullopt};
    pads->chooseFontButton()->click();
    ASSERT_EQ(fontsSet.size(), 1);
    EXPECT_EQ(fontsSet.front().family(), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(PadTextSettings::defaultFont(defaults()).pointSize(), 17);
    EXPECT_EQ(pads->preview()->font().pointSize(), 17);
    EXPECT_EQ(pads->preview()->text(), QStringLiteral("DejaVu Serif 17 pt"));
    // Cancelled: nothing more is set.
    pads->chooseFontButton()->click();
    EXPECT_EQ(fontsSet.size(), 1);

    pads->resetFontsButton()->click();
    EXPECT_FALSE(defaults().hasStoredValue("defaultFont"));
    EXPECT_EQ(pads->preview()->font().family(), QStringLiteral("Helvetica"));
    EXPECT_EQ(pads->preview()->font().pointSize(), 12);
  });
}

TEST_F(PreferencesPanes, CalendarFilesAreAddedOnceRemovedAndShownWithWhatTheStoreMadeOfThem) {
  const QString dir = scriptsHome.path();
  const QString work = dir + "/work.ics", home = dir + "/home.ics", gone = dir + "/gone.ics";
  calendars.states = {{work, CalendarSourceState::Status::Read, {}},
                      {gone, CalendarSourceState::Status::Missing, "the file does not exist"}};
  runWith([&](PreferencesController& c) {
    CalendarPane* pane = c.calendarPane();
    ASSERT_TRUE(pane);
    EXPECT_EQ(pane->list()->count(), 0);
    // The same file twice in one choice, and again in the next.
    panels.fileAnswers = {QStringList{work, dir + "/./work.ics", gone}, QStringList{work, home},
                          std::nullopt};
    pane->addButton()->click();
    EXPECT_EQ(defaults().object("calendarFiles").toStringList(), (QStringList{work, gone}));
    ASSERT_EQ(panels.openRequests.size(), 1);
    EXPECT_EQ(panels.openRequests.front().allowedExtensions, QStringList{"ics"});
    EXPECT_EQ(calendars.sources, (QStringList{work, gone}));
    ASSERT_EQ(pane->list()->count(), 2);
    EXPECT_EQ(pane->list()->item(0)->text(), work);
    EXPECT_EQ(pane->list()->item(1)->text(),
              gone + QStringLiteral(" \u2014 cannot be read: the file does not exist"));

    pane->addButton()->click();
    EXPECT_EQ(defaults().object("calendarFiles").toStringList(), (QStringList{work, gone, home}));
    EXPECT_TRUE(pane->list()->item(2)->text().endsWith(QStringLiteral("not read yet")));
    // A cancelled panel changes nothing.
    pane->addButton()->click();
    EXPECT_EQ(pane->list()->count(), 3);

    // The store finishes a read: the list shows it.
    calendars.states.append({home, CalendarSourceState::Status::Read, {}});
    calendars.finishReading();
    EXPECT_EQ(pane->list()->item(2)->text(), home);

    EXPECT_FALSE(pane->removeButton()->isEnabled());
    pane->list()->item(0)->setSelected(true);
    pane->list()->item(2)->setSelected(true);
    EXPECT_TRUE(pane->removeButton()->isEnabled());
    pane->removeButton()->click();
    EXPECT_EQ(defaults().object("calendarFiles").toStringList(), QStringList{gone});
    EXPECT_EQ(pane->list()->count(), 1);

    // A list of one stored as plain text elsewhere.
    defaults().setValue("calendarFiles", work);
    ASSERT_EQ(pane->list()->count(), 1);
    EXPECT_EQ(pane->list()->item(0)->data(Qt::UserRole).toString(), work);

    // A folder of calendars, once; a cancelled folder panel adds nothing.
    panels.answer = dir + "/";
    pane->addFolderButton()->click();
    EXPECT_TRUE(panels.openRequests.last().choosesFolders);
    EXPECT_EQ(defaults().object("calendarFiles").toStringList(), (QStringList{work, dir}));
    pane->addFolderButton()->click();
    panels.answer.reset();
    pane->addFolderButton()->click();
    EXPECT_EQ(pane->list()->count(), 2);
  });
}

TEST_F(PreferencesPanes, ScriptsPaneOpensTheFolderItMakesShowsTheSampleAndItsHelp) {
  QStringList pages;
  PreferencesController::setHelpPageOpener([&](const QString& page) { pages << page; });
  const QString folder = scriptsHome.path() + "/Scripts";
  runWith([&](PreferencesController& c) {
    ScriptsPane* pane = c.scriptsPane();
    ASSERT_TRUE(pane);
    EXPECT_TRUE(pane->folderLabel()->text().contains(folder));
    EXPECT_TRUE(pane->folderLabel()->text().contains(QStringLiteral("without a")));
    QDir(folder).removeRecursively();
    pane->openFolderButton()->click();
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(browser.requests, QStringList{"open " + folder});
    ASSERT_TRUE(pane->sampleButton()->isEnabled());
    pane->sampleButton()->click();
    EXPECT_EQ(browser.requests.last(), "reveal " + ScriptLauncher::sampleScriptPath());
    pane->helpButton()->click();
    EXPECT_EQ(pages, QStringList{"applescript.html"});
  });
  PreferencesController::setHelpPageOpener({});
  runWith(
      [&](PreferencesController& c) { EXPECT_FALSE(c.scriptsPane()->helpButton()->isEnabled()); });
}

TEST_F(PreferencesPanes, GeneralPaneOffersBothIconsAndIsReachedFromTheToolbar) {
  runWith([&](PreferencesController& c) {
    c.toolbarItem("General")->trigger();
    EXPECT_EQ(c.shownPane(), QStringLiteral("General"));
    QComboBox* icons = c.generalPane()->iconChoice();
    ASSERT_EQ(icons->count(), 2);
    EXPECT_EQ(icons->itemText(0), QStringLiteral("Korvane-R"));
    EXPECT_EQ(icons->itemText(1), QStringLiteral("Plain R"));
    // A stored number that is no choice shows the registered one.
    defaults().setValue("menubarIconChoice", 7);
    EXPECT_EQ(icons->currentIndex(), 0);
    EXPECT_EQ(defaults().integer("menubarIconChoice"), 7) << "nothing written";
    for (const QString pane : {"Pads", "Calendar", "Scripts"}) {
      c.toolbarItem(pane)->trigger();
      EXPECT_EQ(c.shownPane(), pane);
    }
  });
}

TEST_F(PreferencesPanes, DevicesOfOneNameAreChosenByPlaceAndAnUnknownIdShowsTheSystemDefault) {
  fixture.audio.devices = {{"usb-1", "USB Audio"}, {"usb-2", "USB Audio"}};
  fixture.audio.devicesChanged();
  defaults().setValue("soundOutputDevice", QStringLiteral("unplugged"));
  runWith([&](PreferencesController& c) {
    QComboBox* popUp = c.soundsPane()->devicePopUp();
    ASSERT_EQ(popUp->count(), 3);
    EXPECT_EQ(popUp->currentIndex(), 0);
    EXPECT_EQ(defaults().string("soundOutputDevice"), QStringLiteral("unplugged"))
        << "showing the default writes nothing";

    const std::size_t before = played();
    popUp->setCurrentIndex(2);
    Q_EMIT popUp->activated(2);
    EXPECT_EQ(defaults().string("soundOutputDevice"), QStringLiteral("usb-2"));
    ASSERT_EQ(played(), before + 1);
    EXPECT_EQ(fixture.audio.oneShots.back().deviceId, QStringLiteral("usb-2"));
    popUp->setCurrentIndex(1);
    Q_EMIT popUp->activated(1);
    EXPECT_EQ(defaults().string("soundOutputDevice"), QStringLiteral("usb-1"));
    EXPECT_EQ(fixture.audio.oneShots.back().deviceId, QStringLiteral("usb-1"));

    // The pane's pop-up is the program's one device list.
    c.soundsPane()->outputDeviceManager()->changeDevice(2);
    EXPECT_EQ(popUp->currentIndex(), 2);
    EXPECT_EQ(defaults().string("soundOutputDevice"), QStringLiteral("usb-2"));
    defaults().setValue("soundOutputDevice", QStringLiteral("usb-1"));
    EXPECT_EQ(popUp->currentIndex(), 1);

    // Changed elsewhere, and a device unplugged meanwhile.
    defaults().setValue("soundOutputDevice", QStringLiteral("usb-2"));
    EXPECT_EQ(popUp->currentIndex(), 2);
    fixture.audio.devices = {{"usb-2", "USB Audio"}};
    fixture.audio.devicesChanged();
    ASSERT_EQ(popUp->count(), 2);
    EXPECT_EQ(popUp->currentIndex(), 1);
  });
}

TEST_F(PreferencesPanes, BackgroundSoundControlsWriteTheirKeysOrAreClosedWithoutAPlayer) {
  QStringList pages;
  PreferencesController::setHelpPageOpener([&](const QString& page) { pages << page; });
  runWith([&](PreferencesController& c) {
    SoundsPane* pane = c.soundsPane();
    EXPECT_TRUE(pane->backgroundSoundBox()->isEnabled());
    QComboBox* popUp = pane->backgroundSoundPopUp();
    EXPECT_EQ(popUp->count(), sounds->continuousSoundsLabels().size());
    const std::size_t before = played();
    popUp->setCurrentIndex(popUp->count() - 1);
    Q_EMIT popUp->activated(popUp->count() - 1);
    EXPECT_EQ(defaults().string("standaloneSound"), sounds->continuousSoundsPrivateNames().back());
    EXPECT_EQ(played(), before + 1) << "a sample of the chosen sound";
    pane->helpButton()->click();
    EXPECT_EQ(pages, QStringList{"hushbox.html"});
  });
  PreferencesController::setHelpPageOpener({});
  PreferencesServices bare = services();
  bare.standAloneSound = nullptr;
  PreferencesController controller(bare);
  SoundsPane* pane = controller.soundsPane();
  EXPECT_FALSE(pane->backgroundSoundBox()->isEnabled());
  EXPECT_FALSE(pane->backgroundSoundPopUp()->isEnabled());
  EXPECT_FALSE(pane->backgroundVolume()->isEnabled());
  EXPECT_FALSE(pane->helpButton()->isEnabled());
  EXPECT_TRUE(pane->muteBox()->isEnabled());
}

TEST_F(PreferencesPanes, IntegrationOptionsAreClosedWithTheReasonWhereTheApplicationIsMissing) {
  taskManagers.installed = {TaskManagerBridge::Application::OmniFocus};
  QStringList pages;
  PreferencesController::setHelpPageOpener([&](const QString& page) { pages << page; });
  runWith([&](PreferencesController& c) {
    IntegrationsPane* pane = c.integrationsPane();
    ASSERT_TRUE(pane);
    for (const char* key : {"thingsIntegrationToDoCompletion", "thingsIntegrationMoveToLogBook",
                            "thingsIntegrationUseTags", "theHitListIntegration"})
      EXPECT_FALSE(pane->checkBox(key)->isEnabled()) << key;
    for (const char* key :
         {"omnifocusIntegration", "omnifocusUseContext", "omnifocusEstimatedTime"})
      EXPECT_TRUE(pane->checkBox(key)->isEnabled()) << key;
    EXPECT_EQ(pane->reason("Things")->text(), QStringLiteral("Things is not installed"));
    EXPECT_FALSE(pane->reason("Things")->isHidden());
    EXPECT_TRUE(pane->reason("OmniFocus")->isHidden());
    EXPECT_EQ(pane->reason("The Hit List")->text(),
              QStringLiteral("The Hit List is not installed"));
    // The help pages can be read either way.
    for (const char* page : {"things.html", "omnifocus.html", "hitlist.html"})
      pane->helpButton(page)->click();
    EXPECT_EQ(pages, (QStringList{"things.html", "omnifocus.html", "hitlist.html"}));
  });
  PreferencesController::setHelpPageOpener({});
  // The system's own bridge: none of these applications exists here.
  PreferencesServices own = services();
  own.taskManagers = nullptr;
  PreferencesController controller(own);
  EXPECT_FALSE(controller.integrationsPane()->checkBox("omnifocusIntegration")->isEnabled());
  EXPECT_FALSE(controller.integrationsPane()->reason("OmniFocus")->text().isEmpty());
}

} // namespace
