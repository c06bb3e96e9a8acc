#include "preferences/GeneralPane.h"

#include "preferences/PreferenceControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QVBoxLayout>

namespace kr {

GeneralPane::GeneralPane(PreferenceControls& controls, QWidget* parent)
    : QWidget(parent),
      icon_(controls.choice(QStringLiteral("menubarIconChoice"),
                            {{QStringLiteral("Korvane-R"), 0}, {QStringLiteral("Plain R"), 1}})),
      below_(controls.check(QStringLiteral("A click on the tray icon brings the window below it"),
                            QStringLiteral("clickMovesWindowBelowIcon"))) {
  setObjectName(QStringLiteral("General"));
  auto* form = new QFormLayout;
  form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
  form->addRow(QStringLiteral("Tray icon:"), icon_);
  form->addRow(QString(), below_);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(20, 16, 20, 16);
  layout->addLayout(form);
  layout->addStretch(1);
}

} // namespace kr
