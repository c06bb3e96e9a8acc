#include "platform/services/FileBrowserAPI.h"

#include "platform/QnLog.h"

namespace kr {

namespace {
class ConsoleFileBrowser final : public FileBrowserAPI {
public:
  bool openFolder(const QString& folder) override {
    platformLog(QStringLiteral("no file browser to open %1").arg(folder));
    return false;
  }
  bool revealPath(const QString& path) override {
    platformLog(QStringLiteral("no file browser to show %1").arg(path));
    return false;
  }
};

ConsoleFileBrowser consoleBrowser;
FileBrowserAPI* installed = nullptr;
} // namespace

FileBrowserAPI& FileBrowserAPI::shared() { return installed ? *installed : consoleBrowser; }

void FileBrowserAPI::install(FileBrowserAPI* browser) { installed = browser; }

} // namespace kr
