#include "shortcuts/ShortcutPreferences.h"

#include "shortcuts/RecordView.h"
#include "shortcuts/SwiftHotKeyManager.h"

#include "platform/QnLog.h"
#include "platform/services/AlertPresenterAPI.h"
#include "platform/settings/UserDefaults.h"

#include <QPointer>

namespace kr {

const QString ShortcutPreferences::kTakenMessage =
    QStringLiteral("This key combo is already taken.");

void ShortcutPreferences::configureRecordView(RecordView& recordView, const QString& root,
                                              SwiftHotKeyManager& manager, UserDefaults& defaults) {
  recordView.setKeyCombo(manager.swiftKeyCombo(root));
  // The menu items' keys would take the recorder's keys first.
  QObject::connect(&recordView, &RecordView::focusChanged, &recordView, [&manager](bool focused) {
    if (focused)
      manager.disableMenuShortcuts();
    else
      manager.updateMenuShortcuts();
  });
  QPointer<RecordView> view(&recordView);
  recordView.didChange = [view, root, &manager,
                          &defaults](const std::optional<SwiftKeyCombo>& combo) {
    const auto save = [&defaults] {
      if (!defaults.synchronize())
        platformLog(QStringLiteral("The shortcut could not be saved: the settings file cannot "
                                   "be written."));
    };
    if (!combo) {
      defaults.setValue(root + QStringLiteral("ComboType"), QStringLiteral("disabled"));
      save();
      return;
    }
    if (!combo->doubledModifiers() && !manager.isHotKeyAlreadyTaken(root, *combo)) {
      defaults.setValue(root + QStringLiteral("SwiftKeyCode"), combo->keyCode());
      defaults.setValue(root + QStringLiteral("SwiftModifierKeys"), combo->modifiers());
      defaults.setValue(root + QStringLiteral("ComboType"), QStringLiteral("keyModifierCombo"));
      save();
      return;
    }
    if (view)
      view->setKeyCombo(manager.swiftKeyCombo(root));
    Alert alert;
    alert.messageText = kTakenMessage;
    AlertPresenterAPI::shared().runModal(alert);
  };
}

} // namespace kr
