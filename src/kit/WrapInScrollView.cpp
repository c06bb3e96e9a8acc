#include "kit/WrapInScrollView.h"

#include "platform/layout/ConstraintLayout.h"

#include <QScrollArea>

namespace kr {

QScrollArea* wrapInScrollView(QWidget* view) {
  auto* scrollView = new QScrollArea();
  scrollView->setWidget(view);
  scrollView->setWidgetResizable(true);
  ConstraintLayout::setContentCompressionResistancePriority(scrollView, Qt::Vertical,
                                                            LayoutPriority::defaultHigh);
  return scrollView;
}

} // namespace kr
