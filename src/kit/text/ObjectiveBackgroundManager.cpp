#include "kit/text/ObjectiveBackgroundManager.h"

#include "kit/KVOResponder.h"
#include "kit/text/BorderedBackgroundView.h"
#include "kit/text/PadTextSettings.h"
#include "platform/settings/UserDefaults.h"

#include <QAbstractScrollArea>

namespace kr {

namespace {
const QString kColorKey = QStringLiteral("objectiveBackgroundColor");

ObjectiveBackgroundManager*& shared() {
  static ObjectiveBackgroundManager* instance = nullptr;
  return instance;
}

void colourScrollView(QAbstractScrollArea* view, const QColor& color) {
  QWidget* viewport = view->viewport();
  QPalette palette = viewport->palette();
  palette.setColor(QPalette::Base, color);
  palette.setColor(QPalette::Window, color);
  viewport->setPalette(palette);
  viewport->setAutoFillBackground(true);
  viewport->update();
}
} // namespace

ObjectiveBackgroundManager::ObjectiveBackgroundManager() = default;

ObjectiveBackgroundManager::~ObjectiveBackgroundManager() {
  if (shared() == this)
    shared() = nullptr;
}

ObjectiveBackgroundManager* ObjectiveBackgroundManager::sharedInstance() { return shared(); }

void ObjectiveBackgroundManager::awakeFromNib() {
  shared() = this;
  observation_ =
      std::make_unique<KVOResponder>(kColorKey, &UserDefaults::standard(),
                                     [this](UserDefaults*, const QString&) { observeValue(); });
  observeValue();
}

void ObjectiveBackgroundManager::observeValue() {
  // The colour the backgrounds read for themselves: a stored value that is
  // no colour gives the registered one.
  color_ = PadTextSettings::padColor(UserDefaults::standard(), kColorKey);
  for (QAbstractScrollArea* view : {infoWindowScrollView.data(), timeSliceInfoViewScrollView.data(),
                                    timeSliceExtensionInfoViewScrollView.data()}) {
    if (view)
      colourScrollView(view, *color_);
  }
  for (BorderedBackgroundView* view :
       {rateYourTimeSliceBorderedBackgroundView.data(), objectiveBorderedBackgroundView.data()}) {
    if (view)
      view->setBackgroundColor(*color_);
  }
}

} // namespace kr
