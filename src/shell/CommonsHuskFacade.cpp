#include "shell/CommonsHuskFacade.h"

#include "shell/SmartAppDelegate.h"

#include "platform/FatalError.h"
#include "platform/UrlOpenerAPI.h"
#include "window/MenuItemManager.h"

#include <QAction>
#include <QUrl>

namespace kr {

const char* const CommonsHuskFacade::kContactUrl = "https://korvaner.io/contact.html";

CommonsHuskFacade::CommonsHuskFacade() = default;

CommonsHuskFacade::~CommonsHuskFacade() = default;

void CommonsHuskFacade::willFinishLaunching(SmartAppDelegate& delegate) {
  const QUrl url(QString::fromLatin1(kContactUrl));
  KR_ASSERT(url.isValid(), QStringLiteral("cannot create Contact the Developer... url"));
  separator_ = std::make_unique<QAction>();
  separator_->setSeparator(true);
  contactItem_ = std::make_unique<QAction>(QStringLiteral("Contact the Developer"));
  QObject::connect(contactItem_.get(), &QAction::triggered,
                   [url] { UrlOpenerAPI::shared().open(url); });
  MenuItemManager* manager = delegate.menuItemManager();
  KR_ASSERT(manager != nullptr, QStringLiteral("the main menu has no item manager"));
  const bool inserted = manager->addMenuItemGroupAfterExistingGroup(
      QStringLiteral("Help"), MenuItemGroup{{separator_.get(), contactItem_.get()}},
      QStringLiteral("developer contact"));
  KR_ASSERT(inserted, QStringLiteral("the main menu has no \"Help\" group"));
}

} // namespace kr
