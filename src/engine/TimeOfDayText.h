#pragma once

#include <QString>

namespace kr {

// A time of day as text, with the range of the day-half marker ("PM") that is
// shown in a font of its own. Views turn it into rich text.
struct TimeOfDayText {
  static constexpr const char* kMarkerFontFamily = "Helvetica";
  static constexpr double kMarkerPointSize = 20.0;

  QString text;
  qsizetype markerStart = -1; // -1: the whole text is plain
  qsizetype markerLength = 0;

  bool hasMarker() const { return markerStart >= 0 && markerLength > 0; }
  QString marker() const { return hasMarker() ? text.mid(markerStart, markerLength) : QString(); }
};

} // namespace kr
