#pragma once

#include <QPushButton>

class QMenu;

namespace kr {

class WheelButtonCell;

// A button that opens its menu as soon as it is pressed, just below and
// left of itself, and stays pressed while the menu is open. Its cell draws
// it.
class WheelButton : public QPushButton {
  Q_OBJECT

public:
  // Where the menu opens: the button's lower-left corner moved 8 points
  // left and 4 down.
  static constexpr QPoint kMenuOffset{-8, 4};

  QMenu* myMenu() const { return myMenu_; }
  void setMyMenu(QMenu* menu);
  WheelButtonCell* cell() const { return cell_; }
  void setCell(WheelButtonCell* cell);

  void awakeFromNib();
  // The menu's top-left corner, in screen coordinates.
  QPoint menuOrigin() const;
  void menuDidClose();

protected:
  void mousePressEvent(QMouseEvent* event) override { mouseDown(event); }
  void mouseDown(QMouseEvent* event);
  void paintEvent(QPaintEvent* event) override;

private:
  friend class OlderViewRegistry;
  explicit WheelButton(QWidget* parent = nullptr);

  QMenu* myMenu_ = nullptr;
  WheelButtonCell* cell_ = nullptr;
};

} // namespace kr
