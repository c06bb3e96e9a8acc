#include "states/SectionVisibility.h"

#include "platform/settings/UserDefaults.h"

#include <QWidget>

namespace kr {

void SectionVisibility::hideWhile(QWidget* section, const QStringList& keys,
                                  std::function<bool()> rule) {
  // The section must already sit in its page: a parentless widget that is
  // shown becomes a window of its own.
  section->setHidden(rule());
  QObject::connect(&UserDefaults::standard(), &UserDefaults::changed, section,
                   [section, keys, rule = std::move(rule)](const QString& key) {
                     if (keys.contains(key))
                       section->setHidden(rule());
                   });
}

void SectionVisibility::hideWhileSet(QWidget* section, const QString& key) {
  // The flag reads false until the user sets it, and reads so as a registered
  // value, like every other setting of the pages.
  UserDefaults& defaults = UserDefaults::standard();
  if (!defaults.registeredValue(key).isValid())
    defaults.registerDefault(key, false);
  hideWhile(section, {key}, [key] { return UserDefaults::standard().boolValue(key); });
}

} // namespace kr
