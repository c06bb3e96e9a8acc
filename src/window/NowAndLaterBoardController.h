#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

namespace kr {

// The controller of the pads' own board window, the window description
// "NowAndLaterBoard". It holds that window and does nothing else: the pads
// show beside the page in the main window, and nothing opens the board.
class NowAndLaterBoardController {
public:
  static QString windowNibName() { return QStringLiteral("NowAndLaterBoard"); }

  explicit NowAndLaterBoardController(QWidget* window = nullptr) : window_(window) {}
  QWidget* window() const { return window_; }

private:
  QPointer<QWidget> window_;
};

} // namespace kr
