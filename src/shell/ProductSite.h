#pragma once

#include <QString>
#include <QUrl>

namespace kr {

// The maker's web site and the product's pages on it.
struct ProductSite {
  // The maker's site: contact, manual, the phone version, the mailing list.
  static QString makerAddress() { return QStringLiteral("https://korvaner.io"); }
  // The product's own pages.
  static QString address() { return QStringLiteral("https://korvaner.io/Korvane-R/"); }
  // `path` begins with "/": "/contact.html" is the maker's contact page.
  static QUrl makerPage(const QString& path) { return join(makerAddress(), path); }

private:
  static QUrl join(QString base, const QString& path) {
    while (base.endsWith(QLatin1Char('/')))
      base.chop(1);
    return QUrl(base + path);
  }
};

} // namespace kr
