#include "states/ButtonWallHelper.h"

#include "kit/skins/FocusMark.h"
#include "kit/walls/LayoutConstraintMaker.h"
#include "platform/layout/ConstraintLayout.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace kr {

namespace {

// A page's button. The default one is drawn highlighted whether it has the
// focus or not: it draws the focus mark over that.
class PageButton final : public QPushButton {
public:
  using QPushButton::QPushButton;

protected:
  void paintEvent(QPaintEvent* event) override {
    QPushButton::paintEvent(event);
    if (isDefault())
      FocusMark::paintIfShown(*this);
  }
};

QHBoxLayout* newRowLayout(QWidget* owner) {
  auto* layout = new QHBoxLayout(owner);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setDirection(QBoxLayout::RightToLeft);
  // The stretch stays last, that is leftmost.
  layout->addStretch();
  return layout;
}

// The row the buttons go into. A wall lays out its subviews by constraints,
// so there the row is a subview that fills the wall.
QHBoxLayout* rowLayout(QWidget* buttonWall) {
  if (auto* layout = qobject_cast<QHBoxLayout*>(buttonWall->layout()))
    return layout;
  if (!buttonWall->layout())
    return newRowLayout(buttonWall);
  auto* row =
      buttonWall->findChild<QWidget*>(QStringLiteral("buttonRow"), Qt::FindDirectChildrenOnly);
  if (!row) {
    row = new QWidget;
    row->setObjectName(QStringLiteral("buttonRow"));
    newRowLayout(row);
    ConstraintLayout::addSubview(buttonWall, row);
    LayoutConstraintMaker maker(row);
    maker.fillContainer();
    ConstraintLayout::of(buttonWall)->addConstraints(maker.constraints());
  }
  return qobject_cast<QHBoxLayout*>(row->layout());
}

} // namespace

QPushButton* ButtonWallHelper::addButton(QWidget* buttonWall, const QString& title, bool isDefault,
                                         std::function<void()> action) {
  QHBoxLayout* layout = rowLayout(buttonWall);
  auto* button = new PageButton(title, layout->parentWidget());
  button->setObjectName(title);
  button->setDefault(isDefault);
  button->setAutoDefault(false);
  layout->insertWidget(layout->count() - 1, button);
  QObject::connect(button, &QPushButton::clicked, button,
                   [action = std::move(action)] { action(); });
  return button;
}

} // namespace kr
