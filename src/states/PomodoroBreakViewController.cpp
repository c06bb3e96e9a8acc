#include "states/PomodoroBreakViewController.h"

#include "states/ModernUIState.h"

#include "art/KorvaneStyleKit.h"
#include "engine/DataModel.h"
#include "kit/walls/Wall.h"
#include "platform/settings/UserDefaults.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>

namespace kr {

namespace {

const QString kThirdEnabled = QStringLiteral("thirdPomodoroBreakEnabled");
const QString kFourthEnabled = QStringLiteral("fourthPomodoroBreakEnabled");

} // namespace

PomodoroBreakViewController::PomodoroBreakViewController() { build(); }

PomodoroBreakViewController::~PomodoroBreakViewController() {
  if (view_ && !view_->parentWidget())
    delete view_.data();
}

QString PomodoroBreakViewController::slotTitle(int slot) {
  static const QStringList titles{QStringLiteral("1st Break"), QStringLiteral("2nd Break"),
                                  QStringLiteral("3rd Break"), QStringLiteral("4th Break")};
  return titles.value(slot);
}

void PomodoroBreakViewController::build() {
  auto* root = new QWidget();
  view_ = root;
  root->setObjectName(QStringLiteral("PomodoroBreakView"));
  auto* layout = new QHBoxLayout(root);
  // The columns stand the page's standard inset in from its sides.
  layout->setContentsMargins(ModernUIState::kSectionInset, 0, ModernUIState::kSectionInset, 0);
  layout->setSpacing(0);
  for (int index = 0; index < kSlotCount; ++index) {
    auto* column = new QFrame(root);
    decorateQuarterWall(column, index);
    // Four columns of equal width, whatever their contents ask for.
    column->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    layout->addWidget(column, 1);
    // Every column, the last one too, has a rule on its right. It is a wall
    // of its own: a style sheet on the column would keep the page's colours
    // from the column's controls.
    auto* rule = new Wall(root);
    rule->setBackgroundColor(KorvaneStyleKit::n10());
    rule->setFixedWidth(1);
    layout->addWidget(rule);
  }
  DataModel& model = DataModel::shared();
  model.bindFirstPomodoroBreakDurationInMinutes(inputFields_[0]);
  model.bindSecondPomodoroBreakDurationInMinutes(inputFields_[1]);
  model.bindThirdPomodoroBreakDurationInMinutes(inputFields_[2]);
  model.bindFourthPomodoroBreakDurationInMinutes(inputFields_[3]);
  update();
  // The flags may also change elsewhere (another page, the preferences).
  QObject::connect(&UserDefaults::standard(), &UserDefaults::changed, root,
                   [this](const QString& key) {
                     if (key == kThirdEnabled || key == kFourthEnabled)
                       update();
                   });
}

void PomodoroBreakViewController::decorateQuarterWall(QWidget* column, int index) {
  column->setObjectName(QStringLiteral("slotColumn"));

  // The slot controls are small, so that a column's row fits its width.
  QFont small = column->font();
  small.setPointSizeF(small.pointSizeF() * 0.85);
  column->setFont(small);
  auto* grid = new QGridLayout(column);
  grid->setContentsMargins(4, 2, 4, 2);
  grid->setHorizontalSpacing(4);
  auto* selector = new QRadioButton(slotTitle(index), column);
  selector->setAutoExclusive(false);
  QObject::connect(selector, &QRadioButton::clicked, selector, [this, index] { pickSlot(index); });
  auto* field = new QSpinBox(column);
  field->setRange(static_cast<int>(DataModel::kMinimumPomodoroBreakMinutes),
                  static_cast<int>(DataModel::kMaximumPomodoroBreakMinutes));
  field->setValue(25);
  grid->addWidget(selector, 0, 0, 1, 2);
  grid->addWidget(field, 1, 0);
  grid->addWidget(new QLabel(QStringLiteral("Minutes"), column), 1, 1, Qt::AlignRight);
  // The columns are as tall as the tallest (one with its "Enable" box shown);
  // what a shorter one has to spare goes below its controls, so that every
  // selector heads its column on the same line.
  grid->setRowStretch(3, 1);
  selectors_[index] = selector;
  inputFields_[index] = field;
  if (index < 2)
    return;
  auto* enable = new QCheckBox(QStringLiteral("Enable"), column);
  const QString key = index == 2 ? kThirdEnabled : kFourthEnabled;
  enable->setChecked(UserDefaults::standard().boolValue(key));
  QObject::connect(enable, &QCheckBox::clicked, enable, [this, key](bool checked) {
    UserDefaults::standard().setValue(key, checked);
    update();
  });
  grid->addWidget(enable, 2, 0, 1, 2);
  (index == 2 ? checkBox3_ : checkBox4_) = enable;
}

void PomodoroBreakViewController::pickSlot(int slot) {
  DataModel::shared().pomodoroCounter = slot;
  update();
}

void PomodoroBreakViewController::update() {
  const DataModel& model = DataModel::shared();
  const bool third = UserDefaults::standard().boolValue(kThirdEnabled);
  const bool fourth = UserDefaults::standard().boolValue(kFourthEnabled);
  const qint64 current = model.computedPomodoroCounter();
  for (int slot = 0; slot < kSlotCount; ++slot)
    selectors_[slot]->setChecked(slot == current);
  checkBox3_->setChecked(third);
  checkBox4_->setChecked(fourth);
  // The fourth slot can only be switched on while the third is on, and the
  // third cannot be switched off while the fourth is on.
  inputFields_[2]->setEnabled(fourth || third);
  inputFields_[3]->setEnabled(fourth);
  checkBox3_->setEnabled(!fourth);
  checkBox3_->setHidden(fourth);
  checkBox4_->setEnabled(fourth || third);
  selectors_[2]->setEnabled(fourth || third);
  selectors_[3]->setEnabled(fourth);
}

} // namespace kr
