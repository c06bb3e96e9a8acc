#pragma once

#include <QImage>
#include <QString>

namespace kr {

// What the tray icon shows. Trays carry no text, so while a count-down runs
// its minutes are drawn into the icon; the full "mm:ss" goes to the tooltip.
// Two statuses with equal faces need no redraw.
struct StatusIconFace {
  // "menu_bar_icon" or "plain_r_menu_bar".
  QString iconName;
  // The count-down's minutes ("25", "7", "0"); empty: the plain icon.
  QString minutes;
  // The item is switched on (a paused slice).
  bool on = false;

  // The face for a status title (" 12:34", or empty) and item state, with the
  // icon chosen by "menubarIconChoice".
  static StatusIconFace forStatus(const QString& title, int state, qint64 iconChoice);

  // The icon drawn at `size` device-independent pixels and the given pixel ratio.
  QImage image(int size, qreal devicePixelRatio = 1.0) const;

  bool operator==(const StatusIconFace& other) const = default;
};

} // namespace kr
