#include "shortcuts/HotKeyCenter.h"

#include "shortcuts/KeyCodeTable.h"
#include "shortcuts/KeyTransformer.h"

#include "platform/QnLog.h"
#include "platform/services/UnavailableHotKeyBackend.h"

#include <QCoreApplication>

#include <vector>

namespace kr {

namespace {
HotKeyCenter* installedCenter = nullptr;
} // namespace

HotKeyCenter::HotKeyCenter(HotKeyBackend& backend) : backend_(backend) {
  backend_.keyPressed = [this](quint32 id) { keyPressed(id); };
  backend_.modifiersChanged = [this](const HotKeyBackend::ModifierEvent& event) {
    modifiersChanged(event);
  };
  if (QCoreApplication* app = QCoreApplication::instance())
    quitConnection_ =
        QObject::connect(app, &QCoreApplication::aboutToQuit, app, [this] { unregisterAll(); });
}

HotKeyCenter::~HotKeyCenter() {
  QObject::disconnect(quitConnection_);
  unregisterAll();
  backend_.keyPressed = nullptr;
  backend_.modifiersChanged = nullptr;
  if (installedCenter == this)
    installedCenter = nullptr;
}

HotKeyCenter& HotKeyCenter::shared() {
  if (installedCenter)
    return *installedCenter;
  static UnavailableHotKeyBackend none(QStringLiteral("no hot-key back end is installed"));
  static HotKeyCenter fallback(none);
  return fallback;
}

void HotKeyCenter::install(HotKeyCenter* center) { installedCenter = center; }

bool HotKeyCenter::mayStandAsGlobalKey(const SwiftKeyCombo& combo, QString* why) {
  const int modifiers = combo.modifiers() & KeyTransformer::kCarbonModifierMask;
  if (KeyTransformer::containsFunctionKey(combo.keyCode()))
    return true;
  if (modifiers == 0 || modifiers == KeyTransformer::kCarbonShift) {
    if (why)
      *why = QStringLiteral("a key needs Ctrl, Alt or Super to be a global shortcut");
    return false;
  }
  return true;
}

bool HotKeyCenter::registerHotKey(const std::shared_ptr<HotKey>& hotKey) {
  if (!hotKey || hotKeys_.contains(hotKey->identifier()))
    return false;
  for (const auto& [id, filed] : hotKeyMap_) {
    if (*filed == *hotKey)
      return false;
  }
  if (!backend_.isAvailable())
    return false;
  const SwiftKeyCombo& combo = hotKey->keyCombo();
  if (!combo.doubledModifiers()) {
    QString why;
    const std::optional<quint32> xKeycode = KeyCodeTable::xKeycode(combo.keyCode());
    if (!xKeycode)
      why = QStringLiteral("key code %1 names no key").arg(combo.keyCode());
    else
      mayStandAsGlobalKey(combo, &why);
    if (!why.isEmpty()) {
      platformLog(
          QStringLiteral("Shortcut \"%1\" not registered: %2").arg(hotKey->identifier(), why));
      return false;
    }
    if (!backend_.grab(hotKeyCount_, *xKeycode, KeyCodeTable::xModifiers(combo.modifiers())))
      return false;
    hotKey->grabbed_ = true;
  }
  hotKey->hotKeyId_ = hotKeyCount_;
  hotKeyMap_[hotKeyCount_] = hotKey;
  ++hotKeyCount_;
  hotKeys_[hotKey->identifier()] = hotKey;
  updateWatching();
  return true;
}

void HotKeyCenter::unregisterHotKey(const std::shared_ptr<HotKey>& hotKey) {
  if (!hotKey)
    return;
  const auto filed = hotKeys_.find(hotKey->identifier());
  if (filed == hotKeys_.end() || !(*filed->second == *hotKey))
    return;
  if (!hotKey->keyCombo().doubledModifiers()) {
    if (!hotKey->grabbed_ || !hotKey->hotKeyId_)
      return;
    backend_.ungrab(*hotKey->hotKeyId_);
  }
  hotKeys_.erase(filed);
  for (auto it = hotKeyMap_.begin(); it != hotKeyMap_.end();) {
    if (it->second == hotKey || *it->second == *hotKey)
      it = hotKeyMap_.erase(it);
    else
      ++it;
  }
  hotKey->hotKeyId_.reset();
  hotKey->grabbed_ = false;
  updateWatching();
}

void HotKeyCenter::unregisterHotKey(const QString& identifier) {
  const auto filed = hotKeys_.find(identifier);
  if (filed != hotKeys_.end())
    unregisterHotKey(std::shared_ptr<HotKey>(filed->second));
}

void HotKeyCenter::unregisterAll() {
  std::vector<std::shared_ptr<HotKey>> all;
  for (const auto& [identifier, hotKey] : hotKeys_)
    all.push_back(hotKey);
  for (const std::shared_ptr<HotKey>& hotKey : all)
    unregisterHotKey(hotKey);
}

void HotKeyCenter::keyPressed(quint32 id) {
  const auto found = hotKeyMap_.find(id);
  if (found != hotKeyMap_.end())
    found->second->invoke();
}

void HotKeyCenter::modifiersChanged(const HotKeyBackend::ModifierEvent& event) {
  if (event.otherKeyDown) {
    detector_.otherKeyDown();
    return;
  }
  const int tapped =
      detector_.modifiersChanged(event.time, KeyCodeTable::carbonFromXModifiers(event.held));
  if (tapped)
    doubleTapped(tapped);
}

void HotKeyCenter::doubleTapped(int carbonModifiers) {
  std::vector<std::shared_ptr<HotKey>> matching;
  for (const auto& [id, hotKey] : hotKeyMap_) {
    if (hotKey->keyCombo().doubledModifiers() && hotKey->keyCombo().modifiers() == carbonModifiers)
      matching.push_back(hotKey);
  }
  for (const std::shared_ptr<HotKey>& hotKey : matching)
    hotKey->invoke();
}

void HotKeyCenter::updateWatching() {
  bool anyDoubled = false;
  for (const auto& [id, hotKey] : hotKeyMap_)
    anyDoubled = anyDoubled || hotKey->keyCombo().doubledModifiers();
  if (anyDoubled == backend_.isWatchingModifiers())
    return;
  detector_.reset();
  backend_.setWatchingModifiers(anyDoubled);
}

} // namespace kr
