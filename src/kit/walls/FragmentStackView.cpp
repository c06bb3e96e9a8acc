#include "kit/walls/FragmentStackView.h"

#include "kit/walls/FragmentWall.h"
#include "platform/drawing/GraphicsContext.h"

#include <QBoxLayout>
#include <QPainter>

namespace kr {

FragmentStackView::FragmentStackView(Qt::Orientation orientation, QWidget* parent)
    : QWidget(parent), orientation_(orientation),
      layout_(new QBoxLayout(
          orientation == Qt::Vertical ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight, this)) {
  layout_->setContentsMargins(0, 0, 0, 0);
  layout_->setSpacing(0);
}

// The arranged views are children and go after this object's own fields:
// their destruction must not reach the priority table any more.
FragmentStackView::~FragmentStackView() {
  for (const QPointer<QWidget>& view : arranged_) {
    if (view)
      disconnect(view, nullptr, this, nullptr);
  }
}

void FragmentStackView::setOrientation(Qt::Orientation orientation) {
  orientation_ = orientation;
  layout_->setDirection(orientation == Qt::Vertical ? QBoxLayout::TopToBottom
                                                    : QBoxLayout::LeftToRight);
}

void FragmentStackView::setSpacing(double spacing) { layout_->setSpacing(qRound(spacing)); }

void FragmentStackView::setEdgeInsets(const QMargins& insets) {
  layout_->setContentsMargins(insets);
}

void FragmentStackView::setAlignment(Qt::Alignment alignment) {
  alignment_ = alignment;
  for (int i = 0; i < layout_->count(); ++i) {
    if (QWidget* view = layout_->itemAt(i)->widget())
      layout_->setAlignment(view, alignment_);
  }
}

void FragmentStackView::addArrangedSubview(QWidget* view) {
  if (!view || arranged_.contains(view))
    return;
  view->setParent(this);
  arranged_.append(view);
  priorities_.insert(view, visibilityPriorityMustHold);
  connect(view, &QObject::destroyed, this, [this, view] { priorities_.remove(view); });
  rebuild();
}

QList<QWidget*> FragmentStackView::views() const {
  QList<QWidget*> shown;
  for (const QPointer<QWidget>& view : arranged_) {
    if (view && !isDetached(view))
      shown.append(view);
  }
  return shown;
}

bool FragmentStackView::isDetached(QWidget* view) const {
  return visibilityPriority(view) <= visibilityPriorityNotVisible;
}

float FragmentStackView::visibilityPriority(QWidget* view) const {
  return priorities_.value(view, visibilityPriorityNotVisible);
}

void FragmentStackView::setVisibilityPriority(QWidget* view, float priority) {
  if (!view || !priorities_.contains(view))
    return;
  const bool wasDetached = isDetached(view);
  priorities_[view] = priority;
  if (wasDetached != isDetached(view))
    rebuild();
}

void FragmentStackView::addFragment(FragmentWall* fragment) {
  addArrangedSubview(fragment);
  fragment->install(this);
}

void FragmentStackView::hideFragment(FragmentWall* fragment) {
  setVisibilityPriority(fragment, visibilityPriorityNotVisible);
}

void FragmentStackView::showFragment(FragmentWall* fragment) {
  setVisibilityPriority(fragment, visibilityPriorityMustHold);
}

// Detached views leave the layout and are hidden; the others are laid out in
// their arranged order.
void FragmentStackView::rebuild() {
  while (layout_->count() > 0)
    delete layout_->takeAt(0);
  for (const QPointer<QWidget>& view : arranged_) {
    if (!view)
      continue;
    if (isDetached(view)) {
      view->hide();
    } else {
      layout_->addWidget(view, 0, alignment_);
      view->show();
    }
  }
  // At once, so a top-level stack can shrink to its new size straight away.
  layout_->activate();
  updateGeometry();
}

// The background goes down before the stack's own drawing, over the whole view.
void FragmentStackView::paintEvent(QPaintEvent*) {
  if (!backgroundDrawingFunc && !backgroundColor)
    return;
  QPainter painter(this);
  GraphicsContext context(&painter, height());
  GraphicsContext::Scope scope(context);
  const QRectF bounds(0, 0, width(), height());
  if (backgroundDrawingFunc)
    backgroundDrawingFunc(bounds);
  else
    context.fillRect(bounds, *backgroundColor);
}

} // namespace kr
