#include "shell/PerformArguments.h"

namespace kr {

QStringList PerformArguments::requested(const QStringList& arguments) {
  const QString option = QStringLiteral("--perform");
  QStringList names;
  for (qsizetype i = 0; i < arguments.size(); ++i) {
    const QString& argument = arguments.at(i);
    if (argument == option && i + 1 < arguments.size())
      names.append(arguments.at(++i));
    else if (argument.startsWith(option + u'='))
      names.append(argument.mid(option.size() + 1));
  }
  return names;
}

QStringList PerformArguments::actions(const QStringList& arguments, const QStringList& known,
                                      QStringList* unknown) {
  QStringList actions;
  for (const QString& action : requested(arguments)) {
    if (known.contains(action))
      actions.append(action);
    else if (unknown)
      unknown->append(action);
  }
  return actions;
}

} // namespace kr
