#pragma once

#include <QStringList>

namespace kr {

// Reads the "--perform <action>" pairs of a command line (the desktop file's
// entries start the program so), and "--perform=<action>", which the
// command line takes as well. Whatever the arguments hold, the result is
// the actions in their order, each one of `known`; other names are given
// back in `unknown`. A trailing "--perform" without a name asks for nothing.
class PerformArguments {
public:
  // Every name asked for, known or not.
  static QStringList requested(const QStringList& arguments);
  static QStringList actions(const QStringList& arguments, const QStringList& known,
                             QStringList* unknown = nullptr);
};

} // namespace kr
