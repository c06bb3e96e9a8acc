#pragma once

#include <QString>

#include <array>
#include <optional>

namespace kr {

// The four focus ratings a logged time slice carries.
enum class ConcentrationLevel { experiencedFlow, highlyFocused, good, distracted };

namespace concentration {

// The order in which every chart emits its series.
inline constexpr std::array<ConcentrationLevel, 4> sequence = {
    ConcentrationLevel::distracted, ConcentrationLevel::good, ConcentrationLevel::highlyFocused,
    ConcentrationLevel::experiencedFlow};

// The level of a rating as logged; nothing unless the text matches exactly.
std::optional<ConcentrationLevel> fromRawValue(const QString& text);
// The rating text as logged ("experienced flow").
QString rawValue(ConcentrationLevel level);
// The name of the level in a page script ("experiencedFlow").
QString caseName(ConcentrationLevel level);

} // namespace concentration

} // namespace kr
