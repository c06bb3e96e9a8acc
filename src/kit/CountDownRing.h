#pragma once

#include <QImage>
#include <QRegion>
#include <QSize>

#include <functional>
#include <vector>

class QPainter;

namespace kr {

// The dial's ring at one size, as the pixels it covers. The ring is stroked
// once into an image of the view's size in device pixels and only its
// top-left quarter is kept, row by row: in each row the run of columns the
// ring touches. The other three quarters are drawn as its mirror images.
// Drawing it is copying those runs where they are wanted, and the pixels
// that differ between two sizes are found by comparing their runs.
class CountDownRing {
public:
  // The ring of a view of `viewSize` (logical pixels) painted at `ratio`
  // device pixels per logical one, scaled about the view's centre by `scale`,
  // as stroke() draws it.
  CountDownRing(QSize viewSize, double ratio, double scale, double circleInset);
  CountDownRing(const CountDownRing&) = delete;
  CountDownRing& operator=(const CountDownRing&) = delete;

  double ratio() const { return ratio_; }
  double scale() const { return scale_; }
  // The view's size in device pixels.
  QSize deviceSize() const { return device_; }
  // The bytes the kept pixels take.
  qint64 byteCount() const;

  // Draws the ring as QPainter strokes it, from the view's origin in the
  // painter's current frame: the oval 20 in from the view inset by
  // `circleInset`, 10 wide, stretched over the view and scaled about its centre.
  static void stroke(QPainter& painter, QSizeF viewSize, double scale, double circleInset);

  // Composes the ring over `target` (32-bit RGB or premultiplied ARGB),
  // whose pixel `origin` is the view's top-left one, only inside
  // `deviceClip` (the target's pixels). Answers false, drawing nothing, for
  // another format.
  bool blend(QImage& target, QPoint origin, const QRegion& deviceClip) const;

  // Calls `run(row, first, last)` for each run of device pixels, of each
  // row, where this ring and `other` (of the same device size) differ; runs
  // less than `gap` apart are joined.
  void forEachDifference(const CountDownRing& other, int gap,
                         const std::function<void(int, int, int)>& run) const;

private:
  struct Row {
    int left = 0; // the first column kept, in the quarter
    int count = 0;
    const quint32* pixels = nullptr; // in pixels_
  };
  // The quarter's pixel at column `x` of `row` (transparent outside its run).
  static quint32 pixelAt(const Row& row, int x) {
    const int i = x - row.left;
    return i >= 0 && i < row.count ? row.pixels[i] : 0u;
  }
  // The quarter's row of a device pixel of the view.
  int quarterRow(int y) const { return y < halfHeight_ ? y : device_.height() - 1 - y; }

  double ratio_;
  double scale_;
  QSize device_;
  int halfWidth_;  // the columns of the left half, the middle one among them
  int halfHeight_; // the rows of the top half, the middle one among them
  std::vector<Row> rows_;
  std::vector<quint32> pixels_; // the rows' runs one after another
};

} // namespace kr
