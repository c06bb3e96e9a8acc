#pragma once

#include <QScrollArea>
#include <QString>

namespace kr {

// The pads' scroll view: a scroll view that names the colour setting of the
// pad it shows. It draws no vibrancy and has no other behaviour.
class PadScrollView : public QScrollArea {
  Q_OBJECT

public:
  explicit PadScrollView(QWidget* parent = nullptr);

  // Puts `view` into a new scroll view as its document view; the scroll view
  // resists vertical compression at 750. The caller adds and constrains it.
  static PadScrollView* wrap(QWidget* view);

  QString backgroundColorPreferencesKey() const { return backgroundColorPreferencesKey_; }
  void setBackgroundColorPreferencesKey(const QString& key) {
    backgroundColorPreferencesKey_ = key;
  }
  bool allowsVibrancy() const { return false; }

private:
  QString backgroundColorPreferencesKey_;
};

} // namespace kr
