#pragma once

#include <QMenu>

#include <functional>
#include <memory>

namespace kr {

// The application's main menu, opened from the main window's title band. Its
// items send named actions down the responder chain; their shortcuts work on
// the window while the menu is closed.
class MainMenu {
public:
  using SendAction = std::function<void(const QString& action)>;

  explicit MainMenu(SendAction send);
  ~MainMenu();

  QMenu* menu() const { return menu_.get(); }
  // The item that sends the action, or none.
  QAction* itemSending(const QString& action) const;
  // Makes the shortcuts of every item work on the widget.
  void installShortcuts(QWidget& window) const;

private:
  QAction* addItem(QMenu* submenu, const QString& title, const QString& action,
                   const QKeySequence& shortcut = {});

  void addWindowKey(const QKeySequence& key, const QString& action);

  SendAction send_;
  std::unique_ptr<QMenu> menu_;
  QList<QAction*> windowKeys_;
};

} // namespace kr
