#pragma once

#include <QStringList>

#include <functional>

class QWidget;

namespace kr {

// Keeps a page section hidden while a rule over Boolean settings holds, and
// follows every change of those settings for as long as the section lives.
class SectionVisibility {
public:
  SectionVisibility() = delete;

  // Hidden while the rule answers true; the rule is asked again whenever one
  // of the keys changes.
  static void hideWhile(QWidget* section, const QStringList& keys, std::function<bool()> rule);
  // Hidden while the Boolean setting `key` is true; registers false for the
  // key when nothing is registered.
  static void hideWhileSet(QWidget* section, const QString& key);
};

} // namespace kr
