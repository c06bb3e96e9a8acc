#pragma once

#include <QValidator>

#include <optional>

namespace kr {

// Keeps a text field to whole numbers: refuses a keystroke that would leave
// anything but an optional sign and decimal digits (a 64-bit number), or a
// number above the maximum. An empty text is allowed; the minimum is not
// enforced while typing, so smaller numbers can be passed on the way.
class IntegerValidatingNumberFormatter : public QValidator {
  Q_OBJECT

public:
  explicit IntegerValidatingNumberFormatter(QObject* parent = nullptr);

  std::optional<qint64> minimum() const { return minimum_; }
  void setMinimum(std::optional<qint64> minimum) { minimum_ = minimum; }
  std::optional<qint64> maximum() const { return maximum_; }
  void setMaximum(std::optional<qint64> maximum) { maximum_ = maximum; }

  bool isPartialStringValid(const QString& text) const;
  State validate(QString& input, int& position) const override;

private:
  std::optional<qint64> minimum_ = 0;
  std::optional<qint64> maximum_;
};

} // namespace kr
