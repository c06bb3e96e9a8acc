#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <deque>
#include <optional>

class QWidget;

namespace kr {

// What an open or save panel asks: its title, the confirming button's text,
// the file name extensions it offers (without dots) and what to call them,
// whether other files may be chosen as well, the folder it starts in, for a
// save panel the suggested name, and the window it belongs to.
struct FilePanelRequest {
  QString title;
  QString prompt;
  QStringList allowedExtensions;
  QString typeName; // "Applications"; empty: "<EXT> files"
  bool allowsOtherFileTypes = true;
  QString startFolder;
  QString suggestedName;
  QWidget* parent = nullptr;
  // An open panel that chooses one folder instead of a file.
  bool choosesFolders = false;
};

// The program's one way to ask the user for files. Start-up installs the
// presenter on QFileDialog; until then a panel writes a console line and is
// answered as cancelled.
class FilePanelPresenter {
public:
  virtual ~FilePanelPresenter() = default;

  // The chosen path, or none when the user cancelled.
  virtual std::optional<QString> openPanel(const FilePanelRequest& request) = 0;
  // Several files in the order chosen, or none when the user cancelled.
  virtual std::optional<QStringList> openPanelForFiles(const FilePanelRequest& request) = 0;
  virtual std::optional<QString> savePanel(const FilePanelRequest& request) = 0;

  static FilePanelPresenter& shared();
  // Not owned; nullptr restores the console presenter.
  static void install(FilePanelPresenter* presenter);
};

// Modal QFileDialog panels (a save panel may create folders and asks before
// replacing a file).
class QFileDialogPanelPresenter final : public FilePanelPresenter {
public:
  std::optional<QString> openPanel(const FilePanelRequest& request) override;
  std::optional<QStringList> openPanelForFiles(const FilePanelRequest& request) override;
  std::optional<QString> savePanel(const FilePanelRequest& request) override;
};

// Answers open and save panels with `answer`, and panels for several files
// from `fileAnswers` in turn (none: cancelled); records every request. Tests
// only.
class TestFilePanelPresenter final : public FilePanelPresenter {
public:
  std::optional<QString> openPanel(const FilePanelRequest& request) override {
    openRequests.append(request);
    return answer;
  }
  std::optional<QStringList> openPanelForFiles(const FilePanelRequest& request) override {
    openRequests.append(request);
    if (fileAnswers.empty())
      return std::nullopt;
    const bool chosen = fileAnswers.front().has_value();
    const QStringList files = chosen ? *fileAnswers.front() : QStringList();
    fileAnswers.pop_front();
    if (!chosen)
      return std::nullopt;
    return files;
  }
  std::optional<QString> savePanel(const FilePanelRequest& request) override {
    saveRequests.append(request);
    return answer;
  }
  std::optional<QString> answer;
  std::deque<std::optional<QStringList>> fileAnswers;
  QList<FilePanelRequest> openRequests;
  QList<FilePanelRequest> saveRequests;
};

} // namespace kr
