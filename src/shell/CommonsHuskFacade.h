#pragma once

#include <QString>

#include <memory>

class QAction;

namespace kr {

class SmartAppDelegate;

// Contributes the "Contact the Developer" group of the main menu.
class CommonsHuskFacade {
public:
  // The placeholder key under which menus built later find the contact item.
  static const QString kContactTheDeveloperKey;

  CommonsHuskFacade();
  ~CommonsHuskFacade();
  // Puts a separator and "Contact the Developer" after the "Help" group and
  // registers the item's factory with the menu placeholders.
  void willFinishLaunching(SmartAppDelegate& delegate);
  QAction* contactItem() const { return contactItem_.get(); }

  // A new "Contact the Developer" item: it sends `showContactLink`.
  static std::unique_ptr<QAction> makeContactItem();

private:
  std::unique_ptr<QAction> separator_;
  std::unique_ptr<QAction> contactItem_;
};

} // namespace kr
