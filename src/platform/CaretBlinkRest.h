#pragma once

#include <QObject>

#include <memory>

namespace kr {

class SmartTimerWrapper;

// Lets the text caret stop blinking when the user has not typed or clicked
// for a while, as the GNOME and KDE desktops do: a focused editor left alone
// all day would otherwise repaint the window twice a second. The caret stays
// shown; the next key press, click or input-method text makes it blink again.
class CaretBlinkRest : public QObject {
public:
  static constexpr double kRestAfterSeconds = 10.0;

  // Watches the application's input; the desktop's own blink rate is kept.
  CaretBlinkRest();
  ~CaretBlinkRest() override;

  bool isResting() const { return resting_; }
  // The desktop's blink period in milliseconds (0: the desktop never blinks).
  int flashTime() const { return flashTime_; }

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void input();
  void rest();

  int flashTime_;
  bool resting_ = false;
  std::shared_ptr<SmartTimerWrapper> timer_;
};

} // namespace kr
