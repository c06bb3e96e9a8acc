#pragma once

#include <QRectF>
#include <QWidget>

namespace kr {

// A view whose intrinsic size is the size of the frame it was made with.
class ViewWithInstrinsicSize : public QWidget {
  Q_OBJECT

public:
  explicit ViewWithInstrinsicSize(const QRectF& frame, QWidget* parent = nullptr);
  QSize sizeHint() const override { return size_; }

private:
  QSize size_;
};

} // namespace kr
