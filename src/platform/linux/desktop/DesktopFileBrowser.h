#pragma once

#include "platform/services/FileBrowserAPI.h"

namespace kr {

// Shows folders in the desktop's file manager: a revealed item is selected
// through the freedesktop file-manager interface where one answers on the
// session bus, otherwise its folder opens through the desktop's URL opener,
// which tells the user when nothing could open it.
class DesktopFileBrowser final : public FileBrowserAPI {
public:
  bool openFolder(const QString& folder) override;
  bool openFolderQuietly(const QString& folder) override;
  bool revealPath(const QString& path) override;
};

} // namespace kr
