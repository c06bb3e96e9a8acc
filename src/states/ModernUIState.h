#pragma once

#include "states/BaseState.h"

#include "engine/SecondTicker.h"

#include <QLabel>
#include <QPointer>
#include <QVBoxLayout>

#include <memory>
#include <utility>
#include <vector>

namespace kr {

class LabelFragment;
class ObjectiveTextView;
class TextIndicatorsView;
class TitleFragment;
class UpdatedViewType;
class Wall;

// The page frame of the states that show a page: a vertical stack of page
// sections inside the info wall, the page title, and the views refreshed once
// a second while the state is active.
class ModernUIState : public BaseState {
public:
  // How far a section's controls stand in from the page's edges; a duration
  // slider stands this far in, which is where the quarter-hour bubbles above
  // it expect it.
  static constexpr int kSectionInset = 8;

  ModernUIState();
  ~ModernUIState() override;

  QWidget* fragmentStackView() const { return fragmentStackView_; }
  TitleFragment* titleFragment() const { return titleFragment_; }
  // Whether the once-a-second refresh of the updatable views runs.
  bool isRefreshing() const { return refresh_.isActive(); }

  // Not owned: the view lives in the page, which lives as long as the state.
  void addUpdatableView(UpdatedViewType& view);
  std::size_t updatableViewCount() const { return updatableViewList_.size(); }
  // Refreshes every updatable view, in the order they were added.
  void updateUpdatableViews();

  // Puts the section stack into the info wall; the first step of every build.
  void createStackView();
  // The page title as the stack's first section.
  void createAndInstallTitleFragment(const QString& title);
  // The "Objective:" section head, the page's first label, with the format
  // indicators of the objective editor.
  std::pair<LabelFragment*, TextIndicatorsView*> createAndInstallObjectiveLabelFragment();
  // The objective editor, bound to the stored objective and wired to the
  // indicators; returns the editor and its section.
  std::pair<ObjectiveTextView*, Wall*>
  createAndInstallObjectiveTextViewFragment(TextIndicatorsView* textIndicatorsView);
  // Appends a section to the page.
  void addSection(QWidget* section);
  // Appends an option section: "- OR -" above the option's controls, hidden
  // while the Boolean setting `key` (registered false) is true.
  QWidget* createOptionFragment(const QString& key, QWidget* content);

  void activate() override;
  void deactivate() override;

protected:
  // A plain widget filling `wall`, for controls that a box layout arranges
  // over the wall's background.
  static QWidget* addContentWidget(Wall* wall);
  // A section holding `view`, standing in from the page's edges as a
  // duration slider does.
  static QWidget* embedWithSectionInset(QWidget* view);

private:
  // The editor's text colour follows the pads' "textColor".
  static void showObjectiveColours(ObjectiveTextView* textView);

  QWidget* fragmentStackView_ = nullptr;
  QVBoxLayout* fragmentLayout_ = nullptr;
  TitleFragment* titleFragment_ = nullptr;
  SecondTicker::Subscription refresh_;
  std::vector<UpdatedViewType*> updatableViewList_;
};

} // namespace kr
