#pragma once

#include <QString>

namespace kr {

// What the build says about the program: the project's version and the build
// number given to CMake (KR_BUILD_NUMBER). Either is "N.D." when the build
// gave none.
class BundleInfo {
public:
  static QString versionNumber();
  static QString buildNumber();
  static QString notDefined() { return QStringLiteral("N.D."); }
};

} // namespace kr
