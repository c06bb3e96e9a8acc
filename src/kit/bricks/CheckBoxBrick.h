#pragma once

#include "kit/BrickType.h"
#include "kit/skins/ButtonDrawingFuncType.h"
#include "kit/skins/DrawingStack.h"

#include <QCheckBox>

#include <functional>
#include <optional>

namespace kr {

// A check box that reports each click with its new state (true for on).
class CheckBoxBrick : public QCheckBox, public BrickType {
  Q_OBJECT

public:
  using ChangeFunc = std::function<void(bool)>;

  explicit CheckBoxBrick(QWidget* parent = nullptr);
  // Without an action the box changes its state and reports nothing.
  CheckBoxBrick(const QString& title, ChangeFunc action, QWidget* parent = nullptr);

  std::optional<DrawingStack> onStateDrawingStack;
  std::optional<ButtonDrawingFuncType> onStateDrawFunc;
  std::optional<ButtonDrawingFuncType> offStateDrawFunc;
  std::optional<DrawingStack> offStateDrawingStack;

  const ChangeFunc& checkboxChangeFunc() const { return actualCheckboxFunc_; }
  void setCheckboxChangeFunc(ChangeFunc func) { actualCheckboxFunc_ = std::move(func); }

  void small() override;
  void mini();
  void apply(const ControlSkin& skin) override;

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  void actionMethod();

  ChangeFunc actualCheckboxFunc_;
};

} // namespace kr
