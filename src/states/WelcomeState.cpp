#include "states/WelcomeState.h"
#include "states/ButtonWallHelper.h"

#include "states/AppDelegateAPI.h"
#include "states/ProfileTestServices.h"
#include "states/SectionVisibility.h"
#include "states/WelcomeProfile.h"

#include "art/KorvaneStyleKit.h"
#include "engine/StateMachine.h"
#include "kit/walls/FragmentWall.h"
#include "platform/settings/UserDefaults.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace kr {

namespace {

QLabel* explanationLabel(const QString& text) {
  auto* label = new QLabel(text);
  label->setWordWrap(true);
  label->setContentsMargins(12, 0, ModernUIState::kSectionInset, 0);
  QFont font = label->font();
  font.setPointSizeF(font.pointSizeF() * 0.9);
  label->setFont(font);
  return label;
}

} // namespace

const StateExits& WelcomeState::exits() const {
  static const StateExits table{StateExits::exit(QStringLiteral("next"), &WelcomeState::next)};
  return table;
}

void WelcomeState::build() {
  createStackView();
  createAndInstallTitleFragment(QStringLiteral("Profile Settings"));
  addSection(explanationLabel(QStringLiteral(
      "Your choices below will be used to create a personalized intial configuration, but you "
      "can of course fine tune your settings at any time.")));

  technique_ = addChoiceBar(WelcomeProfile::kTechniqueKey,
                            {QStringLiteral("Implement the Korvane-R Technique"),
                             QStringLiteral("Implement the Pomodoro Technique")},
                            WelcomeProfile::techniqueChoices(), nullptr);
  addExplanation(WelcomeProfile::kTechniqueKey, QStringLiteral("korvane"),
                 {QStringLiteral("Korvane-R's time boxing technique is inspired by the Pomodoro "
                                 "Technique but allows for much greater freedom in choosing "
                                 "durations, workflows, etc."),
                  QStringLiteral("It is the best choice for most people.")},
                 139);
  addExplanation(
      WelcomeProfile::kTechniqueKey, QStringLiteral("pomodoro"),
      {QStringLiteral("The Pomodoro Technique divides work into periods of 25 minutes separated "
                      "by short breaks of 5 minutes, with a longer break of 25 to 30 minutes "
                      "after every fourth period."),
       QStringLiteral("Korvane-R will be pre-configured for time slices of 25 minutes each and "
                      "the break schedule advocated by the Pomodoro Technique. Optional workflow "
                      "options will be hidden.")},
      139);

  notification_ = addChoiceBar(
      WelcomeProfile::kNotificationKey,
      {QStringLiteral("Use Only Visual Notifications"), QStringLiteral("Use Some Sounds"),
       QStringLiteral("Use Voice Prompts & Sounds")},
      WelcomeProfile::notificationChoices(), &WelcomeState::testSoundSettings);
  addExplanation(WelcomeProfile::kNotificationKey, QStringLiteral("none"),
                 {QStringLiteral("Only visual notifications will be shown. This is particularly "
                                 "suitable for a shared office space.")},
                 80);
  addExplanation(WelcomeProfile::kNotificationKey, QStringLiteral("some"),
                 {QStringLiteral("Visual notifications, a few ticks of a mechanical clock and "
                                 "quiet sounds when a time slice or break ends.")},
                 80);
  addExplanation(WelcomeProfile::kNotificationKey, QStringLiteral("voice"),
                 {QStringLiteral("Visual notifications and spoken prompts about the time "
                                 "remaining. Very effective, but not suitable for a shared "
                                 "office.")},
                 80);

  continuousSound_ = addChoiceBar(WelcomeProfile::kContinuousSoundKey,
                                  {QStringLiteral("Do Not Play Any Continuous Sound"),
                                   QStringLiteral("Play a Pomodoro Style Continuous Ticking Sound"),
                                   QStringLiteral("Play Pink Noise")},
                                  WelcomeProfile::continuousSoundChoices(),
                                  &WelcomeState::testContinuousSoundSettings);
  addExplanation(WelcomeProfile::kContinuousSoundKey, QStringLiteral("none"),
                 {QStringLiteral("No continuous sound will be played during a time slice.")}, 80);
  addExplanation(WelcomeProfile::kContinuousSoundKey, QStringLiteral("pomodoro"),
                 {QStringLiteral("A ticking clock will be heard throughout the time slice, as the "
                                 "Pomodoro Technique recommends. An additional control lets you "
                                 "mute the sound and set its volume during the time slice.")},
                 80);
  addExplanation(WelcomeProfile::kContinuousSoundKey, QStringLiteral("pinkNoise"),
                 {QStringLiteral("Pink noise will be played throughout the time slice to mask "
                                 "auditory distractions. An additional control lets you mute the "
                                 "sound and set its volume during the time slice.")},
                 80);

  ButtonWallHelper::addButton(buttonWall(), QStringLiteral("Let's Get Started"), true,
                              [this] { letsGetStarted(); });
  ButtonWallHelper::addButton(buttonWall(), QStringLiteral("Skip"), false, [this] { skip(); });
}

