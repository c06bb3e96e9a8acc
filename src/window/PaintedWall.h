#pragma once

#include <QWidget>

#include <functional>

class QPainter;

namespace kr {

// A wall whose drawing is a function of its bounds.
class PaintedWall final : public QWidget {
public:
  using Drawing = std::function<void(QPainter&, const QRectF&)>;
  explicit PaintedWall(Drawing drawing, QWidget* parent = nullptr);

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  Drawing drawing_;
};

} // namespace kr
