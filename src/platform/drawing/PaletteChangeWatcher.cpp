#include "platform/drawing/PaletteChangeWatcher.h"

#include <QEvent>
#include <QGuiApplication>

namespace kr {

PaletteChangeWatcher* PaletteChangeWatcher::install(std::function<void()> onChange) {
  auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  if (!application)
    return nullptr;
  return new PaletteChangeWatcher(application, std::move(onChange)); // owned by the application
}

PaletteChangeWatcher::PaletteChangeWatcher(QObject* application, std::function<void()> onChange)
    : QObject(application), onChange_(std::move(onChange)) {
  application->installEventFilter(this);
}

bool PaletteChangeWatcher::eventFilter(QObject* watched, QEvent* event) {
  // Widgets get their own copy of the event; react to the application's only.
  if (event->type() == QEvent::ApplicationPaletteChange && watched == parent() && onChange_)
    onChange_();
  return false;
}

} // namespace kr