QComboBox* WelcomeState::addChoiceBar(const QString& key, const QStringList& titles,
                                      const QStringList& values, void (WelcomeState::*test)()) {
  // The choice stands on a section bar, as section heads do.
  auto* bar = new FragmentWall();
  bar->setIdentifier(key + QStringLiteral(" Bar"));
  bar->setMinimumWidth(420);
  bar->setBackgroundDrawingFunc([bar](const QRectF&) {
    KorvaneStyleKit::drawLabelFragmentBar(QRectF(0, 0, bar->width(), bar->height()));
  });
  QWidget* row = addContentWidget(bar);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(8, 4, 8, 4);
  auto* popUp = new QComboBox(row);
  for (int i = 0; i < titles.size(); ++i)
    popUp->addItem(titles.at(i), values.at(i));
  // With a "Test" button beside it the pop-up takes what the button leaves
  // of the page's width, which is less than the 360 points asked for: a
  // platform push button is wider than that design allowed.
  if (!test)
    popUp->setMinimumWidth(420);
  layout->addWidget(popUp, 1);
  if (test) {
    auto* testButton = new QPushButton(QStringLiteral("Test"), row);
    layout->addWidget(testButton);
    QObject::connect(testButton, &QPushButton::clicked, testButton,
                     [this, test] { (this->*test)(); });
  }
  // Choosing an item only stores its value; the explanations follow the key.
  QObject::connect(popUp, &QComboBox::activated, popUp, [popUp, key](int index) {
    UserDefaults::standard().setValue(key, popUp->itemData(index).toString());
  });
  addSection(bar);
  return popUp;
}

void WelcomeState::addExplanation(const QString& key, const QString& value,
                                  const QStringList& texts, int minimumHeight) {
  auto* section = new QWidget();
  section->setMinimumHeight(minimumHeight);
  auto* layout = new QVBoxLayout(section);
  layout->setContentsMargins(0, 4, 0, 4);
  for (const QString& text : texts)
    layout->addWidget(explanationLabel(text));
  layout->addStretch();
  addSection(section);
  SectionVisibility::hideWhile(section, {key}, [key, value] {
    const QVariant stored = UserDefaults::standard().object(key);
    return !stored.isValid() || stored.toString() != value;
  });
}

void WelcomeState::showStoredProfile() {
  if (!technique_)
    return;
  const UserDefaults& defaults = UserDefaults::standard();
  const QSignalBlocker b1(technique_);
  const QSignalBlocker b2(notification_);
  const QSignalBlocker b3(continuousSound_);
  technique_->setCurrentIndex(
      WelcomeProfile::techniqueIndex(defaults.string(WelcomeProfile::kTechniqueKey)));
  notification_->setCurrentIndex(
      WelcomeProfile::notificationIndex(defaults.string(WelcomeProfile::kNotificationKey)));
  continuousSound_->setCurrentIndex(
      WelcomeProfile::continuousSoundIndex(defaults.string(WelcomeProfile::kContinuousSoundKey)));
}

void WelcomeState::activate() {
  // Another copy of this page may have changed the profile since this one
  // was last shown.
  showStoredProfile();
  ModernUIState::activate();
  updateMenuItem();
  if (AppDelegateAPI* delegate = AppDelegateAPI::installed())
    delegate->makeFront();
}

WelcomeState::WelcomeState() {
  addAction(QStringLiteral("startTimeSlice"), [this] { startTimeSlice(); });
}

void WelcomeState::fireNext() {
  StateMachine::sharedStateMachine().triggerTransition(QStringLiteral("next"));
}

void WelcomeState::startTimeSlice() { fireNext(); }

void WelcomeState::skip() { fireNext(); }

void WelcomeState::letsGetStarted() {
  WelcomeProfile::createInitialConfigurationBasedOnSettings(UserDefaults::standard());
  fireNext();
}

void WelcomeState::testSoundSettings() {
  const ProfileTestServices& services = ProfileTestServices::shared();
  if (services.showNotification)
    services.showNotification(QStringLiteral("5 Minutes Left"), QStringLiteral("Testing..."));
  const QString choice = UserDefaults::standard().string(WelcomeProfile::kNotificationKey);
  if (choice == QStringLiteral("none"))
    return;
  if (choice == QStringLiteral("some")) {
    if (services.playSound)
      services.playSound(QStringLiteral("clock1"), 1.0);
  } else if (services.speak) {
    services.speak(QStringLiteral("Only 5 Minutes Left."));
  }
}

void WelcomeState::testContinuousSoundSettings() {
  const QString choice = UserDefaults::standard().string(WelcomeProfile::kContinuousSoundKey);
  const ProfileTestServices& services = ProfileTestServices::shared();
  if (choice == QStringLiteral("pomodoro") || choice == QStringLiteral("pinkNoise")) {
    // Stored even if the user then skips: the preview plays what is stored.
    UserDefaults::standard().setValue(QStringLiteral("continuousSound"),
                                      choice == QStringLiteral("pomodoro")
                                          ? QStringLiteral("clock1_c")
                                          : QStringLiteral("pink_noise"));
    if (services.playContinuousSoundSample)
      services.playContinuousSoundSample();
    return;
  }
  if (services.showNotification)
    services.showNotification(QStringLiteral("Shhh…"), QStringLiteral("Enjoy the silence."));
}

} // namespace kr
