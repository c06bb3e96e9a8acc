#include "states/ButtonWallHelper.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace kr {

QPushButton* ButtonWallHelper::addButton(QWidget* buttonWall, const QString& title, bool isDefault,
                                         std::function<void()> action) {
  auto* layout = qobject_cast<QHBoxLayout*>(buttonWall->layout());
  if (!layout) {
    layout = new QHBoxLayout(buttonWall);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setDirection(QBoxLayout::RightToLeft);
    // The stretch stays last, that is leftmost.
    layout->addStretch();
  }
  auto* button = new QPushButton(title, buttonWall);
  button->setObjectName(title);
  button->setDefault(isDefault);
  button->setAutoDefault(false);
  layout->insertWidget(layout->count() - 1, button);
  QObject::connect(button, &QPushButton::clicked, button,
                   [action = std::move(action)] { action(); });
  return button;
}

} // namespace kr
