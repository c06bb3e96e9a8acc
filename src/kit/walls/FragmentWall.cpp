#include "kit/walls/FragmentWall.h"

namespace kr {

FragmentWall::FragmentWall(QWidget* parent) : Wall(parent) {}

void FragmentWall::install(FragmentStackView*) {}

} // namespace kr
