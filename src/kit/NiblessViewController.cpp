#include "kit/NiblessViewController.h"

namespace kr {

NiblessViewController::NiblessViewController(bool delayed, QObject* parent)
    : QObject(parent), delayedBuild(delayed) {}

NiblessViewController::NiblessViewController(std::function<void()> func, QObject* parent)
    : QObject(parent), buildFunc(std::move(func)) {}

NiblessViewController::~NiblessViewController() {
  if (view_ && !view_->parent())
    delete view_.data();
}

void NiblessViewController::build() {}

void NiblessViewController::setView(QWidget* view) {
  if (view_ && view_ != view && !view_->parent())
    delete view_.data();
  view_ = view;
}

} // namespace kr
