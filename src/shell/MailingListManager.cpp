#include "shell/MailingListManager.h"

#include "shell/ProductSite.h"

#include "platform/services/AlertPresenterAPI.h"
#include "platform/services/UrlOpenerAPI.h"
#include "platform/settings/UserDefaults.h"

namespace kr {

const QString MailingListManager::kLaunchCounterKey = QStringLiteral("mailing_list_launchCounter");
const QString MailingListManager::kSuppressedKey =
    QStringLiteral("mailing_list_haveShownJoinMailingListDialog");

MailingListManager::MailingListManager(UserDefaults& defaults)
    : defaults_(defaults), messageText_(QStringLiteral("Would you like to join our mailing list?")),
      informativeText_(QStringLiteral(
          "Be the first to hear about exciting new products, updates & discounted upgrades. It "
          "is easy to join our mailing list and just as easy to unsubscribe later.")),
      subscriptionUrl_(ProductSite::makerPage(QStringLiteral("/support/subscribe.html"))) {
  defaults_.registerDefault(kLaunchCounterKey, 0);
  defaults_.registerDefault(kSuppressedKey, false);
}

MailingListManager& MailingListManager::sharedInstance() {
  static MailingListManager manager(UserDefaults::standard());
  return manager;
}

void MailingListManager::doIt() {
  const qint64 launches = defaults_.integer(kLaunchCounterKey);
  defaults_.setValue(kLaunchCounterKey, launches + 1);
  defaults_.synchronize();
  const bool due = launches >= 5 && !defaults_.boolValue(kSuppressedKey);
  if (due || forceActivationForTesting_)
    showJoinMailingListDialog();
}

void MailingListManager::showJoinMailingListDialog() {
  Alert alert{messageText_,
              informativeText_,
              {QStringLiteral("Join"), QStringLiteral("Not Now")},
              Alert::Style::informational};
  alert.showsSuppressionButton = true;
  alert.escapeButton = 1;
  const AlertAnswer answer = AlertPresenterAPI::shared().respond(alert);
  if (answer.button == 0)
    openMailingListLink();
  if (answer.suppressed) {
    defaults_.setValue(kSuppressedKey, true);
    defaults_.synchronize();
  }
}

bool MailingListManager::openMailingListLink() {
  return UrlOpenerAPI::shared().open(subscriptionUrl_);
}

} // namespace kr
