#include "preferences/PreferenceControls.h"

#include "platform/settings/UserDefaults.h"
#include "platform/settings/ValueTransformer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>

#include <cmath>
#include <optional>

namespace kr {

namespace {

constexpr int kFractionSteps = 100;

std::optional<double> asNumber(const QVariant& value) {
  if (!value.isValid())
    return std::nullopt;
  bool ok = false;
  const double number = value.toDouble(&ok);
  if (!ok || !std::isfinite(number))
    return std::nullopt;
  return number;
}

} // namespace

PreferenceControls::PreferenceControls(UserDefaults& defaults, QObject* parent)
    : QObject(parent), defaults_(defaults) {
  connect(&defaults_, &UserDefaults::changed, this, [this](const QString& key) {
    for (const auto& [followed, refresh] : refreshers_) {
      if (followed == key)
        refresh();
    }
  });
}

void PreferenceControls::add(const QString& key, QWidget* control, Kind kind,
                             std::function<void()> refresh) {
  bound_.push_back({key, control, kind});
  refresh();
  refreshers_.emplace_back(key, std::move(refresh));
}

void PreferenceControls::follow(const QString& key, QWidget* control,
                                std::function<void()> refresh) {
  add(key, control, Kind::other, std::move(refresh));
}

double PreferenceControls::fractionValue(const QString& key) const {
  const auto stored = asNumber(defaults_.object(key));
  if (stored && *stored >= 0.0 && *stored <= 1.0)
    return *stored;
  return asNumber(defaults_.registeredValue(key)).value_or(0.0);
}

qint64 PreferenceControls::wholeNumber(const QString& key, qint64 divisor, qint64 minimum,
                                       qint64 maximum) const {
  const auto shown = [&](const QVariant& value) -> std::optional<qint64> {
    const auto number = asNumber(value);
    if (!number)
      return std::nullopt;
    const qint64 whole = qint64(std::trunc(*number)) / divisor;
    if (whole < minimum || whole > maximum)
      return std::nullopt;
    return whole;
  };
  if (const auto stored = shown(defaults_.object(key)))
    return *stored;
  return shown(defaults_.registeredValue(key)).value_or(minimum);
}

QCheckBox* PreferenceControls::check(const QString& text, const QString& key) {
  auto* box = new QCheckBox(text);
  add(key, box, Kind::check, [this, box, key] {
    const QSignalBlocker quiet(box);
    box->setChecked(defaults_.boolValue(key));
  });
  connect(box, &QCheckBox::toggled, this, [this, key](bool on) { defaults_.setValue(key, on); });
  return box;
}

QLineEdit* PreferenceControls::text(const QString& key, const QString& placeholder) {
  auto* field = new QLineEdit;
  field->setPlaceholderText(placeholder);
  add(key, field, Kind::text, [this, field, key] {
    const QSignalBlocker quiet(field);
    field->setText(defaults_.string(key));
  });
  connect(field, &QLineEdit::editingFinished, this, [this, field, key] {
    if (field->text() != defaults_.string(key))
      defaults_.setValue(key, field->text());
  });
  return field;
}

QSlider* PreferenceControls::fraction(const QString& key) {
  auto* slider = new QSlider(Qt::Horizontal);
  slider->setRange(0, kFractionSteps);
  slider->setPageStep(10);
  add(key, slider, Kind::fraction, [this, slider, key] {
    if (slider->isSliderDown())
      return;
    const QSignalBlocker quiet(slider);
    slider->setValue(int(std::lround(fractionValue(key) * kFractionSteps)));
  });
  const auto write = [this, slider, key] {
    const double value = double(slider->value()) / kFractionSteps;
    if (std::abs(value - fractionValue(key)) > 1e-9 || !defaults_.hasStoredValue(key))
      defaults_.setValue(key, value);
  };
  // Keys and clicks on the track write at once; a drag when it ends.
  connect(slider, &QSlider::valueChanged, this, [slider, write] {
    if (!slider->isSliderDown())
      write();
  });
  connect(slider, &QSlider::sliderReleased, this, write);
  return slider;
}

QSpinBox* PreferenceControls::minutes(const QString& key) {
  auto* spin = new QSpinBox;
  spin->setRange(1, 120);
  spin->setSuffix(QStringLiteral(" min"));
  spin->setKeyboardTracking(false);
  add(key, spin, Kind::minutes, [this, spin, key] {
    const QSignalBlocker quiet(spin);
    spin->setValue(int(wholeNumber(key, 60, spin->minimum(), spin->maximum())));
  });
  const ValueTransformer toSeconds = transformers::secondsToMinutesInteger();
  connect(spin, &QSpinBox::valueChanged, this, [this, key, toSeconds](int minutes) {
    defaults_.setValue(key, toSeconds.reverseTransformedValue(minutes));
  });
  return spin;
}

QSpinBox* PreferenceControls::seconds(const QString& key) {
  auto* spin = new QSpinBox;
  spin->setRange(1, 60);
  spin->setSuffix(QStringLiteral(" s"));
  spin->setKeyboardTracking(false);
  add(key, spin, Kind::seconds, [this, spin, key] {
    const QSignalBlocker quiet(spin);
    spin->setValue(int(wholeNumber(key, 1, spin->minimum(), spin->maximum())));
  });
  connect(spin, &QSpinBox::valueChanged, this,
          [this, key](int seconds) { defaults_.setValue(key, seconds); });
  return spin;
}

QComboBox* PreferenceControls::choice(const QString& key,
                                      const std::vector<std::pair<QString, int>>& choices) {
  auto* combo = new QComboBox;
  for (const auto& [text, value] : choices)
    combo->addItem(text, value);
  add(key, combo, Kind::choice, [this, combo, key] {
    const QSignalBlocker quiet(combo);
    const auto indexOf = [combo](const QVariant& value) {
      const auto number = asNumber(value);
      return number && *number == std::trunc(*number) ? combo->findData(int(*number)) : -1;
    };
    int index = indexOf(defaults_.object(key));
    if (index < 0)
      index = indexOf(defaults_.registeredValue(key));
    combo->setCurrentIndex(index);
  });
  connect(combo, &QComboBox::activated, this,
          [this, combo, key](int index) { defaults_.setValue(key, combo->itemData(index)); });
  return combo;
}

} // namespace kr
