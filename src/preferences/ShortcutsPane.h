#pragma once

#include <QStringList>
#include <QWidget>

#include <functional>
#include <vector>

class QLabel;
class QPushButton;

namespace kr {

class RecordView;

// The "Shortcuts" pane: one recorder per global shortcut, what the desktop
// allows, and which shortcuts another program holds.
class ShortcutsPane final : public QWidget {
  Q_OBJECT

public:
  static const QString kInUseText;
  // The label of each recorder, in the order of PreferencesController::kShortcutRoots.
  static const QStringList kLabels;

  using HelpOpener = std::function<void(const QString& pageFileName)>;

  // availability: what the desktop allows; refusedRoots: the shortcuts the
  // last registration could not take; help: none disables the help button.
  ShortcutsPane(const QString& availability, const QStringList& refusedRoots, HelpOpener help,
                QWidget* parent = nullptr);

  RecordView* recordView(const QString& root) const;
  // The "In use by another program" note beside a root, or none.
  QLabel* inUseNote(const QString& root) const;
  QLabel* availability() const { return availability_; }
  QPushButton* helpButton() const { return help_; }

  // The page on what works on X11, XWayland and Wayland.
  void showInputMonitoringHelp();

private:
  QLabel* availability_;
  HelpOpener helpOpener_;
  QPushButton* help_;
  std::vector<RecordView*> recorders_;
  std::vector<QLabel*> notes_;
};

} // namespace kr
