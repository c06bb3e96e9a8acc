#include "kit/walls/TagTokenFieldContainerView.h"

#include "kit/bricks/TagTokenField.h"
#include "platform/QnLog.h"

namespace kr {

TagTokenFieldContainerView::TagTokenFieldContainerView(QWidget* parent) : Wall(parent) {}

TagTokenFieldContainerView::~TagTokenFieldContainerView() = default;

void TagTokenFieldContainerView::selectTagTokenField() {
  if (!tagTokenField_) {
    platformLog(QStringLiteral(
        "TagTokenFieldContainerView selectTagTokenField called but tag token field not set!!"));
    return;
  }
  tagTokenField_->setFocus(Qt::OtherFocusReason);
}

} // namespace kr
