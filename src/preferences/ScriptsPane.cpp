#include "preferences/ScriptsPane.h"

#include "effects/ScriptLauncher.h"
#include "platform/services/FileBrowserAPI.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kr {

ScriptsPane::ScriptsPane(ScriptLauncher& launcher, HelpOpener help, QWidget* parent)
    : QWidget(parent), launcher_(launcher), helpOpener_(std::move(help)), folder_(new QLabel),
      openFolder_(new QPushButton(QStringLiteral("Open Scripts Folder"))),
      sample_(new QPushButton(QStringLiteral("Show Sample Script"))),
      help_(new QPushButton(QStringLiteral("?"))) {
  setObjectName(QStringLiteral("Scripts"));
  const QString name = QString::fromLatin1(ScriptLauncher::kScriptName);
  auto* intro = new QLabel(
      QStringLiteral(
          "Korvane-R runs an executable named \u201c%1\u201d in the scripts folder at each "
          "notification. It is given the event\u2019s name and its text, and for the \u201cin "
          "progress\u201d events a number as a third argument. The script is run directly, not "
          "through a shell, and is stopped after 30 seconds.")
          .arg(name));
  intro->setWordWrap(true);
  folder_->setObjectName(QStringLiteral("scriptsFolder"));
  folder_->setWordWrap(true);
  folder_->setTextInteractionFlags(Qt::TextSelectableByMouse);

  connect(openFolder_, &QPushButton::clicked, this, &ScriptsPane::showScriptingFolder);
  connect(sample_, &QPushButton::clicked, this, &ScriptsPane::showSampleScript);
  connect(help_, &QPushButton::clicked, this, &ScriptsPane::showUserScriptingHelp);
  const bool hasSample = QFileInfo::exists(ScriptLauncher::sampleScriptPath());
  sample_->setEnabled(hasSample);
  if (!hasSample)
    sample_->setToolTip(QStringLiteral("The sample script is not installed"));
  help_->setFixedWidth(28);
  help_->setToolTip(QStringLiteral("Writing a notification script"));
  help_->setEnabled(static_cast<bool>(helpOpener_));

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(openFolder_);
  buttons->addWidget(sample_);
  buttons->addStretch(1);
  buttons->addWidget(help_);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(20, 16, 20, 16);
  layout->addWidget(intro);
  layout->addSpacing(8);
  layout->addWidget(folder_);
  layout->addSpacing(8);
  layout->addLayout(buttons);
  layout->addStretch(1);
  showState();
}

void ScriptsPane::showState() {
  QString detail;
  launcher_.isAvailable(&detail);
  folder_->setText(QStringLiteral("Scripts folder: ") + detail);
}

void ScriptsPane::showScriptingFolder() {
  launcher_.openScriptFolder();
  showState();
}

void ScriptsPane::showSampleScript() {
  FileBrowserAPI::shared().revealPath(ScriptLauncher::sampleScriptPath());
}

void ScriptsPane::showUserScriptingHelp() {
  if (helpOpener_)
    helpOpener_(QStringLiteral("applescript.html"));
}

} // namespace kr
