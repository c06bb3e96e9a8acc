#include "shell/PerformArguments.h"

namespace kr {

QStringList PerformArguments::actions(const QStringList& arguments, const QStringList& known,
                                      QStringList* unknown) {
  QStringList actions;
  for (qsizetype i = 0; i + 1 < arguments.size(); ++i) {
    if (arguments.at(i) != QLatin1String("--perform"))
      continue;
    const QString& action = arguments.at(++i);
    if (known.contains(action))
      actions.append(action);
    else if (unknown)
      unknown->append(action);
  }
  return actions;
}

} // namespace kr
