#pragma once

#include <QColor>
#include <QPointer>

#include <memory>
#include <optional>

class QAbstractScrollArea;

namespace kr {

class BorderedBackgroundView;
class KVOResponder;

// Gives the objective's backgrounds the colour stored under
// "objectiveBackgroundColor" whenever it changes: the scroll views of the
// older info views, then the rating page's and the define page's objective
// backgrounds. An outlet left unconnected is skipped.
class ObjectiveBackgroundManager {
public:
  ObjectiveBackgroundManager();
  ~ObjectiveBackgroundManager();
  ObjectiveBackgroundManager(const ObjectiveBackgroundManager&) = delete;
  ObjectiveBackgroundManager& operator=(const ObjectiveBackgroundManager&) = delete;

  // The awoken manager of the run; none before one awoke or once it is gone.
  static ObjectiveBackgroundManager* sharedInstance();

  QPointer<QAbstractScrollArea> infoWindowScrollView;
  QPointer<QAbstractScrollArea> timeSliceInfoViewScrollView;
  QPointer<QAbstractScrollArea> timeSliceExtensionInfoViewScrollView;
  QPointer<BorderedBackgroundView> objectiveBorderedBackgroundView;
  QPointer<BorderedBackgroundView> rateYourTimeSliceBorderedBackgroundView;

  std::optional<QColor> color() const { return color_; }

  // Becomes the shared instance, follows the setting and colours the
  // connected views at once.
  void awakeFromNib();

private:
  void observeValue();

  std::optional<QColor> color_;
  std::unique_ptr<KVOResponder> observation_;
};

} // namespace kr
