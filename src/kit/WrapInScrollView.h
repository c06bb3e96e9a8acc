#pragma once

class QScrollArea;
class QWidget;

namespace kr {

// Puts `view` into a new scroll view as its document view; the scroll view
// resists vertical compression at 750. The caller adds and constrains it.
QScrollArea* wrapInScrollView(QWidget* view);

} // namespace kr
