#include "platform/BundleInfo.h"

namespace kr {

namespace {

QString valueOrNotDefined(const char* value) {
  const QString text = value ? QString::fromUtf8(value).trimmed() : QString();
  return text.isEmpty() ? BundleInfo::notDefined() : text;
}

std::optional<QString>& customNameForTesting() {
  static std::optional<QString> name;
  return name;
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

QString BundleInfo::customApplicationName() {
  if (customNameForTesting())
    return *customNameForTesting();
#ifdef KR_CUSTOM_APPLICATION_NAME
  return QString::fromUtf8(KR_CUSTOM_APPLICATION_NAME).trimmed();
#else
  return {};
#endif
}

void BundleInfo::setCustomApplicationNameForTesting(std::optional<QString> name) {
  customNameForTesting() = std::move(name);
}

} // namespace kr
