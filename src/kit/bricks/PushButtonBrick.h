#pragma once

#include "kit/BrickType.h"
#include "kit/skins/ButtonDrawingFuncType.h"
#include "kit/skins/DrawingStack.h"

#include <QPushButton>

#include <functional>
#include <optional>

namespace kr {

// A push button that reports each press through `buttonPressFunction` and
// can paint its face through drawing functions or stacks (normal and
// pressed; a function wins over a stack).
//
// Besides the momentary face it has an on/off face (a press toggles its
// `checked` value, shown pressed-in while on) and a radio face (a round
// indicator left of the title; a press turns it on, never off). Only a press
// announces a new value (`valueChanged`); setting `checked` does not.
class PushButtonBrick : public QPushButton, public BrickType {
  Q_OBJECT
  Q_PROPERTY(bool checked READ isChecked WRITE setChecked NOTIFY valueChanged USER true)

public:
  enum class ButtonType { momentaryPushIn, onOff, radio };

  explicit PushButtonBrick(QWidget* parent = nullptr);

  ButtonType buttonType() const { return buttonType_; }
  void setButtonType(ButtonType type);
  // An image beside the title; a template image is tinted with the text colour.
  void setImage(const QImage& image, bool isTemplate);

  std::optional<DrawingStack> normalDrawingStack;
  std::optional<ButtonDrawingFuncType> normalDrawFunc;
  std::optional<ButtonDrawingFuncType> highlightedDrawFunc;
  std::optional<DrawingStack> highlightedDrawingStack;
  std::function<void()> buttonPressFunction;

  void small() override;
  void mini();
  void apply(const ControlSkin& skin) override;

  // The round help button that runs `action` when pressed.
  static PushButtonBrick* helpButton(std::function<void()> action);

  // The factory's two presets: a borderless text button and the round help button.
  void makeBorderless();
  void makeHelpButton();
  bool isHelpButton() const { return isHelpButton_; }

Q_SIGNALS:
  // A press changed the on/off or radio value.
  void valueChanged(bool on);

protected:
  void paintEvent(QPaintEvent* event) override;
  void nextCheckState() override;
  void changeEvent(QEvent* event) override;
  QSize sizeHint() const override;

private:
  void buttonPressedCallBack();
  void refreshImage();

  bool isHelpButton_ = false;
  ButtonType buttonType_ = ButtonType::momentaryPushIn;
  QImage image_;
  bool imageIsTemplate_ = false;
};

} // namespace kr
