#include "platform/FilePanelPresenter.h"

#include <QFileDialog>

namespace kr {

namespace {

FilePanelPresenter* installedPresenter = nullptr;

std::optional<QStringList> runPanel(const OpenPanelOptions& options, QWidget* parent,
                                    bool several) {
  QFileDialog panel(parent, options.title, options.directory);
  panel.setAcceptMode(QFileDialog::AcceptOpen);
  panel.setFileMode(several ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
  if (!options.nameFilters.isEmpty())
    panel.setNameFilters(options.nameFilters);
  if (!options.prompt.isEmpty())
    panel.setLabelText(QFileDialog::Accept, options.prompt);
  if (panel.exec() != QDialog::Accepted || panel.selectedFiles().isEmpty())
    return std::nullopt;
  return panel.selectedFiles();
}

} // namespace

FilePanelPresenter& FilePanelPresenter::shared() {
  static QFileDialogPanelPresenter desktop;
  return installedPresenter ? *installedPresenter : desktop;
}

void FilePanelPresenter::install(FilePanelPresenter* presenter) { installedPresenter = presenter; }

std::optional<QString> QFileDialogPanelPresenter::openPanel(const OpenPanelOptions& options,
                                                            QWidget* parent) {
  const auto files = runPanel(options, parent, false);
  if (!files)
    return std::nullopt;
  return files->front();
}

std::optional<QStringList>
QFileDialogPanelPresenter::openPanelForFiles(const OpenPanelOptions& options, QWidget* parent) {
  return runPanel(options, parent, true);
}

} // namespace kr
