#pragma once

#include "engine/ObjectiveText.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace kr {

class DefaultsBinding;
class DefaultsStorageAPI;
class UserDefaults;
class ValueChangeListener;

// The settings of the current time slice and of breaks.
//
// Durable settings live in the standard user defaults under flat keys; they
// are read at every call and written at once. Beside them the model keeps
// transient state that starts afresh at each launch: the extension of the
// running slice, the one-time break length and the pomodoro counter.
// Listeners added for the two duration keys are held weakly.
class DataModel : public QObject {
  Q_OBJECT

public:
  // Properties the bind operations connect to, by kind of control.
  static constexpr const char* kTextViewDataProperty = "data";      // QByteArray
  static constexpr const char* kTokenFieldValueProperty = "tokens"; // QStringList
  static constexpr const char* kSliderValueProperty = "value";      // int
  static constexpr const char* kPopUpIndexProperty = "currentIndex";
  static constexpr const char* kPopUpTagProperty = "selectedTag";
  static constexpr const char* kButtonValueProperty = "checked";
  static constexpr const char* kNumberFieldValueProperty = "value";

  // The objective until the user writes one: a prompt, in the program's words.
  static const QString kObjectivePlaceholder;

  static constexpr qint64 kMinimumPomodoroBreakMinutes = 2;
  static constexpr qint64 kMaximumPomodoroBreakMinutes = 60;
  // Slice and break lengths: 2 to 60 minutes, as the sliders allow.
  static constexpr qint64 kMinimumLengthInSeconds = 2 * 60;
  static constexpr qint64 kMaximumLengthInSeconds = 60 * 60;

  // The program has exactly one model, shared(); tests make their own.
  explicit DataModel(QObject* parent = nullptr);
  ~DataModel() override;
  static DataModel& shared();

  // Start-up: creates the objective, registers the fallback values and starts
  // watching the two duration keys.
  void prepare();
  // Where the default objective takes its font and colour (the pads' defaults).
  void setObjectiveStyleProvider(std::function<ObjectiveText::Style()> provider);

  void addDurationListener(ValueChangeListener& listener);
  void addBreakDurationListener(ValueChangeListener& listener);
  // Called for every changed key; tells the listeners of the duration keys.
  void observeValue(const QString& keyPath);

  QString tags() const;
  void setTags(const QString& tags);
  qint64 focusRating() const;
  bool completed() const;
  qint64 durationInSeconds() const;
  qint64 durationInMinutes() const;
  void setDurationInSeconds(qint64 seconds);
  void setDurationInMinutes(int minutes);
  qint64 breakDurationInSeconds() const;
  qint64 breakDurationInMinutes() const;
  void setBreakDurationInSeconds(qint64 seconds);
  void setBreakDurationInMinutes(int minutes);
  // The stored objective; a missing one is created from the placeholder sentence.
  ObjectiveText objectiveData();
  bool useOmnifocusContextAsTag() const;
  bool useOmnifocusEstimatedTimeAsDuration() const;
  bool useThingsTags() const;
  bool shouldHideOnTimeSliceRunningActivation() const;
  bool shouldHideOnTimedBreakActivation() const;
  bool shouldUseSoftBreak() const;
  bool endInformalBreakForLunch() const;
  bool endInformalBreakForBreakfast() const;
  bool endInformalBreakAutomatically() const;
  bool endInformalBreakAutomaticallyAfterInactivity() const;
  bool lockScreenDuringBreak() const;
  qint64 statsMode() const;
  void setStatsMode(qint64 tagValue);

  // Seconds by which the running slice outlasts "durationInSeconds".
  void setCurrentTimeSliceExtensionDuration(qint64 seconds);
  qint64 currentTimeSliceExtensionDurationInSeconds() const;
  void resetCurrentTimeSliceExtensionDuration();

  // A break length chosen for the next timed break only.
  bool useOneTimeOnlyBreakDurationThisTimeOnly = false;
  qint64 oneTimeOnlyBreakDuration = 20; // seconds
  // Counts timed breaks; never reset or wrapped. The slot is derived from it.
  qint64 pomodoroCounter = 0;

