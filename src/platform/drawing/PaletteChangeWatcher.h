#pragma once

#include <QObject>

#include <functional>

namespace kr {

// Calls a function whenever the application palette changes (a switch of the
// desktop's light or dark theme arrives this way). Owned by the application
// object it watches.
class PaletteChangeWatcher : public QObject {
  Q_OBJECT

public:
  // Does nothing unless a QGuiApplication exists.
  static PaletteChangeWatcher* install(std::function<void()> onChange);

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  PaletteChangeWatcher(QObject* application, std::function<void()> onChange);

  std::function<void()> onChange_;
};

} // namespace kr
