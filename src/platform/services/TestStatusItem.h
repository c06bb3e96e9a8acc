#pragma once

#include "platform/services/StatusItem.h"

#include <QList>

namespace kr {

// A status item for tests: records what it was given; click() plays a click.
class TestStatusItem final : public StatusItem {
public:
  explicit TestStatusItem(bool available = true) : available_(available) {}

  bool isAvailable() const override { return available_; }
  QString unavailableReason() const override {
    return available_ ? QString() : QStringLiteral("the test desktop has no tray");
  }
  void show() override { ++shows; }
  void setImage(const QImage& image) override { images.append(image); }
  void setToolTip(const QString& text) override { toolTip = text; }
  void setMenu(QMenu* newMenu) override { menu = newMenu; }
  void popUpMenu() override { ++menuPopUps; }
  QRect geometry() const override { return iconGeometry; }
  bool showMessage(const QString& title, const QString& body, double seconds) override {
    if (!available_)
      return false;
    messages.append({title, body, seconds});
    return true;
  }

  void click(Click which) { clicked(which); }
  // A tray comes or goes.
  void setAvailable(bool available) {
    available_ = available;
    availabilityChanged();
  }

  QList<QImage> images;
  QString toolTip;
  QMenu* menu = nullptr;
  struct Message {
    QString title;
    QString body;
    double seconds;
  };
  QList<Message> messages;
  QRect iconGeometry;
  int shows = 0;
  int menuPopUps = 0;

private:
  bool available_;
};

} // namespace kr
