#pragma once

#include "window/StatusIconFace.h"

#include <QObject>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QMenu;

namespace kr {

class StatusItem;
class UserDefaults;

// The application's status item: its icon, tooltip and the menu shared with
// the desktop file's actions. The icon is redrawn only when what it shows
// changes (a new minute, the item's state, the icon choice).
class StatusItemController final : public QObject {
public:
  // Icons are drawn at the size of a common tray slot.
  static constexpr int kIconSize = 22;

  using SendAction = std::function<void(const QString& action)>;
  using CanPerform = std::function<bool(const QString& action)>;

  // `send` performs a named action down the responder chain; `canPerform`
  // says whether it would do something now (none: always).
  StatusItemController(StatusItem& item, UserDefaults& defaults, SendAction send,
                       CanPerform canPerform = {});
  ~StatusItemController() override;

  // The title the current state gives (" 12:34", or empty) and the item's state.
  void setStatus(const QString& title, int state);

  QMenu& menu() const { return *menu_; }
  // A submenu of the status menu's own, above "Quit Korvane-R"; the menu owns it.
  QMenu* addSubmenu(const QString& title, const QString& name);
  // The disabled first item that shows the count-down.
  QAction* titleItem() const { return titleItem_; }
  // Enables exactly the fixed items whose actions would do something now; the
  // menu does this each time it opens. The current state's own items always work.
  void validateItems();
  // How often the icon was drawn.
  int redraws() const { return redraws_; }
  const StatusIconFace& face() const { return *face_; }

private:
  void addItem(const QString& title, const QString& action);
  void show(const StatusIconFace& face);

  StatusItem& item_;
  UserDefaults& defaults_;
  SendAction send_;
  CanPerform canPerform_;
  QList<QAction*> fixedItems_;
  std::unique_ptr<QMenu> menu_;
  QAction* titleItem_ = nullptr;
  QString title_;
  int state_ = 0;
  std::optional<StatusIconFace> face_;
  int redraws_ = 0;
};

} // namespace kr
