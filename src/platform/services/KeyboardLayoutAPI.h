#pragma once

#include <QString>

namespace kr {

// The desktop's current keyboard layout, asked for the text of a key.
class KeyboardLayoutAPI {
public:
  virtual ~KeyboardLayoutAPI() = default;

  // The character of the key's first level in the current layout group, with no
  // modifier applied; "" when the key gives none.
  virtual QString levelOneText(quint32 xKeycode) const = 0;

  // The installed layout, or none (then a US layout is assumed).
  static const KeyboardLayoutAPI* installed();
  // Not owned; nullptr removes it.
  static void install(const KeyboardLayoutAPI* layout);
};

} // namespace kr
