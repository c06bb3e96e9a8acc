#pragma once

#include "kit/walls/FragmentWall.h"

#include <QPointer>

#include <functional>
#include <memory>
#include <vector>

namespace kr {

class KVOResponder;
class StatsViewController;

// A filter row of the statistics page: shown only while filtering is on and
// the current statistic supports the row's kind of filter. It looks again
// whenever "filtering" or "currentlyDisplayedStatistic" changes; the row
// keeps its place in the stack, only its visibility priority changes.
class FilterFragmentWall : public FragmentWall {
  Q_OBJECT

public:
  static constexpr float kShownPriority = 900.0f;
  static constexpr float kHiddenPriority = 0.0f;

  explicit FilterFragmentWall(StatsViewController* statsController, QWidget* parent = nullptr);
  ~FilterFragmentWall() override;

  QPointer<StatsViewController> statsViewController;
  // Whether the current statistic supports this row's filter.
  std::function<bool(StatsViewController*)> queryFunc = [](StatsViewController*) { return true; };
  std::vector<std::unique_ptr<KVOResponder>> kvoResponders;

  bool shouldHide() const;
  // Writes "->hide" or "->show" and sets the row's priority in the page's stack.
  void update();
  void install(FragmentStackView* parentStackView) override;
};

} // namespace kr
