#pragma once

#include <QIcon>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <array>
#include <memory>
#include <vector>

class QWidget;

namespace kr {

class FragmentStackView;
class HideableFragmentWall;
class KVOResponder;
class NowAndLaterBoardManager;
class PadViewController;
class UserDefaults;
class Wall;

// The pad side of the main window: the row of the left column and the six
// pad walls (Now, Later, Scratch, Log Book, Statistics, Help), each shown
// exactly while its settings key reads false, the selector icons of the left
// column (shown while no pad is) and each pad's row of selector buttons.
class PadSection {
public:
  static constexpr int kPadCount = 6;
  static constexpr int kMinimumPadWidth = 400;
  static constexpr int kIconSize = 18;
  static constexpr int kIconSpacing = 2;
  static constexpr int kButtonRowHeight = 26;
  // The log book starts below the pad's button row.
  static constexpr int kLogBookTop = 37;

  // `leftColumn` becomes the stack's first view.
  PadSection(QWidget* leftColumn, UserDefaults& defaults, NowAndLaterBoardManager& manager);
  ~PadSection();
  PadSection(const PadSection&) = delete;
  PadSection& operator=(const PadSection&) = delete;

  FragmentStackView* horizontalFragmentStackView() const { return stack_; }
  HideableFragmentWall* padWall(int index) const { return walls_[size_t(index)]; }
  HideableFragmentWall* nowPadFragmentWall() const { return padWall(0); }
  HideableFragmentWall* laterPadFragmentWall() const { return padWall(1); }
  HideableFragmentWall* scratchPadFragmentWall() const { return padWall(2); }
  HideableFragmentWall* logBookPadFragmentWall() const { return padWall(3); }
  HideableFragmentWall* statsPadFragmentWall() const { return padWall(4); }
  HideableFragmentWall* helpPadFragmentWall() const { return padWall(5); }
  // The icon row of the left column; the window places it.
  QWidget* padSelectorOnMainWall() const { return padSelector_; }
  PadViewController* nowPadController() const { return pads_[0].get(); }
  PadViewController* laterPadController() const { return pads_[1].get(); }
  PadViewController* scratchPadController() const { return pads_[2].get(); }

  // Where the log book, the statistics and the help viewer go: each view
  // given here takes the place of the notice that the pad is not there yet
  // and fills its slot. The log book's slot starts 37 points below the pad's
  // top; the other two fill their pads and leave the top band to the
  // button row themselves.
  QWidget* logBookContent() const { return slots_[0]; }
  QWidget* statisticsContent() const { return slots_[1]; }
  QWidget* helpContent() const { return slots_[2]; }
  void setLogBookView(QWidget* view);
  void setStatisticsView(QWidget* view);
  void setHelpView(QWidget* view);

  static const QStringList& padStorageKeyPaths();
  bool isPadSectionVisible() const;
  void hideAllPadsExcept(const QString& key);
  void showPad(const QString& key);
  void showCurrentWeekStatisticsPad();
  // The selectors' action for the pad at `index`.
  void toggle(int index);

  QWidget* createPadSelector();
  QWidget* createPadSelectorForPadWall(int selectedIndex);

private:
  HideableFragmentWall* createBlankPadFragmentWall(const QString& storageKey, int selectedIndex);
  QWidget* makeSlot(int pad, const QString& notice);
  void setSlotView(int slot, QWidget* view);
  void updatePadSelectorVisibility();

  UserDefaults& defaults_;
  NowAndLaterBoardManager& manager_;
  FragmentStackView* stack_ = nullptr;
  std::array<HideableFragmentWall*, kPadCount> walls_{};
  std::array<std::unique_ptr<PadViewController>, 3> pads_;
  std::array<QWidget*, 3> slots_{};
  QPointer<QWidget> padSelector_;
  // The empty image beside each pad's name in the pads' rows, drawn once for all.
  QIcon placeholderIcon_;
  std::vector<std::unique_ptr<KVOResponder>> kvoResponders_;
};

} // namespace kr
