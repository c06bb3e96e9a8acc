#include "platform/UrlOpenerAPI.h"

#include "platform/QnLog.h"

namespace kr {

namespace {
class ConsoleUrlOpener final : public UrlOpenerAPI {
public:
  bool open(const QUrl& url) override {
    platformLog(QStringLiteral("nothing can open %1").arg(url.toDisplayString()));
    return false;
  }
};

ConsoleUrlOpener consoleOpener;
UrlOpenerAPI* installedOpener = nullptr;
} // namespace

UrlOpenerAPI& UrlOpenerAPI::shared() { return installedOpener ? *installedOpener : consoleOpener; }

void UrlOpenerAPI::install(UrlOpenerAPI* opener) { installedOpener = opener; }

UrlOpenerAPI* UrlOpenerAPI::installed() { return installedOpener; }

} // namespace kr
