#pragma once

#include <QWidget>

#include <array>

class QColor;
class QFont;

class QPushButton;
class QTextCharFormat;

namespace kr {

// A row of five small toggle buttons, drawn as black glyphs, showing the format at a text editor's
// caret: plain ("N", hidden), bold, italics, underline and strike-through.
// The editor wires the buttons to its format actions and keeps their checked
// states in step with the caret.
class TextIndicatorsView : public QWidget {
  Q_OBJECT

public:
  enum Indicator { Plain, Bold, Italics, Underline, StrikeThrough, IndicatorCount };

  static constexpr int kButtonWidth = 24;
  static constexpr int kButtonHeight = 20;
  static constexpr int kButtonGap = 1;
  static constexpr int kWidth = 134;
  static constexpr int kHeight = 26;

  explicit TextIndicatorsView(QWidget* parent = nullptr);

  QPushButton* indicator(Indicator which) const { return buttons_[which]; }
  QPushButton* plainIndicator() const { return buttons_[Plain]; }
  QPushButton* boldIndicator() const { return buttons_[Bold]; }
  QPushButton* italicsIndicator() const { return buttons_[Italics]; }
  QPushButton* underlineIndicator() const { return buttons_[Underline]; }
  QPushButton* strikeThroughIndicator() const { return buttons_[StrikeThrough]; }

  void activatePlainAttributeIndicator();
  void deactivatePlainAttributeIndicator();
  void activateBoldAttributeIndicator();
  void deactivateBoldAttributeIndicator();
  void activateItalicsAttributeIndicator();
  void deactivateItalicsAttributeIndicator();
  void activateUnderlineAttributeIndicator();
  void deactivateUnderlineAttributeIndicator();
  void activateStrikeThroughAttributeIndicator();
  void deactivateStrikeThroughAttributeIndicator();

  // Lights the buttons according to `format`: plain when it has no colour
  // or `textColor` and its font is `defaultFont`; bold and italics by the
  // font; underline and strike-through when set.
  void showFormat(const QTextCharFormat& format, const QFont& defaultFont, const QColor& textColor);

private:
  void initTextBarButtons();

  std::array<QPushButton*, IndicatorCount> buttons_{};
};

} // namespace kr
