// The bricks factory's creation operations for the kit's own bricks.
#include "kit/walls/BricksFactory.h"

#include "kit/SmartTextField.h"
#include "kit/bricks/CheckBoxBrick.h"
#include "kit/bricks/PopUpButtonBrick.h"
#include "kit/bricks/PullDownButtonBrick.h"
#include "kit/bricks/PushButtonBrick.h"
#include "kit/bricks/SegmentedControlBrick.h"
#include "kit/bricks/SliderBrick.h"

namespace kr {

CheckBoxBrick* BricksFactory::smartCheckBoxButton(const QString& title,
                                                  std::function<void(bool)> action,
                                                  const Constraints& constraints) {
  auto* brick = new CheckBoxBrick(title, std::move(action));
  internalAddBrick(brick, constraints);
  return brick;
}

PushButtonBrick* BricksFactory::pushButton(const QString& title, std::function<void()> action,
                                           const Constraints& constraints) {
  auto* brick = new PushButtonBrick();
  brick->buttonPressFunction = std::move(action);
  brick->setText(title);
  internalAddBrick(brick, constraints);
  return brick;
}

SegmentedControlBrick* BricksFactory::segmentedControl(const QStringList& titles,
                                                       std::function<void(int)> action,
                                                       const Constraints& constraints) {
  auto* brick = new SegmentedControlBrick();
  brick->setSegmentCount(int(titles.size()));
  for (int i = 0; i < int(titles.size()); ++i)
    brick->setLabel(titles[i], i);
  brick->selectionChangedFunction = std::move(action);
  internalAddBrick(brick, constraints);
  return brick;
}

PushButtonBrick* BricksFactory::borderlessButton(const QString& title, std::function<void()> action,
                                                 const Constraints& constraints) {
  auto* brick = new PushButtonBrick();
  brick->setText(title);
  brick->buttonPressFunction = std::move(action);
  brick->makeBorderless();
  internalAddBrick(brick, constraints);
  return brick;
}

PushButtonBrick* BricksFactory::helpButton(std::function<void()> action,
                                           const Constraints& constraints) {
  auto* brick = PushButtonBrick::helpButton(std::move(action));
  internalAddBrick(brick, constraints);
  return brick;
}

SmartTextField* BricksFactory::textField(const std::optional<QString>& title,
                                         const Constraints& constraints) {
  auto* brick = new SmartTextField();
  if (title)
    brick->setText(*title);
  internalAddBrick(brick, constraints);
  return brick;
}

PopUpButtonBrick* BricksFactory::popupButton(const Constraints& constraints) {
  auto* brick = new PopUpButtonBrick();
  internalAddBrick(brick, constraints);
  return brick;
}

PullDownButtonBrick* BricksFactory::pullDownButtonBrick(const QString& title,
                                                        const Constraints& constraints) {
  auto* brick = new PullDownButtonBrick(title);
  internalAddBrick(brick, constraints);
  return brick;
}

PullDownButtonBrick* BricksFactory::smartPullDownButton(const QString& title,
                                                        const Constraints& constraints) {
  return pullDownButtonBrick(title, constraints);
}

PullDownButtonBrick* BricksFactory::smartPullDownButton(const QIcon& image,
                                                        const Constraints& constraints) {
  return pullDownButton(image, constraints);
}

PullDownButtonBrick* BricksFactory::pullDownButton(const QIcon& image,
                                                   const Constraints& constraints) {
  auto* brick = new PullDownButtonBrick(image);
  internalAddBrick(brick, constraints);
  return brick;
}

SliderBrick* BricksFactory::slider(std::function<float(float)> action,
                                   const Constraints& constraints) {
  auto* brick = new SliderBrick(std::move(action));
  internalAddBrick(brick, constraints);
  return brick;
}

} // namespace kr
