#pragma once

#include <memory>

class QAction;

namespace kr {

class SmartAppDelegate;

// Contributes the "Contact the Developer" group of the main menu.
class CommonsHuskFacade {
public:
  static const char* const kContactUrl;

  CommonsHuskFacade();
  ~CommonsHuskFacade();
  // Puts a separator and "Contact the Developer" after the "Help" group.
  void willFinishLaunching(SmartAppDelegate& delegate);
  QAction* contactItem() const { return contactItem_.get(); }

private:
  std::unique_ptr<QAction> separator_;
  std::unique_ptr<QAction> contactItem_;
};

} // namespace kr
