// Build step: writes the program's icon, the tray's plain badge, in the icon
// theme's sizes into the folder given as the argument
// (<folder>/hicolor/<N>x<N>/apps/korvane-r.png).
#include "platform/drawing/IconManager.h"
#include "window/StatusIconFace.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
    return 2;
  }
  // The build may run without a display.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const QString root = QString::fromLocal8Bit(argv[1]);
  kr::StatusIconFace face;
  face.iconName = kr::IconManager::menuBarIconNameForChoice(0);
  for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    const QString folder = QStringLiteral("%1/hicolor/%2x%2/apps").arg(root).arg(size);
    const QString path = folder + QStringLiteral("/korvane-r.png");
    if (!QDir().mkpath(folder) || !face.image(size).save(path, "PNG")) {
      std::fprintf(stderr, "could not write %s\n", qPrintable(path));
      return 1;
    }
  }
  return 0;
}
