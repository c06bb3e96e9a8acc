#include "platform/BundleInfo.h"

namespace kr {

namespace {

QString valueOrNotDefined(const char* value) {
  const QString text = value ? QString::fromUtf8(value).trimmed() : QString();
  return text.isEmpty() ? BundleInfo::notDefined() : text;
}

} // namespace

QString BundleInfo::versionNumber() {
#ifdef KR_VERSION
  return valueOrNotDefined(KR_VERSION);
#else
  return valueOrNotDefined(nullptr);
#endif
}

QString BundleInfo::buildNumber() {
#ifdef KR_BUILD_NUMBER
  return valueOrNotDefined(KR_BUILD_NUMBER);
#else
  return valueOrNotDefined(nullptr);
#endif
}

} // namespace kr
