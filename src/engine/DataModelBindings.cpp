// The bind and unbind operations of DataModel.
#include "engine/DataModel.h"

#include "platform/FatalError.h"
#include "platform/settings/DefaultsBinding.h"
#include "platform/settings/UserDefaults.h"
#include "platform/settings/ValueTransformer.h"

namespace kr {

namespace {

const QString kTokenTransformer = QStringLiteral("StringToTokenArrayTransformer");

DefaultsBinding* bindProperty(QObject* control, const char* property, const QString& key,
                              const ValueTransformer& transformer = {}) {
  return DefaultsBinding::bind(control, property, key, transformer, &UserDefaults::standard());
}

DefaultsBinding* bindTokenField(QObject* field, const QString& key, const QString& placeholder) {
  KR_ASSERT(field, QStringLiteral("bind called without a token field"));
  // Shown while the field holds no token.
  if (field->metaObject()->indexOfProperty("placeholderText") >= 0)
    field->setProperty("placeholderText", placeholder);
  // The shell registers the named transformer at start-up; the same one stands in before that.
  const ValueTransformer tokens = ValueTransformer::isRegistered(kTokenTransformer)
                                      ? ValueTransformer::named(kTokenTransformer)
                                      : transformers::stringToTokenArray();
  return bindProperty(field, DataModel::kTokenFieldValueProperty, key, tokens);
}

} // namespace

DefaultsBinding* DataModel::bindButton(QObject* button, const QString& key) {
  return bindProperty(button, kButtonValueProperty, key);
}

void DataModel::unbindKey(QObject* control, const QString& key) {
  if (!control)
    return;
  const auto bindings = control->findChildren<DefaultsBinding*>(Qt::FindDirectChildrenOnly);
  for (DefaultsBinding* binding : bindings) {
    if (binding->key() == key)
      binding->unbind();
  }
}

DefaultsBinding* DataModel::bindObjective(QObject* textView) {
  return bindProperty(textView, kTextViewDataProperty, QStringLiteral("objective"));
}

DefaultsBinding* DataModel::bindTags(QObject* tokenField) {
  return bindTokenField(tokenField, QStringLiteral("tags"), QStringLiteral("No Tags."));
}

DefaultsBinding* DataModel::bindTagFilter(QObject* tokenField) {
  return bindTokenField(tokenField, QStringLiteral("tagFilter"),
                        QStringLiteral("<Enter Tags to Filter>"));
}

DefaultsBinding* DataModel::bindDurationInMinutes(QObject* slider) {
  return bindProperty(slider, kSliderValueProperty, QStringLiteral("durationInSeconds"),
                      transformers::secondsToMinutesInteger());
}

DefaultsBinding* DataModel::bindBreakDurationInMinutes(QObject* slider) {
  return bindProperty(slider, kSliderValueProperty, QStringLiteral("breakDurationInSeconds"),
                      transformers::secondsToMinutesInteger());
}

DefaultsBinding* DataModel::bindFocusRating(QObject* popUp) {
  return bindProperty(popUp, kPopUpIndexProperty, QStringLiteral("focusRating"));
}

DefaultsBinding* DataModel::bindCompleted(QObject* button) {
  return bindButton(button, QStringLiteral("completed"));
}

DefaultsBinding* DataModel::bindSoftBreakOnOffCheckbox(QObject* button) {
  return bindButton(button, QStringLiteral("shouldUseSoftBreak"));
}

DefaultsBinding* DataModel::bindEndInformalBreakForLunch(QObject* button) {
  return bindButton(button, QStringLiteral("endInformalBreakForLunch"));
}

DefaultsBinding* DataModel::bindEndInformalBreakForBreakfast(QObject* button) {
  return bindButton(button, QStringLiteral("endInformalBreakForBreakfast"));
}

DefaultsBinding* DataModel::bindEndInformalBreakAutomatically(QObject* button) {
  return bindButton(button, QStringLiteral("endInformalBreakAutomatically"));
}

DefaultsBinding* DataModel::bindEndInformalBreakAutomaticallyAfterInactivity(QObject* button) {
  return bindButton(button, QStringLiteral("endInformalBreakAutomaticallyAfterInactivity"));
}

DefaultsBinding* DataModel::bindLockScreenDuringBreak(QObject* button) {
  return bindButton(button, QStringLiteral("lockScreenDuringBreak"));
}

DefaultsBinding* DataModel::bindStatsMode(QObject* popUp) {
  return bindProperty(popUp, kPopUpTagProperty, QStringLiteral("currentlyDisplayedStatistic"));
}

DefaultsBinding* DataModel::bindFirstPomodoroBreakDurationInMinutes(QObject* field) {
  return bindProperty(field, kNumberFieldValueProperty,
                      QStringLiteral("firstPomodoroBreakDurationInMinutes"));
}

DefaultsBinding* DataModel::bindSecondPomodoroBreakDurationInMinutes(QObject* field) {
  return bindProperty(field, kNumberFieldValueProperty,
                      QStringLiteral("secondPomodoroBreakDurationInMinutes"));
}

DefaultsBinding* DataModel::bindThirdPomodoroBreakDurationInMinutes(QObject* field) {
  return bindProperty(field, kNumberFieldValueProperty,
                      QStringLiteral("thirdPomodoroBreakDurationInMinutes"));
}

DefaultsBinding* DataModel::bindFourthPomodoroBreakDurationInMinutes(QObject* field) {
  return bindProperty(field, kNumberFieldValueProperty,
                      QStringLiteral("fourthPomodoroBreakDurationInMinutes"));
}

void DataModel::unbindObjective(QObject* textView) {
  unbindKey(textView, QStringLiteral("objective"));
}
void DataModel::unbindTags(QObject* tokenField) { unbindKey(tokenField, QStringLiteral("tags")); }
void DataModel::unbindTagFilter(QObject* tokenField) {
  unbindKey(tokenField, QStringLiteral("tagFilter"));
}
void DataModel::unbindDurationInMinutes(QObject* slider) {
  unbindKey(slider, QStringLiteral("durationInSeconds"));
}
void DataModel::unbindBreakDurationInMinutes(QObject* slider) {
  unbindKey(slider, QStringLiteral("breakDurationInSeconds"));
}
void DataModel::unbindFocusRating(QObject* popUp) {
  unbindKey(popUp, QStringLiteral("focusRating"));
}
void DataModel::unbindCompleted(QObject* button) { unbindKey(button, QStringLiteral("completed")); }
void DataModel::unbindSoftBreakOnOffCheckbox(QObject* button) {
  unbindKey(button, QStringLiteral("shouldUseSoftBreak"));
}
void DataModel::unbindEndInformalBreakForLunch(QObject* button) {
  unbindKey(button, QStringLiteral("endInformalBreakForLunch"));
}
void DataModel::unbindEndInformalBreakForBreakfast(QObject* button) {
  unbindKey(button, QStringLiteral("endInformalBreakForBreakfast"));
}
void DataModel::unbindEndInformalBreakAutomatically(QObject* button) {
  unbindKey(button, QStringLiteral("endInformalBreakAutomatically"));
}
void DataModel::unbindEndInformalBreakAutomaticallyAfterInactivity(QObject* button) {
  unbindKey(button, QStringLiteral("endInformalBreakAutomaticallyAfterInactivity"));
}
void DataModel::unbindLockScreenDuringBreak(QObject* button) {
  unbindKey(button, QStringLiteral("lockScreenDuringBreak"));
}
void DataModel::unbindStatsMode(QObject* popUp) {
  unbindKey(popUp, QStringLiteral("currentlyDisplayedStatistic"));
}

} // namespace kr
