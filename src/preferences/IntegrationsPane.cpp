#include "preferences/IntegrationsPane.h"

#include "preferences/PreferenceControls.h"

#include "platform/services/TaskManagerBridge.h"
#include "platform/settings/UserDefaults.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kr {

namespace {

struct Section {
  TaskManagerBridge::Application application;
  QString helpPage;
  std::vector<std::pair<QString, QString>> options; // key, text
};

const std::vector<Section>& sections() {
  using A = TaskManagerBridge::Application;
  static const std::vector<Section> all = {
      {A::Things,
       QStringLiteral("things.html"),
       {{QStringLiteral("thingsIntegrationToDoCompletion"),
         QStringLiteral("Mark the linked to-do completed when the objective is done")},
        {QStringLiteral("thingsIntegrationMoveToLogBook"),
         QStringLiteral("Move completed to-dos to the Logbook")},
        {QStringLiteral("thingsIntegrationUseTags"),
         QStringLiteral("Take the to-do\u2019s tags as the time slice\u2019s tags")}}},
      {A::OmniFocus,
       QStringLiteral("omnifocus.html"),
       {{QStringLiteral("omnifocusIntegration"),
         QStringLiteral("Mark the linked task completed when the objective is done")},
        {QStringLiteral("omnifocusUseContext"),
         QStringLiteral("Take the task\u2019s context as a tag")},
        {QStringLiteral("omnifocusEstimatedTime"),
         QStringLiteral("Take the task\u2019s estimated time as the duration")}}},
      {A::TheHitList,
       QStringLiteral("hitlist.html"),
       {{QStringLiteral("theHitListIntegration"),
         QStringLiteral("Mark the linked task completed when the objective is done")}}},
  };
  return all;
}

// The options the objective's data model registers for itself, for a window
// opened before it.
void registerMissingOptions(UserDefaults& defaults) {
  for (const char* key :
       {"omnifocusUseContext", "omnifocusEstimatedTime", "thingsIntegrationUseTags"}) {
    const QString name = QString::fromLatin1(key);
    if (!defaults.registeredValue(name).isValid())
      defaults.registerDefault(name, true);
  }
}

} // namespace

IntegrationsPane::IntegrationsPane(PreferenceControls& controls, TaskManagerBridge* bridge,
                                   HelpOpener help, QWidget* parent)
    : QWidget(parent) {
  setObjectName(QStringLiteral("Integrations"));
  registerMissingOptions(controls.defaults());
  if (!bridge) {
    ownBridge_ = TaskManagerBridge::create();
    bridge = ownBridge_.get();
  }
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(20, 16, 20, 16);
  for (const Section& section : sections()) {
    const QString name = TaskManagerBridge::applicationName(section.application);
    auto* group = new QGroupBox(name);
    auto* inner = new QVBoxLayout(group);
    QString why;
    const bool found = bridge->findApplication(section.application, &why);
    for (const auto& [key, text] : section.options) {
      QCheckBox* box = controls.check(text, key);
      box->setEnabled(found);
      boxes_.push_back(box);
      inner->addWidget(box);
    }
    auto* reason = new QLabel(found ? QString() : why);
    reason->setObjectName(name);
    reason->setWordWrap(true);
    reason->setVisible(!found);
    reasons_.push_back(reason);
    auto* helpButton = new QPushButton(QStringLiteral("?"));
    helpButton->setObjectName(section.helpPage);
    helpButton->setFixedWidth(28);
    helpButton->setToolTip(QStringLiteral("About %1").arg(name));
    helpButton->setEnabled(static_cast<bool>(help));
    connect(helpButton, &QPushButton::clicked, this, [help, page = section.helpPage] {
      if (help)
        help(page);
    });
    helpButtons_.push_back(helpButton);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(reason, 1);
    bottom->addWidget(helpButton, 0, Qt::AlignBottom);
    inner->addLayout(bottom);
    layout->addWidget(group);
  }
  layout->addStretch(1);
}

IntegrationsPane::~IntegrationsPane() = default;

QCheckBox* IntegrationsPane::checkBox(const QString& key) const {
  for (std::size_t i = 0, n = 0; i < sections().size(); ++i) {
    for (const auto& option : sections()[i].options) {
      if (option.first == key)
        return boxes_.at(n);
      ++n;
    }
  }
  return nullptr;
}

QLabel* IntegrationsPane::reason(const QString& applicationName) const {
  for (QLabel* label : reasons_) {
    if (label->objectName() == applicationName)
      return label;
  }
  return nullptr;
}

QPushButton* IntegrationsPane::helpButton(const QString& page) const {
  for (QPushButton* button : helpButtons_) {
    if (button->objectName() == page)
      return button;
  }
  return nullptr;
}

} // namespace kr
