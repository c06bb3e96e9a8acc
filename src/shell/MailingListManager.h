#pragma once

#include <QString>
#include <QUrl>

namespace kr {

class UserDefaults;

// Invites the user to join the maker's mailing list once per launch from the
// sixth launch on, until the user ticks the invitation's suppression box.
class MailingListManager {
public:
  static const QString kLaunchCounterKey;
  static const QString kSuppressedKey;

  // Registers its two settings when made.
  explicit MailingListManager(UserDefaults& defaults);
  // On the standard settings.
  static MailingListManager& sharedInstance();

  // Counts this launch and shows the invitation when it is due.
  void doIt();
  // Shows the invitation now: "Join" opens the page; a ticked box ends the
  // invitations for good.
  void showJoinMailingListDialog();
  // Opens the subscription page in the browser; whether something took it.
  bool openMailingListLink();

  QString messageText() const { return messageText_; }
  void setMessageText(const QString& text) { messageText_ = text; }
  QString informativeText() const { return informativeText_; }
  void setInformativeText(const QString& text) { informativeText_ = text; }
  QUrl subscriptionUrl() const { return subscriptionUrl_; }
  void setSubscriptionUrl(const QUrl& url) { subscriptionUrl_ = url; }
  // Shows the invitation at every launch, whatever the counter says.
  bool forceActivationForTesting() const { return forceActivationForTesting_; }
  void setForceActivationForTesting(bool force) { forceActivationForTesting_ = force; }

private:
  UserDefaults& defaults_;
  QString messageText_;
  QString informativeText_;
  QUrl subscriptionUrl_;
  bool forceActivationForTesting_ = false;
};

} // namespace kr
