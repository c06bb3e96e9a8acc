#include "kit/CountDownRing.h"

#include "art/CountDownStyleKit.h"
#include "platform/drawing/GraphicsContext.h"

#include <QPainter>

#include <algorithm>

namespace kr {

namespace {

// x times a / 255 in each byte, rounded as the raster engine does it.
quint32 byteMul(quint32 x, quint32 a) {
  quint32 t = (x & 0xff00ffu) * a;
  t = (t + ((t >> 8) & 0xff00ffu) + 0x800080u) >> 8;
  t &= 0xff00ffu;
  x = ((x >> 8) & 0xff00ffu) * a;
  x = x + ((x >> 8) & 0xff00ffu) + 0x800080u;
  x &= 0xff00ff00u;
  return x | t;
}

} // namespace

void CountDownRing::stroke(QPainter& painter, QSizeF viewSize, double scale, double circleInset) {
  const QSizeF inset(viewSize.width() - 2 * circleInset, viewSize.height() - 2 * circleInset);
  if (inset.width() <= 0 || inset.height() <= 0)
    return;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  GraphicsContext context(&painter, viewSize.height());
  GraphicsContext::Scope scope(context);
  context.translate(viewSize.width() / 2.0, viewSize.height() / 2.0);
  context.scale(scale * viewSize.width() / inset.width(),
                scale * viewSize.height() / inset.height());
  context.translate(-inset.width() / 2.0, -inset.height() / 2.0);
  CountDownStyleKit::drawOuterCircle(QRectF(QPointF(0, 0), inset));
  painter.restore();
}

CountDownRing::CountDownRing(QSize viewSize, double ratio, double scale, double circleInset)
    : ratio_(ratio), scale_(scale), device_((QSizeF(viewSize) * ratio).toSize()),
      halfWidth_((device_.width() + 1) / 2), halfHeight_((device_.height() + 1) / 2) {
  if (device_.isEmpty())
    return;
  // Only the top-left quarter is drawn: the image's edges clip the rest. The
  // image is drawn in again for each ring: made anew each time, it would
  // leave the heap with holes among the rings' pixels.
  static QImage scratch;
  const QSize quarter(halfWidth_, halfHeight_);
  if (scratch.size() != quarter)
    scratch = QImage(quarter, QImage::Format_ARGB32_Premultiplied);
  scratch.setDevicePixelRatio(ratio);
  scratch.fill(Qt::transparent);
  {
    QPainter painter(&scratch);
    stroke(painter, QSizeF(viewSize), scale, circleInset);
  }
  rows_.resize(static_cast<size_t>(halfHeight_));
  for (int y = 0; y < halfHeight_; ++y) {
    const auto* line = reinterpret_cast<const quint32*>(scratch.constScanLine(y));
    int first = 0;
    while (first < halfWidth_ && line[first] == 0)
      ++first;
    if (first == halfWidth_)
      continue;
    int last = halfWidth_ - 1;
    while (line[last] == 0)
      --last;
    rows_[static_cast<size_t>(y)].left = first;
    rows_[static_cast<size_t>(y)].count = last - first + 1;
  }
  size_t total = 0;
  for (const Row& row : rows_)
    total += static_cast<size_t>(row.count);
  pixels_.resize(total);
  size_t at = 0;
  for (int y = 0; y < halfHeight_; ++y) {
    Row& row = rows_[static_cast<size_t>(y)];
    const auto* line = reinterpret_cast<const quint32*>(scratch.constScanLine(y));
    std::copy(line + row.left, line + row.left + row.count, pixels_.begin() + std::ptrdiff_t(at));
    row.pixels = pixels_.data() + at;
    at += static_cast<size_t>(row.count);
  }
}

qint64 CountDownRing::byteCount() const {
  return static_cast<qint64>(pixels_.size() * sizeof(quint32));
}

bool CountDownRing::blend(QImage& target, QPoint origin, const QRegion& deviceClip) const {
  const QImage::Format format = target.format();
  if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32_Premultiplied)
    return false;
  const quint32 opaque = format == QImage::Format_RGB32 ? 0xff000000u : 0u;
  const QRect view(origin, device_);
  uchar* const bits = target.bits(); // detaches once, not at every row
  const qsizetype stride = target.bytesPerLine();
  for (const QRect& clip : deviceClip) {
    const QRect area = clip & view & target.rect();
    if (area.isEmpty())
      continue;
    const int fromX = area.left() - origin.x();
    const int toX = area.right() - origin.x();
    for (int y = area.top(); y <= area.bottom(); ++y) {
      const Row& row = rows_[static_cast<size_t>(quarterRow(y - origin.y()))];
      if (row.count == 0)
        continue;
      auto* line = reinterpret_cast<quint32*>(bits + y * stride) + origin.x();
      const int runEnd = row.left + row.count; // past the last
      // Columns from..to of the line from the quarter's pixels, read forwards
      // from `first` (the one for `from`) or, mirrored, backwards.
      auto compose = [&](int from, int to, int first, bool mirrored) {
        if (from > to)
          return;
        const quint32* source = row.pixels + (first - row.left);
        const std::ptrdiff_t step = mirrored ? -1 : 1;
        for (int x = from; x <= to; ++x, source += step) {
          const quint32 pixel = *source;
          const quint32 alpha = pixel >> 24;
          if (alpha == 255)
            line[x] = pixel;
          else if (alpha != 0)
            line[x] = (pixel + byteMul(line[x], 255 - alpha)) | opaque;
        }
      };
      // The run in the left half, and its mirror image in the right half.
      const int leftFrom = std::max(fromX, row.left);
      compose(leftFrom, std::min({toX, runEnd - 1, halfWidth_ - 1}), leftFrom, false);
      const int w = device_.width();
      const int rightFrom = std::max({fromX, w - runEnd, halfWidth_});
      compose(rightFrom, std::min(toX, w - 1 - row.left), w - 1 - rightFrom, true);
    }
  }
  return true;
}

void CountDownRing::forEachDifference(const CountDownRing& other, int gap,
                                      const std::function<void(int, int, int)>& run) const {
  if (other.device_ != device_ || rows_.empty())
    return;
  const int w = device_.width();
  std::vector<std::pair<int, int>> runs;
  for (int q = 0; q < halfHeight_; ++q) {
    const Row& a = rows_[static_cast<size_t>(q)];
    const Row& b = other.rows_[static_cast<size_t>(q)];
    if (a.count == 0 && b.count == 0)
      continue;
    int from = halfWidth_;
    int to = -1;
    for (const Row* row : {&a, &b}) {
      if (row->count == 0)
        continue;
      from = std::min(from, row->left);
      to = std::max(to, row->left + row->count - 1);
    }
    runs.clear();
    for (int x = from; x <= to; ++x) {
      if (pixelAt(a, x) == pixelAt(b, x))
        continue;
      if (!runs.empty() && x - runs.back().second - 1 < gap)
        runs.back().second = x;
      else
        runs.emplace_back(x, x);
    }
    if (runs.empty())
      continue;
    // The quarter's row stands for a row of the top half and its mirror
    // image in the bottom half (one row when they meet in the middle).
    const int top = q;
    const int bottom = device_.height() - 1 - q;
    for (const int y : {top, bottom}) {
      if (y == bottom && bottom < halfHeight_)
        break;
      for (const auto& [first, last] : runs) {
        run(y, first, last);
        const int mirroredFirst = std::max(w - 1 - last, halfWidth_);
        if (mirroredFirst <= w - 1 - first)
          run(y, mirroredFirst, w - 1 - first);
      }
    }
  }
}

} // namespace kr
