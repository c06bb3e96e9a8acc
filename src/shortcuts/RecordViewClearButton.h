#pragma once

#include <QAbstractButton>

namespace kr {

// The recorder's small round clear button: a grey disc with a white cross
// ("clear-off"), darker while pressed ("clear-on").
class RecordViewClearButton final : public QAbstractButton {
public:
  explicit RecordViewClearButton(QWidget* parent);

  // The two images at a side length, as the recorder draws them.
  static QPixmap image(bool pressed, int side, qreal devicePixelRatio);

protected:
  void paintEvent(QPaintEvent* event) override;
};

} // namespace kr
