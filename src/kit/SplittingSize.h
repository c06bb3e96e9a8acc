#pragma once

namespace kr {

// How `Wall::split` sizes the wall that receives the size: `absolute` takes the
// factor as a width in points, `proportional` multiplies the splitting wall's width.
enum class SplittingSize { absolute, proportional };

// Which of the two walls of a split receives the size.
enum class SplitDirection { left, right };

} // namespace kr
