#include "platform/services/FilePanelPresenter.h"

#include "platform/QnLog.h"

#include <QDir>
#include <QFileDialog>

namespace kr {

namespace {

class ConsoleFilePanelPresenter final : public FilePanelPresenter {
public:
  std::optional<QString> openPanel(const FilePanelRequest& request) override {
    platformLog(QStringLiteral("No file panel to show: \"%1\" cancelled").arg(request.title));
    return std::nullopt;
  }
  std::optional<QStringList> openPanelForFiles(const FilePanelRequest& request) override {
    openPanel(request);
    return std::nullopt;
  }
  std::optional<QString> savePanel(const FilePanelRequest& request) override {
    return openPanel(request);
  }
};

ConsoleFilePanelPresenter consolePresenter;
FilePanelPresenter* installedPresenter = nullptr;

// "CSV files (*.csv)" for the allowed extensions, then all files when others
// may be chosen too.
QStringList nameFilters(const FilePanelRequest& request) {
  QStringList filters;
  QStringList patterns;
  for (const QString& extension : request.allowedExtensions)
    patterns << QStringLiteral("*.") + extension;
  if (!patterns.isEmpty()) {
    const QString name =
        request.typeName.isEmpty()
            ? QStringLiteral("%1 files").arg(request.allowedExtensions.join(u'/').toUpper())
            : request.typeName;
    filters << QStringLiteral("%1 (%2)").arg(name, patterns.join(u' '));
  }
  if (request.allowsOtherFileTypes || filters.isEmpty())
    filters << QStringLiteral("All files (*)");
  return filters;
}

std::optional<QStringList> run(QFileDialog& dialog, const FilePanelRequest& request) {
  dialog.setWindowTitle(request.title);
  dialog.setNameFilters(nameFilters(request));
  if (!request.prompt.isEmpty())
    dialog.setLabelText(QFileDialog::Accept, request.prompt);
  if (!request.startFolder.isEmpty())
    dialog.setDirectory(request.startFolder);
  if (!request.suggestedName.isEmpty())
    dialog.selectFile(request.suggestedName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return std::nullopt;
  return dialog.selectedFiles();
}

std::optional<QString> first(const std::optional<QStringList>& files) {
  if (!files)
    return std::nullopt;
  return files->constFirst();
}

} // namespace

FilePanelPresenter& FilePanelPresenter::shared() {
  return installedPresenter ? *installedPresenter : consolePresenter;
}

void FilePanelPresenter::install(FilePanelPresenter* presenter) { installedPresenter = presenter; }

std::optional<QString> QFileDialogPanelPresenter::openPanel(const FilePanelRequest& request) {
  QFileDialog dialog(request.parent);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(request.choosesFolders ? QFileDialog::Directory : QFileDialog::ExistingFile);
  if (request.choosesFolders)
    dialog.setOption(QFileDialog::ShowDirsOnly);
  return first(run(dialog, request));
}

std::optional<QStringList>
QFileDialogPanelPresenter::openPanelForFiles(const FilePanelRequest& request) {
  QFileDialog dialog(request.parent);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFiles);
  return run(dialog, request);
}

std::optional<QString> QFileDialogPanelPresenter::savePanel(const FilePanelRequest& request) {
  QFileDialog dialog(request.parent);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  // The first allowed extension is added to a name typed without one.
  if (!request.allowedExtensions.isEmpty())
    dialog.setDefaultSuffix(request.allowedExtensions.constFirst());
  return first(run(dialog, request));
}

} // namespace kr
