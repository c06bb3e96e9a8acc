#pragma once

#include "states/ModernUIState.h"

#include "kit/text/ObjectiveTextView.h"

#include "kit/bricks/TagTokenField.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPointer>
#include <QPushButton>
#include <QStringList>

#include <memory>

namespace kr {

class SmartTimerWrapper;

// The page on which the user rates the slice that just ended (focus level,
// completed or not) and logs it to the day's log file, continues the slice
// for a few more minutes, or leaves without logging it.
class RateTimeSliceState : public ModernUIState {
public:
  // The focus levels of the pop-up; the index is the stored "focusRating".
  static const QStringList& focusLevels();
  // The extension lengths "Continue Working" offers, in minutes.
  static const int kExtensionMinutes[4];
  // How long the objective stays locked after activation (the option's
  // title rounds it to two seconds).
  static constexpr double kObjectiveEditingDelay = 1.5;

  RateTimeSliceState();
  ~RateTimeSliceState() override;

  const StateExits& exits() const override;
  void build() override;
  void activate() override;

  StateBase* next = nullptr;
  StateBase* extend = nullptr;
  StateBase* skipLogging = nullptr;

  // Writes the slice as a new entry of the day's log file, has the
  // statistics read the logs again and starts the worked seconds afresh.
  // When the entry cannot be written the user has been told why, and
  // nothing is reset: the page stays as it is and the slice can be logged
  // again. Returns whether the entry was written.
  bool logTimeSlice();
  // "Log": logs the slice and, once it is written, goes on. While the entry
  // is written away from the window (a large day, or one another writer
  // holds), the page says so and its buttons that log, continue or skip the
  // slice are disabled; the rest of the window answers meanwhile.
  void logAndContinue();
  bool isWritingEntry() const { return writingEntry_; }
  // Leaves without logging once the user confirms it.
  void doNotLog();
  // Continues the slice for the minutes chosen under
  // "timeSliceExtensionDurationInMinutes".
  void internalContinue();
  void selectTagTokenField();

  QComboBox* focusPopUpButton() const { return focusPopUpButton_; }
  QCheckBox* completedCheckBox() const { return completedCheckBox_; }
  QComboBox* extensionPopUp() const { return extensionPopUp_; }
  QPushButton* logButton() const { return logButton_; }
  QPushButton* continueButton() const { return continueButton_; }
  QPushButton* doNotLogButton() const { return doNotLogButton_; }
  QWidget* breadcrumbsSection() const { return breadcrumbsSection_; }
  QWidget* primingSection() const { return primingSection_; }
  TagTokenField* tagTokenField() const { return tagTokenField_; }

  ObjectiveTextView* objectiveTextView() const { return objectiveTextView_; }
  // The pending one-shot timer that unlocks the objective, if any.
  const std::shared_ptr<SmartTimerWrapper>& activateObjectiveEditingAfterDelayTimer() const {
    return activateObjectiveEditingAfterDelayTimer_;
  }

private:
  QPointer<ObjectiveTextView> objectiveTextView_;
  void switchPadToWeeklyStatistics();
  // A keystroke meant for the page just left must not land in the objective:
  // with the option on, editing starts only after a short delay.
  void lockObjectiveEditingBriefly();
  void createTitleMenu();
  QWidget* createFocusRow();
  // A template section: its head and a button inserting the template; shown
  // while its option is on and the slice's completion is `showWhileCompleted`.
  struct TemplateSection {
    QString title;
    QString buttonTitle;
    QString optionKey;
    QString scratchPadKey;
    bool showWhileCompleted;
  };
  // Answers the content below the head.
  QWidget* createTemplateSection(const TemplateSection& kind);
  QWidget* createContinueSection();
  QWidget* createDoNotLogSection();
  void showWritingEntry(bool writing);
  bool writingEntry_ = false;

  QPointer<QComboBox> focusPopUpButton_;
  QPointer<QCheckBox> completedCheckBox_;
  QPointer<QComboBox> extensionPopUp_;
  QPointer<QPushButton> logButton_;
  QPointer<QPushButton> continueButton_;
  QPointer<QPushButton> doNotLogButton_;
  QPointer<QWidget> breadcrumbsSection_;
  QPointer<QWidget> primingSection_;
  QPointer<TagTokenField> tagTokenField_;
  std::shared_ptr<SmartTimerWrapper> activateObjectiveEditingAfterDelayTimer_;
};

} // namespace kr
