#pragma once

#include <QString>

namespace kr {

// Wraps the report's script values into the report page.
class ReportsStatisticHelper {
public:
  // The bar-page head, the script values and the report's tail.
  static QString renderOutputString(const QString& script);
  static QString pageTail();
};

} // namespace kr