  // The number of pomodoro slots the enabled flags give right now (2 to 4).
  qint64 pomodoroSlots() const;
  // The current slot, 0 to pomodoroSlots() - 1.
  qint64 computedPomodoroCounter() const;
  // Minutes of the current slot's break.
  qint64 computedPomodoroBreakDurationBasedOnCurrentSettings() const;
  // Seconds of the next timed break: the one-time length, else the pomodoro
  // slot's, else "breakDurationInSeconds".
  qint64 nextTimedBreakDurationInSeconds() const;

  bool useDefaultBreakDurationControl() const;
  bool usePomodoroStyleBreakDurationControl() const;
  void nextBreakDurationControlAlternative();
  void incrementFirstPomodoroBreakDurationInMinutes();
  void decrementFirstPomodoroBreakDurationInMinutes();
  void incrementSecondPomodoroBreakDurationInMinutes();
  void decrementSecondPomodoroBreakDurationInMinutes();
  void incrementThirdPomodoroBreakDurationInMinutes();
  void decrementThirdPomodoroBreakDurationInMinutes();
  void incrementFourthPomodoroBreakDurationInMinutes();
  void decrementFourthPomodoroBreakDurationInMinutes();

  // Each bind keeps a control's property and a key in step both ways; each
  // unbind removes exactly the binding its bind made.
  DefaultsBinding* bindObjective(QObject* textView);
  DefaultsBinding* bindTags(QObject* tokenField);
  DefaultsBinding* bindTagFilter(QObject* tokenField);
  DefaultsBinding* bindDurationInMinutes(QObject* slider);
  DefaultsBinding* bindBreakDurationInMinutes(QObject* slider);
  DefaultsBinding* bindFocusRating(QObject* popUp);
  DefaultsBinding* bindCompleted(QObject* button);
  DefaultsBinding* bindSoftBreakOnOffCheckbox(QObject* button);
  DefaultsBinding* bindEndInformalBreakForLunch(QObject* button);
  DefaultsBinding* bindEndInformalBreakForBreakfast(QObject* button);
  DefaultsBinding* bindEndInformalBreakAutomatically(QObject* button);
  DefaultsBinding* bindEndInformalBreakAutomaticallyAfterInactivity(QObject* button);
  DefaultsBinding* bindLockScreenDuringBreak(QObject* button);
  DefaultsBinding* bindStatsMode(QObject* popUp);
  DefaultsBinding* bindFirstPomodoroBreakDurationInMinutes(QObject* field);
  DefaultsBinding* bindSecondPomodoroBreakDurationInMinutes(QObject* field);
  DefaultsBinding* bindThirdPomodoroBreakDurationInMinutes(QObject* field);
  DefaultsBinding* bindFourthPomodoroBreakDurationInMinutes(QObject* field);
  void unbindObjective(QObject* textView);
  void unbindTags(QObject* tokenField);
  void unbindTagFilter(QObject* tokenField);
  void unbindDurationInMinutes(QObject* slider);
  void unbindBreakDurationInMinutes(QObject* slider);
  void unbindFocusRating(QObject* popUp);
  void unbindCompleted(QObject* button);
  void unbindSoftBreakOnOffCheckbox(QObject* button);
  void unbindEndInformalBreakForLunch(QObject* button);
  void unbindEndInformalBreakForBreakfast(QObject* button);
  void unbindEndInformalBreakAutomatically(QObject* button);
  void unbindEndInformalBreakAutomaticallyAfterInactivity(QObject* button);
  void unbindLockScreenDuringBreak(QObject* button);
  void unbindStatsMode(QObject* popUp);

private:
  // Holds a listener without keeping it alive.
  struct WeakListenerWrapper {
    std::weak_ptr<ValueChangeListener> listener;
  };

  static UserDefaults& defaults();
  // An objective stored in a form the editor cannot show: plain text is
  // turned into the editor's form, anything else set aside.
  void adoptStoredObjective();
  ObjectiveText::Style objectiveStyle() const;
  static DefaultsStorageAPI& storage();
  static void callListeners(const std::vector<WeakListenerWrapper>& listeners);
  static void stepMinutes(const QString& key, int step);
  static DefaultsBinding* bindButton(QObject* button, const QString& key);
  static void unbindKey(QObject* control, const QString& key);

  std::vector<WeakListenerWrapper> durationListeners;
  std::vector<WeakListenerWrapper> breakDurationListeners;
  qint64 _currentTimeSliceExtensionDurationInSeconds = 0;
  std::function<ObjectiveText::Style()> objectiveStyleProvider_;
};

} // namespace kr
