#pragma once

#include <QString>
#include <QStringList>

#include <deque>
#include <optional>
#include <vector>

class QWidget;

namespace kr {

// What an open panel offers.
struct OpenPanelOptions {
  QString title;
  // The confirming button's text.
  QString prompt;
  QString directory;
  // Name filters such as "Applications (*.desktop)"; empty: every file.
  QStringList nameFilters;
};

// Shows the desktop's file panels; tests answer through TestFilePanelPresenter.
class FilePanelPresenter {
public:
  virtual ~FilePanelPresenter() = default;

  // One file, or none when the user cancels.
  virtual std::optional<QString> openPanel(const OpenPanelOptions& options, QWidget* parent) = 0;
  // Several files in the order chosen, or none when the user cancels.
  virtual std::optional<QStringList> openPanelForFiles(const OpenPanelOptions& options,
                                                       QWidget* parent) = 0;

  // The installed presenter, else one over QFileDialog.
  static FilePanelPresenter& shared();
  static void install(FilePanelPresenter* presenter);
};

// The desktop's panels through QFileDialog.
class QFileDialogPanelPresenter final : public FilePanelPresenter {
public:
  std::optional<QString> openPanel(const OpenPanelOptions& options, QWidget* parent) override;
  std::optional<QStringList> openPanelForFiles(const OpenPanelOptions& options,
                                               QWidget* parent) override;
};

// Keeps what each panel was asked and answers from `answers` in turn (none:
// cancelled). Tests only.
class TestFilePanelPresenter final : public FilePanelPresenter {
public:
  std::optional<QString> openPanel(const OpenPanelOptions& options, QWidget* parent) override {
    const auto files = openPanelForFiles(options, parent);
    if (!files || files->isEmpty())
      return std::nullopt;
    return files->front();
  }
  std::optional<QStringList> openPanelForFiles(const OpenPanelOptions& options, QWidget*) override {
    asked.push_back(options);
    if (answers.empty())
      return std::nullopt;
    auto next = answers.front();
    answers.pop_front();
    return next;
  }

  std::deque<std::optional<QStringList>> answers;
  std::vector<OpenPanelOptions> asked;
};

} // namespace kr
