#pragma once

#include <QString>

namespace kr {

class RecordView;
class SwiftHotKeyManager;
class UserDefaults;

// Ties a shortcut recorder to its storage key root: it shows the stored combo,
// and what the user records or clears is stored, unless another shortcut uses
// that combo ("This key combo is already taken.").
class ShortcutPreferences {
public:
  static const QString kTakenMessage;

  static void configureRecordView(RecordView& recordView, const QString& storageKeyRoot,
                                  SwiftHotKeyManager& manager, UserDefaults& defaults);
};

} // namespace kr
