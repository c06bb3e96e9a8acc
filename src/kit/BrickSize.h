#pragma once

namespace kr {

// The size a bricks factory gives the bricks it adds; `inherited` takes the
// size of the factory of the enclosing wall.
enum class BrickSize { standard = 0, mini = 1, small = 2, inherited = 3 };

} // namespace kr
