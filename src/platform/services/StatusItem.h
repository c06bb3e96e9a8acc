#pragma once

#include <QImage>
#include <QRect>
#include <QString>

#include <functional>

class QMenu;

namespace kr {

// The application's icon in the desktop's tray (the notification area): an
// image, a tooltip and a pop-up menu. Trays show no text beside the icon, so
// whatever must be seen at a glance is drawn into the image.
class StatusItem {
public:
  enum class Click { left, right };
  using ClickHandler = std::function<void(Click)>;

  virtual ~StatusItem() = default;

  // False where the desktop has no tray; unavailableReason() says why.
  virtual bool isAvailable() const = 0;
  virtual QString unavailableReason() const = 0;

  // Shows the item (once) with what was set so far.
  virtual void show() = 0;
  virtual void setImage(const QImage& image) = 0;
  virtual void setToolTip(const QString& text) = 0;
  // The menu a right click pops up; not owned, it must outlive the item.
  virtual void setMenu(QMenu* menu) = 0;
  // Pops that menu up at the mouse, for a click the tray does not take as a
  // right click.
  virtual void popUpMenu() = 0;
  // The icon's place on the screen; empty when the tray does not tell.
  virtual QRect geometry() const = 0;
  // A message balloon beside the icon, shown for `seconds` (0: until it is
  // clicked). False when the item cannot show one (no tray).
  virtual bool showMessage(const QString& title, const QString& body, double seconds) = 0;

  // Clicks arrive after the mouse event was handled, on the GUI thread.
  void setClickHandler(ClickHandler handler) { clickHandler_ = std::move(handler); }
  // Runs when a tray comes or goes (a panel started after the program, or
  // one that quit); isAvailable() then says which.
  void setAvailabilityHandler(std::function<void()> handler) {
    availabilityHandler_ = std::move(handler);
  }

protected:
  void clicked(Click click) {
    if (clickHandler_)
      clickHandler_(click);
  }
  void availabilityChanged() {
    if (availabilityHandler_)
      availabilityHandler_();
  }

private:
  ClickHandler clickHandler_;
  std::function<void()> availabilityHandler_;
};

} // namespace kr
