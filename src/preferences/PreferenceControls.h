#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <utility>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSlider;
class QSpinBox;
class QWidget;

namespace kr {

class UserDefaults;

// Makes the controls of the preferences window, each tied to one settings
// key: it shows the key's value, follows changes made elsewhere and writes
// what the user does. A stored value a control cannot show (not a number,
// beyond its range, not one of its choices) shows the registered value.
class PreferenceControls final : public QObject {
  Q_OBJECT

public:
  enum class Kind { check, text, fraction, minutes, seconds, choice, other };
  struct Bound {
    QString key;
    QWidget* control;
    Kind kind;
  };

  explicit PreferenceControls(UserDefaults& defaults, QObject* parent = nullptr);

  QCheckBox* check(const QString& text, const QString& key);
  // Written when editing ends (Return or the focus leaving).
  QLineEdit* text(const QString& key, const QString& placeholder = {});
  // 0.0 to 1.0 in hundredths; a drag writes once, when the slider is let go.
  QSlider* fraction(const QString& key);
  // Stored as seconds, shown in whole minutes (1 to 120).
  QSpinBox* minutes(const QString& key);
  // Whole seconds (1 to 60).
  QSpinBox* seconds(const QString& key);
  // One of the given texts, each standing for a stored number.
  QComboBox* choice(const QString& key, const std::vector<std::pair<QString, int>>& choices);
  // Runs refresh now and whenever the key changes; the control is listed.
  void follow(const QString& key, QWidget* control, std::function<void()> refresh);

  const std::vector<Bound>& bound() const { return bound_; }
  UserDefaults& defaults() const { return defaults_; }

  // A fraction stored under key, or the registered one when the stored value
  // is not a number from 0 to 1.
  double fractionValue(const QString& key) const;

private:
  void add(const QString& key, QWidget* control, Kind kind, std::function<void()> refresh);
  qint64 wholeNumber(const QString& key, qint64 divisor, qint64 minimum, qint64 maximum) const;

  UserDefaults& defaults_;
  std::vector<Bound> bound_;
  std::vector<std::pair<QString, std::function<void()>>> refreshers_;
};

} // namespace kr
