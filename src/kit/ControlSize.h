#pragma once

class QWidget;

namespace kr {

// The three control sizes: regular, small and mini. A smaller size uses a
// smaller font; the size is remembered on the widget.
enum class ControlSize { regular = 0, small = 1, mini = 2 };

void setControlSize(QWidget* control, ControlSize size);
ControlSize controlSize(const QWidget* control);
// Whether the widget is a control (buttons, sliders, pop-ups, text fields).
bool isControl(const QWidget* widget);

} // namespace kr
