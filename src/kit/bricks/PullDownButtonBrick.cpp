#include "kit/bricks/PullDownButtonBrick.h"

#include "kit/ControlSize.h"
#include "kit/skins/ControlSkin.h"

#include <QAction>

namespace kr {

PullDownButtonBrick::PullDownButtonBrick(QWidget* parent) : MenuButtonBrick(true, parent) {}

PullDownButtonBrick::PullDownButtonBrick(const QString& title, QWidget* parent)
    : PullDownButtonBrick(parent) {
  addItem(title);
}

PullDownButtonBrick::PullDownButtonBrick(const QIcon& image, QWidget* parent)
    : PullDownButtonBrick(parent) {
  QAction* face = addItem(QString());
  face->setIcon(image);
  setIcon(image);
  setText(QString());
}

void PullDownButtonBrick::apply(const ControlSkin& skin) {
  normalDrawingStack = skin.pullDownButtonDrawingStack(this);
  highlightedDrawingStack = skin.highlightedPullDownButtonDrawingStack(this);
  update();
}

void PullDownButtonBrick::mini() { setControlSize(this, ControlSize::mini); }

void PullDownButtonBrick::regular() { setControlSize(this, ControlSize::regular); }

void PullDownButtonBrick::setBorderless(bool borderless) { setFlat(borderless); }

} // namespace kr
