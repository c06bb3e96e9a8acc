#pragma once

#include <QString>
#include <QVariant>

#include <functional>

namespace kr {

// What a question to the user is about, taken as it is asked and checked as
// it is answered. The program goes on while a question is open (timers, hot
// keys, a later launch's actions), so the page behind it, a pad's sheet or
// where the logs are kept may have changed by the answer; the answer then
// acts on nothing, as it was given about something else.
class AskedAbout {
public:
  // Tells the thing asked about: the same thing in the same condition gives
  // an equal value.
  using Identity = std::function<QVariant()>;

  // About nothing that can change: it always holds.
  AskedAbout() = default;
  // `what` names the thing in the console line of an answer left unacted.
  AskedAbout(QString what, Identity identity);

  // True while the identity reads as it did when this was taken. False
  // once: it writes a console line that says the answer is not acted on.
  bool stillHolds() const;

private:
  QString what_;
  Identity identity_;
  QVariant taken_;
};

// The pieces of an identity as one value: equal when every piece is.
template <typename... Parts> QVariant identityOf(const Parts&... parts) {
  return QVariantList{QVariant::fromValue(parts)...};
}

} // namespace kr
