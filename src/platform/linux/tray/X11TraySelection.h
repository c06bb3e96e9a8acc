#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <cstdint>

namespace kr {

// Follows the owner of the X11 system tray selection (_NET_SYSTEM_TRAY_S<n>):
// an XEmbed tray takes it when it starts and loses it when it ends. Does
// nothing off X11 or where the server lacks the XFixes extension.
class X11TraySelection final : public QObject, public QAbstractNativeEventFilter {
  Q_OBJECT

public:
  explicit X11TraySelection(QObject* parent = nullptr);
  ~X11TraySelection() override;

  // Whether the selection is followed at all.
  bool isFollowing() const { return following_; }
  // Whether a tray owns the selection now (asks the server).
  bool isOwned() const;

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

Q_SIGNALS:
  void ownerChanged();

private:
  bool following_ = false;
  std::uint32_t selection_ = 0;
  std::uint8_t firstEvent_ = 0;
};

} // namespace kr
