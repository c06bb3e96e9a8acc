#include "states/ModernUIState.h"

#include "states/UpdatedViewType.h"

#include "art/KorvaneStyleKit.h"
#include "kit/LayoutConstraintMaker.h"
#include "platform/ConstraintLayout.h"
#include "platform/FatalError.h"
#include "platform/SmartTimerWrapper.h"

namespace kr {

ModernUIState::ModernUIState() = default;

ModernUIState::~ModernUIState() {
  if (updateTimer_)
    updateTimer_->stop();
}

void ModernUIState::addUpdatableView(UpdatedViewType& view) { updatableViewList_.push_back(&view); }

void ModernUIState::updateUpdatableViews() {
  // The list may not change while it is walked, so walk a copy.
  const std::vector<UpdatedViewType*> views = updatableViewList_;
  for (UpdatedViewType* view : views)
    view->updateState();
}

void ModernUIState::createStackView() {
  KR_ASSERT(infoWall() != nullptr, QStringLiteral("the page has no info wall"));
  fragmentStackView_ = new QWidget;
  fragmentStackView_->setObjectName(QStringLiteral("fragmentStackView"));
  QPalette palette = fragmentStackView_->palette();
  palette.setColor(QPalette::Window, KorvaneStyleKit::n4());
  fragmentStackView_->setPalette(palette);
  fragmentStackView_->setAutoFillBackground(true);
  fragmentLayout_ = new QVBoxLayout(fragmentStackView_);
  fragmentLayout_->setContentsMargins(0, 0, 0, 0);
  fragmentLayout_->setSpacing(0);
  fragmentLayout_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
  // The stack fills the info wall, at least 120 high.
  ConstraintLayout::addSubview(infoWall(), fragmentStackView_);
  LayoutConstraintMaker maker(fragmentStackView_);
  maker.fillContainer().minHeight(120);
  ConstraintLayout::of(infoWall())->addConstraints(maker.constraints());
}

void ModernUIState::createAndInstallTitleFragment(const QString& title) {
  titleFragment_ = new QLabel(title);
  titleFragment_->setObjectName(QStringLiteral("titleFragment"));
  addSection(titleFragment_);
}

void ModernUIState::addSection(QWidget* section) {
  KR_ASSERT(fragmentLayout_ != nullptr, QStringLiteral("the page has no section stack"));
  fragmentLayout_->addWidget(section);
}

void ModernUIState::activate() {
  BaseState::activate();
  updateUpdatableViews();
  if (updateTimer_)
    updateTimer_->stop();
  updateTimer_ = SmartTimerWrapper::wrapTimer(
      1.0, true, [this](SmartTimerWrapper&) { updateUpdatableViews(); });
}

void ModernUIState::deactivate() {
  if (updateTimer_)
    updateTimer_->stop();
  BaseState::deactivate();
}

} // namespace kr
