#pragma once

#include <QColor>

namespace kr::ControlEdge {

// How far two colours stand apart to the eye, from 1 (the same) to 21 (black
// on white), by their relative luminances; alpha is ignored.
double contrast(const QColor& a, const QColor& b);

// `from` moved `share` (0 to 1) of the way toward `to`, opaque.
QColor mix(const QColor& from, const QColor& to, double share);

// The colour to draw a control's bounds in on `ground`, in the palette's own
// tones: `ground` mixed toward `ink` (the palette's text) from halfway on, just
// far enough that the edge stands out from the ground by 3 : 1; `ink` itself
// where no mix does.
QColor on(const QColor& ground, const QColor& ink);

} // namespace kr::ControlEdge
