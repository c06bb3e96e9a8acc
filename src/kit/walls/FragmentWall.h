#pragma once

#include "kit/walls/Wall.h"

namespace kr {

class FragmentStackView;

// A wall that is one section of a fragment stack.
class FragmentWall : public Wall {
  Q_OBJECT

public:
  explicit FragmentWall(QWidget* parent = nullptr);

  // Called once, right after the fragment was added to its stack; a plain
  // fragment has nothing to do.
  virtual void install(FragmentStackView* parentStackView);
};

} // namespace kr
