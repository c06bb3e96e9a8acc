#include "stats/ConcentrationLevel.h"

namespace kr::concentration {

std::optional<ConcentrationLevel> fromRawValue(const QString& text) {
  for (ConcentrationLevel level : sequence) {
    if (text == rawValue(level))
      return level;
  }
  return std::nullopt;
}

QString rawValue(ConcentrationLevel level) {
  switch (level) {
  case ConcentrationLevel::experiencedFlow:
    return QStringLiteral("experienced flow");
  case ConcentrationLevel::highlyFocused:
    return QStringLiteral("highly focused");
  case ConcentrationLevel::good:
    return QStringLiteral("good");
  case ConcentrationLevel::distracted:
    return QStringLiteral("distracted");
  }
  return {};
}

QString caseName(ConcentrationLevel level) {
  switch (level) {
  case ConcentrationLevel::experiencedFlow:
    return QStringLiteral("experiencedFlow");
  case ConcentrationLevel::highlyFocused:
    return QStringLiteral("highlyFocused");
  case ConcentrationLevel::good:
    return QStringLiteral("good");
  case ConcentrationLevel::distracted:
    return QStringLiteral("distracted");
  }
  return {};
}

} // namespace kr::concentration
