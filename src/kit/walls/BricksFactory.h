#pragma once

#include "kit/BrickSize.h"
#include "platform/layout/LayoutConstraint.h"

#include <QIcon>
#include <QPointer>
#include <QSizeF>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

namespace kr {

class CheckBoxBrick;
class ControlSkin;
class IntegerTextField;
class Label;
class LayoutConstraintMaker;
class PopUpButton;
class PopUpButtonBrick;
class PullDownButtonBrick;
class PushButtonBrick;
class SegmentedControlBrick;
class SliderBrick;
class SmartTextField;
class TabWall;
class ViewWithInstrinsicSize;
class Wall;
class WallWithSpecialEffectsView;
class WallWithUnconfiguredSpecialEffectsView;

// Adds bricks (controls and nested walls) to one wall with layout constraints.
// Factories follow the view tree: a factory that leaves its brick size or
// insets open takes them from the factory of the enclosing wall, and in the end
// from the process-wide top-level factory (8.0 and 8.0, standard). One factory
// is current: the one most recently made, made current or used to add a brick.
class BricksFactory : public std::enable_shared_from_this<BricksFactory> {
public:
  using Constraints = std::function<void(LayoutConstraintMaker&)>;

  // A new factory; it becomes current.
  static std::shared_ptr<BricksFactory> create();
  static std::shared_ptr<BricksFactory> createTopLevelFactory();
  static std::shared_ptr<BricksFactory> topLevel();
  static std::shared_ptr<BricksFactory> current();
  // The factory of the nearest wall around `containerView`, else `topLevel`.
  static std::shared_ptr<BricksFactory> factoryFor(QWidget* containerView);

  BrickSize brickSize() const { return brickSize_; }
  void setBrickSize(BrickSize size) { brickSize_ = size; }
  std::shared_ptr<const ControlSkin> controlSkin() const { return controlSkin_; }
  void setControlSkin(std::shared_ptr<const ControlSkin> skin) { controlSkin_ = std::move(skin); }
  std::optional<double> horizontalInset() const { return horizontalInset_; }
  void setHorizontalInset(std::optional<double> inset) { horizontalInset_ = inset; }
  std::optional<double> verticalInset() const { return verticalInset_; }
  void setVerticalInset(std::optional<double> inset) { verticalInset_ = inset; }
  QWidget* currentView() const { return currentView_; }
  QWidget* previous() const { return previous_; }
  QWidget* containerView() const { return containerView_; }
  void setContainerView(QWidget* view) { containerView_ = view; }
  QWidget* elementCreationTarget() const { return elementCreationTarget_; }
  void setElementCreationTarget(QWidget* view) { elementCreationTarget_ = view; }

  double inheritedHorizontalInset() const;
  double inheritedVerticalInset() const;
  BrickSize inheritedBrickSize() const;
  // The constant `place` uses for a first attribute: + horizontal for left and
  // leading, - horizontal for right and trailing, + vertical for top,
  // - vertical for bottom, 0 for any other.
  double insetFor(LayoutAttribute attribute) const;

  void makeCurrent();

  // The add procedure every creation operation uses: makes this factory
  // current, shifts the current brick into `previous`, adds the brick to the
  // element-creation target with the constraints the closure collects, applies
  // the skin and then the brick size.
  void internalAddBrick(QWidget* brick, const Constraints& constraints);

  // The kit's bricks; each is added by `internalAddBrick`.
  CheckBoxBrick* smartCheckBoxButton(const QString& title, std::function<void(bool)> action = {},
                                     const Constraints& constraints = {});
  PushButtonBrick* pushButton(const QString& title, std::function<void()> action,
                              const Constraints& constraints = {});
  SegmentedControlBrick* segmentedControl(const QStringList& titles,
                                          std::function<void(int)> action,
                                          const Constraints& constraints = {});
  PushButtonBrick* borderlessButton(const QString& title, std::function<void()> action,
                                    const Constraints& constraints = {});
  PushButtonBrick* helpButton(std::function<void()> action, const Constraints& constraints = {});
  SmartTextField* textField(const std::optional<QString>& title = std::nullopt,
                            const Constraints& constraints = {});
  PopUpButtonBrick* popupButton(const Constraints& constraints = {});
  PullDownButtonBrick* pullDownButtonBrick(const QString& title,
                                           const Constraints& constraints = {});
  PullDownButtonBrick* smartPullDownButton(const QString& title,
                                           const Constraints& constraints = {});
  PullDownButtonBrick* smartPullDownButton(const QIcon& image, const Constraints& constraints = {});
  PullDownButtonBrick* pullDownButton(const QIcon& image, const Constraints& constraints = {});
  SliderBrick* slider(std::function<float(float)> action, const Constraints& constraints);

  Label* label(const QString& title, const Constraints& constraints = {});
  IntegerTextField* integerTextField(int initialValue, std::optional<int> minValue,
                                     std::optional<int> maxValue,
                                     const Constraints& constraints = {});
  PopUpButton* pullDownButton(const QString& title, const Constraints& constraints = {});
  ViewWithInstrinsicSize* viewWithIntrinicSize(QSizeF size, const Constraints& constraints = {});
  Wall* wall(std::optional<QSizeF> size = std::nullopt, const Constraints& constraints = {});
  WallWithSpecialEffectsView* specialEffectWall(std::optional<QSizeF> size = std::nullopt,
                                                const Constraints& constraints = {});
  WallWithUnconfiguredSpecialEffectsView*
  unconfiguredSpecialEffectWall(std::optional<QSizeF> size = std::nullopt,
                                const Constraints& constraints = {});
  TabWall* tabWall(const Constraints& constraints);

private:
  BricksFactory() = default;
  std::shared_ptr<BricksFactory> outerFactory() const;
  void applySize(QWidget* brick);
  void constrainSize(QWidget* wall, std::optional<QSizeF> size);

  BrickSize brickSize_ = BrickSize::inherited;
  std::shared_ptr<const ControlSkin> controlSkin_;
  std::optional<double> horizontalInset_;
  std::optional<double> verticalInset_;
  QPointer<QWidget> currentView_;
  QPointer<QWidget> previous_;
  QPointer<QWidget> containerView_;
  QPointer<QWidget> elementCreationTarget_;
  bool isTopLevel_ = false;
};

} // namespace kr
