#pragma once

#include <QString>
#include <QStringList>

namespace kr {

// Shows files and folders in the desktop's file browser. The shell installs
// the desktop implementation at start-up, which tells the user itself when a
// folder cannot be shown; until then requests are written to the console and
// answered false.
class FileBrowserAPI {
public:
  virtual ~FileBrowserAPI() = default;

  // Opens a window on the folder. False when that failed at once; a later
  // failure is told all the same.
  virtual bool openFolder(const QString& folder) = 0;
  // The same, but a failure only goes to the console: for a caller whose own
  // alert already names the folder.
  virtual bool openFolderQuietly(const QString& folder) { return openFolder(folder); }
  // Opens a window on the folder that holds the path, with the item selected
  // where the browser can select it.
  virtual bool revealPath(const QString& path) = 0;

  static FileBrowserAPI& shared();
  // Not owned; nullptr restores the console browser.
  static void install(FileBrowserAPI* browser);
};

// Records requests ("open <folder>", "reveal <path>"). Tests only.
class TestFileBrowser final : public FileBrowserAPI {
public:
  bool openFolder(const QString& folder) override {
    requests << QStringLiteral("open ") + folder;
    return true;
  }
  bool revealPath(const QString& path) override {
    requests << QStringLiteral("reveal ") + path;
    return true;
  }
  QStringList requests;
};

} // namespace kr
