#pragma once

#include <QObject>

#include <functional>

class QWidget;

namespace kr {

// Return and Enter perform a window's default action (the shown page's
// default button) when no control of the window took the key: a control that
// uses Return itself, such as the objective editor, keeps it. A key held down
// acts once, so its repeats never press the next page's default button.
class DefaultActionKeys final : public QObject {
  Q_OBJECT

public:
  // Watches `window`, which owns the returned object.
  static DefaultActionKeys* install(QWidget& window, std::function<void()> defaultAction);

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  DefaultActionKeys(QWidget& window, std::function<void()> defaultAction);

  QWidget& window_;
  std::function<void()> defaultAction_;
};

} // namespace kr
