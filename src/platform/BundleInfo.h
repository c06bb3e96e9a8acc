#pragma once

#include <QString>

#include <optional>

namespace kr {

// What the build says about the program: the project's version and the build
// number given to CMake (KR_BUILD_NUMBER). Either is "N.D." when the build
// gave none.
class BundleInfo {
public:
  static QString versionNumber();
  static QString buildNumber();
  // The information value "CustomApplicationName": the edition the program
  // was built as (KR_CUSTOM_APPLICATION_NAME); empty when the build named none.
  static QString customApplicationName();
  // Tests only: another value of "CustomApplicationName"; none restores the build's.
  static void setCustomApplicationNameForTesting(std::optional<QString> name);
  static QString notDefined() { return QStringLiteral("N.D."); }
};

} // namespace kr
