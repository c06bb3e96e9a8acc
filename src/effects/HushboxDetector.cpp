#include "effects/HushboxDetector.h"

#include <QFileInfo>

namespace kr {

namespace {
QString& applicationPath() {
  static QString path = QString::fromLatin1(HushboxDetector::kApplicationPath);
  return path;
}
} // namespace

bool HushboxDetector::hushboxDetected() { return QFileInfo::exists(applicationPath()); }

QString HushboxDetector::pathToHushboxResources() {
  return applicationPath() + QStringLiteral("/Contents/Resources/");
}

void HushboxDetector::setApplicationPath(const QString& path) {
  applicationPath() = path.isEmpty() ? QString::fromLatin1(kApplicationPath) : path;
}

} // namespace kr
