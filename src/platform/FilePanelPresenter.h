#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace kr {

// What an open or save panel asks: its title, the file name extensions it
// offers (without dots), whether other files may be chosen as well, the
// folder it starts in and, for a save panel, the suggested name.
struct FilePanelRequest {
  QString title;
  QStringList allowedExtensions;
  bool allowsOtherFileTypes = true;
  QString startFolder;
  QString suggestedName;
};

// The program's one way to ask the user for a file. Start-up installs the
// presenter on QFileDialog; until then a panel writes a console line and is
// answered as cancelled.
class FilePanelPresenter {
public:
  virtual ~FilePanelPresenter() = default;

  // The chosen path, or none when the user cancelled.
  virtual std::optional<QString> openPanel(const FilePanelRequest& request) = 0;
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
  std::optional<QString> savePanel(const FilePanelRequest& request) override;
};

// Answers every panel with `answer` (none: cancelled) and records the
// requests. Tests only.
class TestFilePanelPresenter final : public FilePanelPresenter {
public:
  std::optional<QString> openPanel(const FilePanelRequest& request) override {
    openRequests.append(request);
    return answer;
  }
  std::optional<QString> savePanel(const FilePanelRequest& request) override {
    saveRequests.append(request);
    return answer;
  }
  std::optional<QString> answer;
  QList<FilePanelRequest> openRequests;
  QList<FilePanelRequest> saveRequests;
};

} // namespace kr
