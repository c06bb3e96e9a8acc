#include "kit/text/PadScrollView.h"

#include "platform/layout/ConstraintLayout.h"

namespace kr {

PadScrollView::PadScrollView(QWidget* parent) : QScrollArea(parent) {}

PadScrollView* PadScrollView::wrap(QWidget* view) {
  auto* scrollView = new PadScrollView;
  scrollView->setWidget(view);
  scrollView->setWidgetResizable(true);
  ConstraintLayout::setContentCompressionResistancePriority(scrollView, Qt::Vertical,
                                                            LayoutPriority::defaultHigh);
  return scrollView;
}

} // namespace kr
