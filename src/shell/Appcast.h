#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

namespace kr {

// One release offered by the update feed.
struct AppcastItem {
  QString title;
  // The version the versions are compared by.
  QString versionString;
  // The version shown to the user; empty: the version itself.
  QString displayVersionString;
  // The oldest distribution release the item runs on; empty: every one.
  QString minimumSystemVersion;
  // The release's download page.
  QUrl infoURL;

  QString displayVersion() const {
    return displayVersionString.isEmpty() ? versionString : displayVersionString;
  }
};

// The update feed: an RSS channel whose items each give a version (as an
// element or as an attribute of the enclosure, under any namespace prefix),
// an optional display version and minimum system version, and a link.
class Appcast {
public:
  // The items in feed order; none, with the reason, when the text is no
  // well-formed RSS feed, holds more than 1000 items or a version, display
  // version, minimum system version or link longer than 256 characters.
  // Items without a version are left out.
  static std::optional<QList<AppcastItem>> parse(const QByteArray& feed, QString* error);
};

} // namespace kr
