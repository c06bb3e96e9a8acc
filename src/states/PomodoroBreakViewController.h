#pragma once

#include <QObject>
#include <QPointer>

#include <array>

class QCheckBox;
class QRadioButton;
class QSpinBox;
class QWidget;

namespace kr {

// The pomodoro break slots of the prepare-timed-break page: four columns,
// each with a selector that picks the slot of the next timed break, its
// length in minutes (2 to 60) and, for the third and fourth, an "Enable"
// box. The lengths and flags live in the settings; the counter lives in
// DataModel, and the current slot is the counter modulo the slots in use.
class PomodoroBreakViewController final : public QObject {
public:
  static constexpr int kSlotCount = 4;

  PomodoroBreakViewController();
  ~PomodoroBreakViewController() override;

  // Owned by the controller until a page takes it.
  QWidget* view() const { return view_.data(); }

  // Marks the current slot and enables the controls of the slots in use.
  void update();
  // A selector was pressed: the counter jumps to that slot.
  void pickSlot(int slot);

  QRadioButton* selector(int slot) const { return selectors_.at(slot); }
  QSpinBox* inputField(int slot) const { return inputFields_.at(slot); }
  QCheckBox* checkBox3() const { return checkBox3_; }
  QCheckBox* checkBox4() const { return checkBox4_; }

  static QString slotTitle(int slot);

private:
  void build();
  void decorateQuarterWall(QWidget* column, int index);

  QPointer<QWidget> view_;
  std::array<QRadioButton*, kSlotCount> selectors_{};
  std::array<QSpinBox*, kSlotCount> inputFields_{};
  QCheckBox* checkBox3_ = nullptr;
  QCheckBox* checkBox4_ = nullptr;
};

} // namespace kr
