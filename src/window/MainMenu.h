#pragma once

#include <QMenu>
#include <QObject>
#include <QSet>

#include <functional>
#include <map>
#include <memory>

namespace kr {

// The application's main menu, opened from the main window's title band. Its
// items send named actions down the responder chain, or to a handler of their
// own for objects outside the chain; their shortcuts work on the window while
// the menu is closed. Each item is validated when its menu opens and before a
// shortcut is matched: an item whose action would do nothing is disabled.
class MainMenu final : public QObject {
public:
  using SendAction = std::function<void(const QString& action)>;
  using CanPerform = std::function<bool(const QString& action)>;

  // `canPerform` says whether the chain would do something with an action now
  // (none: every action the chain is sent counts as valid).
  explicit MainMenu(SendAction send, CanPerform canPerform = {});
  ~MainMenu() override;

  QMenu* menu() const { return menu_.get(); }
  // The item that sends the action, or none.
  QAction* itemSending(const QString& action) const;
  // Every item that sends an action, menu by menu.
  QList<QAction*> actionItems() const;
  // Makes the shortcuts of every item work on the widget.
  void installShortcuts(QWidget& window);

  // The item sending `action` calls the handler instead of the chain; an
  // empty handler gives it back to the chain.
  void setHandler(const QString& action, std::function<void()> handler);
  // The submenu that lists the continuous sounds, filled by their player.
  QMenu* continuousSoundsMenu() const { return continuousSoundsMenu_; }
  // The "Debug" menu, added once: the logging switch, the debug speeds, the
  // console dumps and the running slice's 15 seconds. Its items other than
  // the last act through handlers set by whoever owns the debug manager.
  QMenu* addDebugMenu();
  QMenu* debugMenu() const { return debugMenu_; }

  // Enables exactly the items whose actions would do something now.
  void validate();

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  QAction* addItem(QMenu* submenu, const QString& title, const QString& action,
                   const QKeySequence& shortcut = {});
  // An item whose action only a handler performs; disabled until it has one.
  QAction* addHandledItem(QMenu* submenu, const QString& title, const QString& action);
  void addWindowKey(const QKeySequence& key, const QString& action);
  void perform(const QString& action);
  bool isValid(const QString& action) const;

  SendAction send_;
  CanPerform canPerform_;
  std::unique_ptr<QMenu> menu_;
  QMenu* continuousSoundsMenu_ = nullptr;
  QMenu* debugMenu_ = nullptr;
  QList<QAction*> windowKeys_;
  std::map<QString, std::function<void()>> handlers_;
  QSet<QString> handledActions_;
  QWidget* window_ = nullptr;
};

} // namespace kr
