#pragma once

#include <QString>

namespace kr {

// A text taken from the user's data (a link, a tag, an objective, a file,
// sound or device name) as the title of a menu item or button: every "&" is
// doubled, so the toolkit shows it as typed instead of taking it for the mark
// of the item's mnemonic.
inline QString menuTitle(QString text) {
  return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace kr
