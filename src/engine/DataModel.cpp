#include "engine/DataModel.h"

#include "engine/ValueChangeListener.h"
#include "platform/QnLog.h"
#include "platform/richtext/RtfdPackage.h"
#include "platform/settings/DefaultsStorageAPI.h"
#include "platform/settings/UserDefaults.h"

#include <QStringDecoder>

#include <algorithm>
#include <optional>

namespace kr {

namespace {

const QString kTags = QStringLiteral("tags");
const QString kDurationInSeconds = QStringLiteral("durationInSeconds");
const QString kBreakDurationInSeconds = QStringLiteral("breakDurationInSeconds");
const QString kObjective = QStringLiteral("objective");
const QString kBreakDurationControlAlternative = QStringLiteral("breakDurationControlAlternative");
const QString kDefaultAlternative = QStringLiteral("default");
const QString kPomodoroStyleAlternative = QStringLiteral("pomodoroStyle");
const QString kFirstMinutes = QStringLiteral("firstPomodoroBreakDurationInMinutes");
const QString kSecondMinutes = QStringLiteral("secondPomodoroBreakDurationInMinutes");
const QString kThirdMinutes = QStringLiteral("thirdPomodoroBreakDurationInMinutes");
const QString kFourthMinutes = QStringLiteral("fourthPomodoroBreakDurationInMinutes");

QVariantMap registeredDefaults() {
  QVariantMap d;
  d.insert(kTags, QString());
  d.insert(kDurationInSeconds, qint64{900});
  d.insert(kBreakDurationInSeconds, qint64{600});
  d.insert(QStringLiteral("focusRating"), qint64{1});
  d.insert(QStringLiteral("completed"), false);
  d.insert(QStringLiteral("tagFilter"), QString());
  d.insert(QStringLiteral("lockScreenDuringBreak"), false);
  d.insert(QStringLiteral("endInformalBreakForLunch"), false);
  d.insert(QStringLiteral("endInformalBreakForBreakfast"), false);
  d.insert(QStringLiteral("endInformalBreakAutomatically"), false);
  d.insert(kFirstMinutes, qint64{5});
  d.insert(kSecondMinutes, qint64{5});
  d.insert(kThirdMinutes, qint64{5});
  d.insert(kFourthMinutes, qint64{30});
  d.insert(QStringLiteral("thirdPomodoroBreakEnabled"), true);
  d.insert(QStringLiteral("fourthPomodoroBreakEnabled"), true);
  d.insert(kBreakDurationControlAlternative, kDefaultAlternative);
  d.insert(QStringLiteral("techniqueProfileChoice"), QStringLiteral("korvane"));
  d.insert(QStringLiteral("notificationProfileChoice"), QStringLiteral("some"));
  d.insert(QStringLiteral("continuousSoundProfileChoice"), QStringLiteral("none"));
  d.insert(QStringLiteral("omnifocusUseContext"), true);
  d.insert(QStringLiteral("omnifocusEstimatedTime"), true);
  d.insert(QStringLiteral("thingsIntegrationUseTags"), true);
  d.insert(QStringLiteral("shouldHideOnTimeSliceRunningActivation"), true);
  d.insert(QStringLiteral("shouldHideOnTimedBreakActivation"), true);
  d.insert(QStringLiteral("shouldUseSoftBreak"), true);
  return d;
}

// Valid UTF-8 without control characters other than line ends and tabs.
bool isPlainText(const QByteArray& bytes) {
  QStringDecoder decoder(QStringDecoder::Utf8);
  const QString text = decoder(bytes);
  if (decoder.hasError())
    return false;
  return std::none_of(text.cbegin(), text.cend(), [](QChar c) {
    return c.category() == QChar::Other_Control && c != u'\n' && c != u'\r' && c != u'\t';
  });
}

} // namespace

const QString DataModel::kObjectivePlaceholder = QStringLiteral(
    "Give a one sentence description of your objective for the next time slice. Be as specific "
    "as possible and clearly set the limits of what you are going to do.");

DataModel::DataModel(QObject* parent) : QObject(parent) {}

DataModel::~DataModel() = default;

DataModel& DataModel::shared() {
  // A function-local static is initialised once, safely against concurrent first use.
  static DataModel instance;
  return instance;
}

UserDefaults& DataModel::defaults() { return UserDefaults::standard(); }

DefaultsStorageAPI& DataModel::storage() { return StandardUserDefaultsStorage::shared(); }

void DataModel::prepare() {
  adoptStoredObjective();
  objectiveData();
  defaults().registerDefaults(registeredDefaults());
  // Lengths as the sliders and steppers allow them, whatever the file holds.
  defaults().registerRange(kDurationInSeconds, kMinimumLengthInSeconds, kMaximumLengthInSeconds);
  defaults().registerRange(kBreakDurationInSeconds, kMinimumLengthInSeconds,
                           kMaximumLengthInSeconds);
  for (const QString& key : {kFirstMinutes, kSecondMinutes, kThirdMinutes, kFourthMinutes})
    defaults().registerRange(key, kMinimumPomodoroBreakMinutes, kMaximumPomodoroBreakMinutes);
  defaults().synchronize();
  connect(&defaults(), &UserDefaults::changed, this, &DataModel::observeValue,
          Qt::UniqueConnection);
}

void DataModel::setObjectiveStyleProvider(std::function<ObjectiveText::Style()> provider) {
  objectiveStyleProvider_ = std::move(provider);
}

void DataModel::addDurationListener(ValueChangeListener& listener) {
  durationListeners.push_back({listener.weakReference()});
}

void DataModel::addBreakDurationListener(ValueChangeListener& listener) {
  breakDurationListeners.push_back({listener.weakReference()});
}

void DataModel::observeValue(const QString& keyPath) {
  if (keyPath == kDurationInSeconds)
    callListeners(durationListeners);
  else if (keyPath == kBreakDurationInSeconds)
    callListeners(breakDurationListeners);
}

void DataModel::callListeners(const std::vector<WeakListenerWrapper>& listeners) {
  // By index over the size at the start: a listener may add listeners.
  const std::size_t count = listeners.size();
  for (std::size_t i = 0; i < count && i < listeners.size(); ++i) {
    if (const std::shared_ptr<ValueChangeListener> listener = listeners[i].listener.lock())
      listener->valueHasChanged();
  }
}

QString DataModel::tags() const { return defaults().string(kTags); }

void DataModel::setTags(const QString& tags) { defaults().setValue(kTags, tags); }

qint64 DataModel::focusRating() const { return defaults().integer(QStringLiteral("focusRating")); }

bool DataModel::completed() const { return defaults().boolValue(QStringLiteral("completed")); }

qint64 DataModel::durationInSeconds() const { return defaults().integer(kDurationInSeconds); }

qint64 DataModel::durationInMinutes() const { return durationInSeconds() / 60; }

void DataModel::setDurationInSeconds(qint64 seconds) {
  defaults().setValue(kDurationInSeconds, seconds);
}

void DataModel::setDurationInMinutes(int minutes) { setDurationInSeconds(qint64{minutes} * 60); }

qint64 DataModel::breakDurationInSeconds() const {
  return defaults().integer(kBreakDurationInSeconds);
}

qint64 DataModel::breakDurationInMinutes() const { return breakDurationInSeconds() / 60; }

void DataModel::setBreakDurationInSeconds(qint64 seconds) {
  defaults().setValue(kBreakDurationInSeconds, seconds);
}

void DataModel::setBreakDurationInMinutes(int minutes) {
  setBreakDurationInSeconds(qint64{minutes} * 60);
}

ObjectiveText DataModel::objectiveData() {
  const QVariant stored = defaults().object(kObjective);
  if (stored.isValid() && !stored.toByteArray().isEmpty())
    return ObjectiveText(stored.toByteArray());
  ObjectiveText objective = ObjectiveText::fromPlainText(kObjectivePlaceholder, objectiveStyle());
  defaults().setValue(kObjective, objective.data());
  return objective;
}

ObjectiveText::Style DataModel::objectiveStyle() const {
  return objectiveStyleProvider_ ? objectiveStyleProvider_() : ObjectiveText::Style{};
}

void DataModel::adoptStoredObjective() {
  const QVariant stored = defaults().object(kObjective);
  if (!stored.isValid())
    return;
  // Text written by hand or by an older version: the words are kept, in the
  // pads' font and colour. A line written by hand is taken whole, whatever
  // the INI reading made of it (a list at its commas, ...).
  std::optional<QString> text = defaults().handWrittenText(kObjective);
  if (!text) {
    const QByteArray bytes = stored.toByteArray();
    const int type = stored.metaType().id();
    const bool scalar = type == QMetaType::QString || type == QMetaType::LongLong ||
                        type == QMetaType::Double || type == QMetaType::Bool;
    // An empty objective gives way to the prompt.
    if ((bytes.isEmpty() && (scalar || type == QMetaType::QByteArray)) ||
        RtfdPackage::fromData(bytes))
      return;
    if (scalar || (type == QMetaType::QByteArray && isPlainText(bytes)))
      text = stored.toString();
  }
  if (text) {
    platformLog(QStringLiteral("settings: the stored objective is plain text; it is kept as the "
                               "objective's text"));
    defaults().setValue(kObjective, ObjectiveText::fromPlainText(*text, objectiveStyle()).data());
    return;
  }
  // Anything else (a list, a number of another kind) cannot be shown: the
  // file as it is is kept before the prompt takes its place.
  defaults().keepDamagedCopy(kObjective);
  defaults().remove(kObjective);
}

bool DataModel::useOmnifocusContextAsTag() const {
  return defaults().boolValue(QStringLiteral("omnifocusUseContext"));
}

bool DataModel::useOmnifocusEstimatedTimeAsDuration() const {
  return defaults().boolValue(QStringLiteral("omnifocusEstimatedTime"));
}

bool DataModel::useThingsTags() const {
  return defaults().boolValue(QStringLiteral("thingsIntegrationUseTags"));
}

bool DataModel::shouldHideOnTimeSliceRunningActivation() const {
  return defaults().boolValue(QStringLiteral("shouldHideOnTimeSliceRunningActivation"));
}

bool DataModel::shouldHideOnTimedBreakActivation() const {
  return defaults().boolValue(QStringLiteral("shouldHideOnTimedBreakActivation"));
}

bool DataModel::shouldUseSoftBreak() const {
  return defaults().boolValue(QStringLiteral("shouldUseSoftBreak"));
}

bool DataModel::endInformalBreakForLunch() const {
  return storage().getBoolean(QStringLiteral("endInformalBreakForLunch"));
}

bool DataModel::endInformalBreakForBreakfast() const {
  return storage().getBoolean(QStringLiteral("endInformalBreakForBreakfast"));
}

bool DataModel::endInformalBreakAutomatically() const {
  return storage().getBoolean(QStringLiteral("endInformalBreakAutomatically"));
}

bool DataModel::endInformalBreakAutomaticallyAfterInactivity() const {
  return storage().getBoolean(QStringLiteral("endInformalBreakAutomaticallyAfterInactivity"));
}

bool DataModel::lockScreenDuringBreak() const {
  return storage().getBoolean(QStringLiteral("lockScreenDuringBreak"));
}

qint64 DataModel::statsMode() const {
  return storage().getInteger(QStringLiteral("currentlyDisplayedStatistic"));
}

void DataModel::setStatsMode(qint64 tagValue) {
  storage().store(tagValue, QStringLiteral("currentlyDisplayedStatistic"));
  defaults().synchronize();
}

void DataModel::setCurrentTimeSliceExtensionDuration(qint64 seconds) {
  _currentTimeSliceExtensionDurationInSeconds = seconds;
}

qint64 DataModel::currentTimeSliceExtensionDurationInSeconds() const {
  return _currentTimeSliceExtensionDurationInSeconds;
}

void DataModel::resetCurrentTimeSliceExtensionDuration() {
  _currentTimeSliceExtensionDurationInSeconds = 0;
}

qint64 DataModel::pomodoroSlots() const {
  // Taken from the flags at each use, so a slot switched off is never used
  // because a remembered count was out of date.
  if (defaults().boolValue(QStringLiteral("fourthPomodoroBreakEnabled")))
    return 4;
  if (defaults().boolValue(QStringLiteral("thirdPomodoroBreakEnabled")))
    return 3;
  return 2;
}

qint64 DataModel::computedPomodoroCounter() const {
  const qint64 slots = pomodoroSlots();
  return ((pomodoroCounter % slots) + slots) % slots;
}

qint64 DataModel::computedPomodoroBreakDurationBasedOnCurrentSettings() const {
  switch (computedPomodoroCounter()) {
  case 0:
    return defaults().integer(kFirstMinutes);
  case 1:
    return defaults().integer(kSecondMinutes);
  case 2:
    return defaults().integer(kThirdMinutes);
  default:
    return defaults().integer(kFourthMinutes);
  }
}

qint64 DataModel::nextTimedBreakDurationInSeconds() const {
  if (useOneTimeOnlyBreakDurationThisTimeOnly)
    return oneTimeOnlyBreakDuration;
  if (usePomodoroStyleBreakDurationControl())
    return computedPomodoroBreakDurationBasedOnCurrentSettings() * 60;
  return breakDurationInSeconds();
}

bool DataModel::useDefaultBreakDurationControl() const {
  const QVariant value = defaults().object(kBreakDurationControlAlternative);
  return value.isValid() && value.toString() == kDefaultAlternative;
}

bool DataModel::usePomodoroStyleBreakDurationControl() const {
  const QVariant value = defaults().object(kBreakDurationControlAlternative);
  return value.isValid() && value.toString() == kPomodoroStyleAlternative;
}

void DataModel::nextBreakDurationControlAlternative() {
  defaults().setValue(kBreakDurationControlAlternative, useDefaultBreakDurationControl()
                                                            ? kPomodoroStyleAlternative
                                                            : kDefaultAlternative);
}

void DataModel::stepMinutes(const QString& key, int step) {
  const qint64 minutes = defaults().integer(key);
  if (step > 0 && minutes < kMaximumPomodoroBreakMinutes)
    defaults().setValue(key, minutes + 1);
  else if (step < 0 && minutes > kMinimumPomodoroBreakMinutes)
    defaults().setValue(key, minutes - 1);
}

void DataModel::incrementFirstPomodoroBreakDurationInMinutes() { stepMinutes(kFirstMinutes, 1); }
void DataModel::decrementFirstPomodoroBreakDurationInMinutes() { stepMinutes(kFirstMinutes, -1); }
void DataModel::incrementSecondPomodoroBreakDurationInMinutes() { stepMinutes(kSecondMinutes, 1); }
void DataModel::decrementSecondPomodoroBreakDurationInMinutes() { stepMinutes(kSecondMinutes, -1); }
void DataModel::incrementThirdPomodoroBreakDurationInMinutes() { stepMinutes(kThirdMinutes, 1); }
void DataModel::decrementThirdPomodoroBreakDurationInMinutes() { stepMinutes(kThirdMinutes, -1); }
void DataModel::incrementFourthPomodoroBreakDurationInMinutes() { stepMinutes(kFourthMinutes, 1); }
void DataModel::decrementFourthPomodoroBreakDurationInMinutes() { stepMinutes(kFourthMinutes, -1); }

} // namespace kr
