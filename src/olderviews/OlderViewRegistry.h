#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <vector>

class QWidget;

namespace kr {

// The older views, made by their class names as an interface file that
// names them would make them: the one way to create them. Nothing in the
// program names them today; they are kept so that such a file could.
class OlderViewRegistry {
public:
  OlderViewRegistry() = delete;

  // A new object of the class named (its name without the namespace, as
  // "TimeControlBottomView"), set up as a loaded interface file leaves it;
  // null for a name not known here. Owned by `parent` when one is given.
  static QObject* create(const QString& className, QWidget* parent = nullptr);
  // The names create() knows.
  static QStringList classNames();

private:
  struct Entry;
  static const std::vector<Entry>& entries();
};

} // namespace kr
