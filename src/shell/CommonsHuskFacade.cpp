#include "shell/CommonsHuskFacade.h"

#include "shell/MainController.h"
#include "shell/ProductSite.h"
#include "shell/SmartAppDelegate.h"

#include "platform/FatalError.h"
#include "window/MenuItemManager.h"
#include "window/MenuPlaceHolderHelper.h"

#include <QAction>
#include <QUrl>

namespace kr {

const QString CommonsHuskFacade::kContactTheDeveloperKey =
    QStringLiteral("CommonsHuskFacade.MenuItemPlaceHolderKeys.contactTheDeveloper");

CommonsHuskFacade::CommonsHuskFacade() = default;

CommonsHuskFacade::~CommonsHuskFacade() = default;

std::unique_ptr<QAction> CommonsHuskFacade::makeContactItem() {
  auto item = std::make_unique<QAction>(QStringLiteral("Contact the Developer"));
  item->setProperty("krAction", QStringLiteral("showContactLink"));
  // The main controller opens the page through the program's URL opener.
  QObject::connect(item.get(), &QAction::triggered, [] {
    MainController::sharedInstance().tryToPerform(QStringLiteral("showContactLink"));
  });
  return item;
}

void CommonsHuskFacade::willFinishLaunching(SmartAppDelegate& delegate) {
  KR_ASSERT(ProductSite::makerPage(QStringLiteral("/contact.html")).isValid(),
            QStringLiteral("cannot create Contact the Developer... url"));
  separator_ = std::make_unique<QAction>();
  separator_->setSeparator(true);
  contactItem_ = makeContactItem();
  MenuItemManager* manager = delegate.menuItemManager();
  KR_ASSERT(manager != nullptr, QStringLiteral("the main menu has no item manager"));
  const bool inserted = manager->addMenuItemGroupAfterExistingGroup(
      QStringLiteral("Help"), MenuItemGroup{{separator_.get(), contactItem_.get()}},
      QStringLiteral("developer contact"));
  KR_ASSERT(inserted, QStringLiteral("the main menu has no \"Help\" group"));
  MenuPlaceHolderHelper::shared().registerFactory(kContactTheDeveloperKey, &makeContactItem);
}

} // namespace kr
