#pragma once

#include "shortcuts/DoubleTapDetector.h"
#include "shortcuts/SwiftKeyCombo.h"

#include <QColor>
#include <QWidget>

#include <functional>
#include <optional>

namespace kr {

class RecordViewClearButton;
class RecordViewDelegate;

// The control in which a shortcut is recorded: a rounded field with the four
// modifier names and the key of the combo, and a clear button at its right.
// A click or the space bar starts recording; a key with Ctrl, Alt or Super
// (or any function key), or a modifier tapped twice, ends it with a new
// combo; Escape ends it keeping the old one. While recording it takes every
// key before the window's shortcuts and keeps the focus on Tab.
class RecordView final : public QWidget {
  Q_OBJECT

public:
  explicit RecordView(QWidget* parent = nullptr);
  ~RecordView() override;

  // The field and its border follow the palette (its base, and an edge that
  // stands out from the window round the field) until given colours of their
  // own.
  QColor backgroundColor() const;
  void setBackgroundColor(const QColor& color);
  QColor tintColor() const { return tintColor_; }
  void setTintColor(const QColor& color);
  QColor borderColor() const;
  void setBorderColor(const QColor& color);
  qreal borderWidth() const { return borderWidth_; }
  void setBorderWidth(qreal width);
  qreal cornerRadius() const { return cornerRadius_; }
  void setCornerRadius(qreal radius);
  bool showsClearButton() const { return showsClearButton_; }
  void setShowsClearButton(bool shows);

  // Not owned; must outlive the view or be unset first.
  void setDelegate(RecordViewDelegate* delegate) { delegate_ = delegate; }
  // Called with the new combo, or none when cleared.
  std::function<void(const std::optional<SwiftKeyCombo>&)> didChange;

  bool isRecording() const { return recording_; }
  const std::optional<SwiftKeyCombo>& keyCombo() const { return keyCombo_; }
  // Shows the combo; calls nothing.
  void setKeyCombo(const std::optional<SwiftKeyCombo>& combo);
  // The modifiers held while recording (Carbon values).
  int inputModifiers() const { return inputModifiers_; }

  bool beginRecording();
  void endRecording();
  void clear();
  void clearAndEndRecording();

  RecordViewClearButton* clearButton() const { return clearButton_; }
  // The four modifier names as drawn, in order.
  static const QStringList kModifierNames;
  // The Carbon value of each name.
  static const int kModifierValues[4];

  QSize sizeHint() const override;

Q_SIGNALS:
  void recordingChanged(bool recording);
  // The view took or lost the keyboard focus.
  void focusChanged(bool focused);

protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void changeEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

private:
  void record(const SwiftKeyCombo& combo);
  void modifiersChanged(int held);
  void placeClearButton();
  std::optional<int> keyCodeOf(const QKeyEvent& event) const;

  std::optional<QColor> backgroundColor_;
  QColor tintColor_;
  std::optional<QColor> borderColor_;
  qreal borderWidth_ = 1.0;
  qreal cornerRadius_ = 0.0;
  bool showsClearButton_ = true;
  RecordViewDelegate* delegate_ = nullptr;
  bool recording_ = false;
  std::optional<SwiftKeyCombo> keyCombo_;
  int inputModifiers_ = 0;
  DoubleTapDetector detector_;
  RecordViewClearButton* clearButton_;
};

} // namespace kr
