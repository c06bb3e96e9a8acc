#include "shortcuts/SwiftHotKeyManager.h"

#include "shortcuts/HotKeyCenter.h"
#include "shortcuts/KeyCodeTable.h"

#include "platform/QnLog.h"
#include "platform/settings/UserDefaults.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeySequence>
#include <QObject>
#include <QTimer>

namespace kr {

namespace {
const char* const kTitleProperty = "krTitleWithoutShortcut";
const QString kKeyCode = QStringLiteral("SwiftKeyCode");
const QString kModifiers = QStringLiteral("SwiftModifierKeys");
const QString kComboType = QStringLiteral("ComboType");
} // namespace

const std::array<SwiftHotKeyManager::Shortcut, 9> SwiftHotKeyManager::kShortcuts{{
    {"now", "nowHotKey"},
    {"later", "laterHotKey"},
    {"scratch", "scratchPadHotKey"},
    {"readObjectiveAloud", "readObjectiveAloudHotKey"},
    {"startTimeSlice", "attemptToTriggerStartTimeSlice"},
    {"pauseTimeSlice", "attemptToTriggerPauseTimeSlice"},
    {"endTimeSlice", "attemptToTriggerEndTimeSlice"},
    {"startTimedBreak", "attemptToTriggerStartTimedBreak"},
    {"toggleInterface", "toggleKorvaneInterface"},
}};

const QStringList SwiftHotKeyManager::kTakenOrder = {QStringLiteral("now"),
                                                     QStringLiteral("later"),
                                                     QStringLiteral("scratch"),
                                                     QStringLiteral("readObjectiveAloud"),
                                                     QStringLiteral("startTimeSlice"),
                                                     QStringLiteral("startTimedBreak"),
                                                     QStringLiteral("pauseTimeSlice"),
                                                     QStringLiteral("endTimeSlice"),
                                                     QStringLiteral("toggleInterface")};

SwiftHotKeyManager::SwiftHotKeyManager(UserDefaults& defaults, HotKeyCenter* center)
    : defaults_(defaults), center_(center), timerContext_(std::make_unique<QObject>()) {}

SwiftHotKeyManager::~SwiftHotKeyManager() {
  // Its hot keys call back into it: a centre given to it must not keep them.
  // (The shared manager lives until the process ends.)
  if (!center_)
    return;
  for (const auto& [root, hotKey] : hotKeys_)
    center_->unregisterHotKey(hotKey);
}

SwiftHotKeyManager& SwiftHotKeyManager::shared() {
  static SwiftHotKeyManager instance(UserDefaults::standard());
  return instance;
}

HotKeyCenter& SwiftHotKeyManager::center() const {
  return center_ ? *center_ : HotKeyCenter::shared();
}

void SwiftHotKeyManager::registerAllHotKeys() {
  // The menus follow the settings even when the desktop has no hot keys.
  // Through whatever updater is installed when it runs, and not at all once
  // the manager is gone.
  QTimer::singleShot(0, timerContext_.get(), [this] { updateMenuShortcuts(); });
  HotKeyCenter& hotKeyCenter = center();
  if (!hotKeyCenter.backend().isAvailable())
    return;
  hotKeyCenter.unregisterAll();
  refused_.clear();
  for (const Shortcut& shortcut : kShortcuts) {
    const QString root = QString::fromLatin1(shortcut.root);
    const std::optional<SwiftKeyCombo> combo = swiftKeyCombo(root);
    if (!combo) {
      hotKeys_.erase(root);
      continue;
    }
    const QString action = QString::fromLatin1(shortcut.action);
    auto hotKey = HotKey::make(root, *combo, HotKey::ActionQueue::main, [this, action](HotKey&) {
      if (perform_)
        perform_(action);
    });
    hotKeys_[root] = hotKey;
    if (!hotKeyCenter.registerHotKey(hotKey)) {
      refused_.append(root);
      qn_log(QStringLiteral("global shortcut %1 (%2) not registered: another program holds it or "
                            "it cannot be grabbed")
                 .arg(root, combo->displayText()));
    }
  }
}

void SwiftHotKeyManager::disableAllHotKeys() {
  HotKeyCenter& hotKeyCenter = center();
  if (!hotKeyCenter.backend().isAvailable())
    return;
  hotKeyCenter.unregisterAll();
}

void SwiftHotKeyManager::updateMenuShortcuts() {
  if (updateMenus_)
    updateMenus_();
}

void SwiftHotKeyManager::disableMenuShortcuts() {
  if (disableMenus_)
    disableMenus_();
}

void SwiftHotKeyManager::showShortcut(QAction* item, const std::optional<SwiftKeyCombo>& combo) {
  if (!item)
    return;
  QVariant title = item->property(kTitleProperty);
  if (!title.isValid()) {
    title = item->text();
    item->setProperty(kTitleProperty, title);
  }
  const std::optional<int> qtKey = combo ? KeyCodeTable::qtKey(combo->keyCode()) : std::nullopt;
  if (!combo || combo->doubledModifiers() || !qtKey) {
    item->setShortcut({});
    item->setText(title.toString());
    return;
  }
  const QKeySequence sequence(QKeyCombination(
      KeyCodeTable::qtModifiers(combo->modifiers()) |
          (KeyCodeTable::isKeypadKey(combo->keyCode()) ? Qt::KeypadModifier : Qt::NoModifier),
      static_cast<Qt::Key>(*qtKey)));
  item->setShortcut(sequence);
  item->setShortcutContext(Qt::WindowShortcut);
  const QString shown = combo->displayText();
  if (shown == sequence.toString(QKeySequence::NativeText))
    item->setText(title.toString());
  else
    item->setText(title.toString() + QLatin1Char('\t') + shown);
}

void SwiftHotKeyManager::updateMenuShortcut(QAction* item, QAction* item2,
                                            const QString& storageKey) const {
  std::optional<SwiftKeyCombo> combo;
  // The stored values as they are, without the initialisers' checks.
  if (defaults_.string(storageKey + kComboType) == QLatin1String("keyModifierCombo")) {
    const qint64 keyCode = defaults_.integer(storageKey + kKeyCode);
    const qint64 modifiers = defaults_.integer(storageKey + kModifiers);
    if (keyCode >= 0 && keyCode <= 0xFFFF && modifiers >= 0 && modifiers <= 0x7FFFFFFF)
      combo = SwiftKeyCombo::withCarbonModifiers(static_cast<int>(keyCode),
                                                 static_cast<int>(modifiers));
  }
  showShortcut(item, combo);
  showShortcut(item2, combo);
}

bool SwiftHotKeyManager::isHotKeyAlreadyTaken(const QString& currentStorageKeyRoot,
                                              const SwiftKeyCombo& combo) const {
  for (const QString& root : kTakenOrder) {
    if (root == currentStorageKeyRoot)
      continue;
    const std::optional<SwiftKeyCombo> stored = swiftKeyCombo(root);
    if (stored && *stored == combo)
      return true;
  }
  return false;
}

std::optional<SwiftKeyCombo> SwiftHotKeyManager::swiftKeyCombo(const QString& root) const {
  const qint64 keyCode = defaults_.integer(root + kKeyCode);
  const qint64 modifiers = defaults_.integer(root + kModifiers);
  if (!defaults_.defined(root + kComboType))
    return std::nullopt;
  const QString type = defaults_.string(root + kComboType);
  // Values beyond an int are hand-edited: they name no combo.
  if (keyCode < INT_MIN || keyCode > INT_MAX || modifiers < INT_MIN || modifiers > INT_MAX)
    return std::nullopt;
  if (type == QLatin1String("doubled"))
    return SwiftKeyCombo::doubledCarbonModifiers(static_cast<int>(modifiers));
  if (type == QLatin1String("keyModifierCombo"))
    return SwiftKeyCombo::withCarbonModifiers(static_cast<int>(keyCode),
                                              static_cast<int>(modifiers));
  return std::nullopt;
}

QVariantList SwiftHotKeyManager::storageKeysAndValues(const QString& storageKeyRoot) const {
  const QString typeKey = storageKeyRoot + kComboType;
  return {storageKeyRoot + kKeyCode,
          storageKeyRoot + kModifiers,
          typeKey,
          defaults_.integer(storageKeyRoot + kKeyCode),
          defaults_.integer(storageKeyRoot + kModifiers),
          defaults_.defined(typeKey) ? QVariant(defaults_.string(typeKey)) : QVariant()};
}

std::shared_ptr<HotKey> SwiftHotKeyManager::hotKey(const QString& root) const {
  const auto found = hotKeys_.find(root);
  return found == hotKeys_.end() ? nullptr : found->second;
}

} // namespace kr
