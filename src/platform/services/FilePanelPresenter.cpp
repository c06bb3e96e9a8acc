#include "platform/services/FilePanelPresenter.h"

#include "platform/QnLog.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>

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

// The folder the user typed into a folder panel's name field. While a path is
// typed into the field without keyboard focus, the dialog's completion selects
// each folder on the way in its list and rewrites the field as their quoted
// names, so that the field and selectedFiles() name one of those rows. The
// user's own edits are applied here to what was typed before, and forgotten
// once the user picks in the dialog's lists.
class TypedFolder final : public QObject {
public:
  explicit TypedFolder(QFileDialog& dialog) : dialog_(dialog) {
    auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (!edit)
      return;
    edit_ = edit;
    edit->installEventFilter(this);
    connect(edit, &QLineEdit::textEdited, this, [this](const QString& text) {
      applyEdit(field_, text);
      field_ = text;
    });
    QWidget* popup = nullptr;
    if (QCompleter* completer = edit->completer()) {
      popup = completer->popup();
      // A completion the user takes names the whole path.
      connect(completer, qOverload<const QString&>(&QCompleter::activated), this,
              [this](const QString& text) { typed_ = text; });
    }
    for (QAbstractItemView* view : dialog.findChildren<QAbstractItemView*>()) {
      if (view == popup)
        continue;
      view->installEventFilter(this);
      view->viewport()->installEventFilter(this);
    }
  }

  // The existing folder the typed text names, or none.
  std::optional<QString> folder() const {
    QString path = typed_.trimmed();
    if (path.isEmpty())
      return std::nullopt;
    if (path == u'~' || path.startsWith(QStringLiteral("~/")))
      path = QDir::homePath() + path.mid(1);
    const QFileInfo info(dialog_.directory().absoluteFilePath(path));
    if (!info.isDir())
      return std::nullopt;
    return QDir::cleanPath(info.absoluteFilePath());
  }

protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    const QEvent::Type type = event->type();
    if (watched == edit_) {
      // The field as it stands before the user changes it (the dialog may
      // have rewritten it since).
      if (type == QEvent::KeyPress || type == QEvent::InputMethod ||
          type == QEvent::MouseButtonPress || type == QEvent::ContextMenu || type == QEvent::Drop)
        field_ = edit_->text();
      return QObject::eventFilter(watched, event);
    }
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick ||
        type == QEvent::KeyPress)
      typed_.clear();
    return QObject::eventFilter(watched, event);
  }

private:
  // The user changed the field from `before` to `after`: the same change,
  // counted from the end where it was made, to what the user typed.
  void applyEdit(const QString& before, const QString& after) {
    qsizetype head = 0;
    while (head < before.size() && head < after.size() && before[head] == after[head])
      ++head;
    qsizetype tail = 0;
    while (tail < before.size() - head && tail < after.size() - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
      ++tail;
    const qsizetype removed = before.size() - head - tail;
    const qsizetype kept = typed_.size() - tail - removed;
    if (kept < 0 || typed_.right(tail + removed) != before.right(tail + removed)) {
      typed_ = after;
      return;
    }
    typed_ = typed_.left(kept) + after.mid(head, after.size() - head - tail) + typed_.right(tail);
  }

  QFileDialog& dialog_;
  QString typed_;
  QLineEdit* edit_ = nullptr;
  QString field_;
};

std::optional<QStringList> run(QFileDialog& dialog, const FilePanelRequest& request) {
  dialog.setWindowTitle(request.title);
  dialog.setNameFilters(nameFilters(request));
  if (!request.prompt.isEmpty())
    dialog.setLabelText(QFileDialog::Accept, request.prompt);
  if (!request.startFolder.isEmpty())
    dialog.setDirectory(request.startFolder);
  if (!request.suggestedName.isEmpty())
    dialog.selectFile(request.suggestedName);
  std::optional<TypedFolder> typed;
  if (dialog.fileMode() == QFileDialog::Directory)
    typed.emplace(dialog);
  if (dialog.exec() != QDialog::Accepted)
    return std::nullopt;
  if (typed)
    if (std::optional<QString> folder = typed->folder())
      return QStringList{*folder};
  if (dialog.selectedFiles().isEmpty())
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
