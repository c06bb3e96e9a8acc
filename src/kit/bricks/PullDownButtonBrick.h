#pragma once

#include "kit/bricks/MenuButtonBrick.h"

#include <QIcon>

namespace kr {

// A pull-down button: its first menu item is its face (a title or an image)
// and the menu lists the items after it.
class PullDownButtonBrick : public MenuButtonBrick {
  Q_OBJECT

public:
  explicit PullDownButtonBrick(QWidget* parent = nullptr);
  // The face shows the title.
  explicit PullDownButtonBrick(const QString& title, QWidget* parent = nullptr);
  // The face shows the image and no title.
  explicit PullDownButtonBrick(const QIcon& image, QWidget* parent = nullptr);

  void apply(const ControlSkin& skin) override;
  void mini();
  void regular();
  void setBorderless(bool borderless);
};

} // namespace kr
