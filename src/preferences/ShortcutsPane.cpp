#include "preferences/ShortcutsPane.h"

#include "preferences/PreferencesController.h"
#include "shortcuts/RecordView.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kr {

const QString ShortcutsPane::kInUseText = QStringLiteral("In use by another program");

const QStringList ShortcutsPane::kLabels = {
    QStringLiteral("Focus the Now pad:"),
    QStringLiteral("Focus the Later pad:"),
    QStringLiteral("Focus the Scratch pad:"),
    QStringLiteral("Read the objective aloud:"),
    QStringLiteral("Start a time slice:"),
    QStringLiteral("End the time slice:"),
    QStringLiteral("Start a timed break:"),
    QStringLiteral("Show or hide Korvane-R:"),
    QStringLiteral("Pause or resume the time slice:"),
};

ShortcutsPane::ShortcutsPane(const QString& availability, const QStringList& refusedRoots,
                             HelpOpener help, QWidget* parent)
    : QWidget(parent), availability_(new QLabel(availability)), helpOpener_(std::move(help)),
      help_(new QPushButton(QStringLiteral("?"))) {
  setObjectName(QStringLiteral("Shortcuts"));
  availability_->setWordWrap(true);
  availability_->setObjectName(QStringLiteral("shortcutsAvailability"));
  help_->setFixedWidth(28);
  help_->setToolTip(QStringLiteral("What works on X11, XWayland and Wayland"));
  help_->setEnabled(static_cast<bool>(helpOpener_));
  connect(help_, &QPushButton::clicked, this, &ShortcutsPane::showInputMonitoringHelp);

  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(12);
  grid->setVerticalSpacing(8);
  const QStringList& roots = PreferencesController::kShortcutRoots;
  for (int i = 0; i < roots.size(); ++i) {
    auto* label = new QLabel(kLabels.at(i));
    auto* recorder = new RecordView;
    recorder->setObjectName(roots.at(i));
    recorder->setMinimumWidth(220);
    label->setBuddy(recorder);
    auto* note = new QLabel(kInUseText);
    note->setObjectName(roots.at(i) + QStringLiteral("InUse"));
    QPalette warn = note->palette();
    warn.setColor(QPalette::WindowText, QColor(0xc0, 0x39, 0x2b));
    note->setPalette(warn);
    note->setVisible(refusedRoots.contains(roots.at(i)));
    grid->addWidget(label, i, 0, Qt::AlignRight);
    grid->addWidget(recorder, i, 1);
    grid->addWidget(note, i, 2);
    recorders_.push_back(recorder);
    notes_.push_back(note);
  }
  grid->setColumnStretch(2, 1);

  auto* hint = new QLabel(QStringLiteral(
      "Click a field and press the new key combination; the small cross clears it. New "
      "shortcuts take effect when this window closes."));
  hint->setWordWrap(true);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(20, 16, 20, 16);
  auto* top = new QHBoxLayout;
  top->addWidget(availability_, 1);
  top->addWidget(help_, 0, Qt::AlignTop);
  layout->addLayout(top);
  layout->addSpacing(8);
  layout->addLayout(grid);
  layout->addSpacing(8);
  layout->addWidget(hint);
  layout->addStretch(1);
}

void ShortcutsPane::showInputMonitoringHelp() {
  if (helpOpener_)
    helpOpener_(QStringLiteral("input_monitoring.html"));
}

RecordView* ShortcutsPane::recordView(const QString& root) const {
  const qsizetype index = PreferencesController::kShortcutRoots.indexOf(root);
  return index < 0 ? nullptr : recorders_.at(std::size_t(index));
}

QLabel* ShortcutsPane::inUseNote(const QString& root) const {
  const qsizetype index = PreferencesController::kShortcutRoots.indexOf(root);
  return index < 0 ? nullptr : notes_.at(std::size_t(index));
}

} // namespace kr
