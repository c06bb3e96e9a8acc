#pragma once

#include "platform/UrlOpenerAPI.h"

#include <QString>

#include <functional>

namespace kr {

// Opens addresses through the desktop's URL opener (the default browser for
// web pages and HTML files). Links of the program's own scheme never leave
// the program: they go to `ownLinks`, the shell's URL handler.
class DesktopUrlOpener final : public UrlOpenerAPI {
public:
  using OwnLinkHandler = std::function<void(const QString& url)>;

  DesktopUrlOpener(QString ownScheme, OwnLinkHandler ownLinks);

  bool open(const QUrl& url) override;

private:
  QString ownScheme_;
  OwnLinkHandler ownLinks_;
};

} // namespace kr
