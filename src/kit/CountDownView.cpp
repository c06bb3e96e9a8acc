#include "kit/CountDownView.h"

#include "kit/ProportionValueProvider.h"

#include "art/CountDownStyleKit.h"
#include "engine/Clock.h"

#include "platform/drawing/GraphicsContext.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace kr {

CountDownView::CountDownView(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setObjectName(QStringLiteral("CountDownView"));
}

void CountDownView::setUp() { layerHierarchyCreated_ = true; }

void CountDownView::animate(double duration) {
  setUp();
  totalTime_ = duration;
  startTime_ = Clock::now();
  started_ = true;
  update();
}

double CountDownView::endAngleForProportion(double proportion) { return 90.0 - 360.0 * proportion; }

double CountDownView::secondsSinceStart() const {
  return started_ ? std::max(0.0, Clock::now() - startTime_) : 0.0;
}

double CountDownView::proportionNow() const {
  if (provider_)
    return provider_->currentProportion();
  if (totalTime_ <= 0.0)
    return 1.0;
  const double timeLeft = std::max(0.0, totalTime_ - secondsSinceStart());
  return 1.0 - timeLeft / totalTime_;
}

double CountDownView::pulseScaleNow() const {
  const double t = secondsSinceStart();
  if (!started_ || t >= 2.0 * kPulseSeconds * kPulseRepeats)
    return 1.0;
  const double phase = std::fmod(t, 2.0 * kPulseSeconds) / kPulseSeconds; // 0..2
  const double x = phase <= 1.0 ? phase : 2.0 - phase;
  const double eased = 0.5 - 0.5 * std::cos(M_PI * x);
  return 1.0 + (kPulseScale - 1.0) * eased;
}

void CountDownView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  update();
}

double CountDownView::ringRadius() const {
  // The ring is drawn in the view inset by the circle inset and stretched over
  // the whole view: its radius in the view is that of the inset drawing,
  // scaled by view / inset size.
  const double inset = std::max(1.0, width() - 2 * kCircleInset);
  return (inset / 2.0 - 20.0) * width() / inset;
}

bool CountDownView::refresh() {
  if (!started_ || paintPending_)
    return false;
  const double angle = endAngleForProportion(std::clamp(proportionNow(), 0.0, 1.0));
  const double scale = pulseScaleNow();
  const bool sliceMoved = std::fabs(angle - paintedAngle_) >= kVisibleAngle;
  const bool ringMoved = std::fabs(scale - paintedScale_) * ringRadius() >= kVisibleRadius;
  if (!sliceMoved && !ringMoved)
    return false;
  paintPending_ = true;
  // Before the first painting everything is new.
  requestedRegion_ = paintedScale_ > 0.0
                         ? changedRegion(paintedAngle_, paintedScale_, angle, scale) & rect()
                         : QRegion(rect());
  update(requestedRegion_);
  return true;
}

namespace {

// Pixels added round every shape: antialiasing, and rounding to whole pixels.
constexpr double kMargin = 4.0;
// The same round an edge that only moved along itself.
constexpr double kEdgeMargin = 2.0;
// Round the ring's edges, worked out from the exact ellipses: their antialiasing.
constexpr double kRingEdgeMargin = 1.0;
// The slice's parts are measured in pieces of at most this many degrees and
// this many pixels along the radius.
constexpr double kStep = 5.0;
constexpr double kRadialStep = 16.0;

// Column runs gathered in blocks of rows, made into one rectangle per run and
// block: how a region of many thin rectangles becomes one of few.
class RowBlocks {
public:
  RowBlocks(int rowHeight, const QRect& bounds)
      : rows_(std::max(1, rowHeight)), bounds_(bounds),
        runs_(static_cast<size_t>(std::max(0, (bounds.height() + rows_ - 1) / rows_))) {}

  int count() const { return static_cast<int>(runs_.size()); }
  int top(int block) const { return bounds_.top() + block * rows_; }
  // The row after the block's last one.
  int end(int block) const { return std::min(top(block) + rows_, bounds_.bottom() + 1); }

  // Columns left..right of rows top..bottom, all counted in.
  void add(int top, int bottom, int left, int right) {
    top = std::max(top, bounds_.top());
    bottom = std::min(bottom, bounds_.bottom());
    left = std::max(left, bounds_.left());
    right = std::min(right, bounds_.right());
    if (top > bottom || left > right)
      return;
    for (int block = (top - bounds_.top()) / rows_; block <= (bottom - bounds_.top()) / rows_;
         ++block)
      runs_[static_cast<size_t>(block)].emplace_back(left, right);
  }
  // Every pixel that `box` touches.
  void add(const QRectF& box) {
    add(static_cast<int>(std::floor(box.top())), lastPixelBefore(box.bottom()),
        static_cast<int>(std::floor(box.left())), lastPixelBefore(box.right()));
  }
  // The last pixel that starts before `edge`.
  static int lastPixelBefore(double edge) { return static_cast<int>(std::ceil(edge)) - 1; }

  // The runs of each block joined where less than `gap` apart.
  QRegion region(int gap) {
    std::vector<QRect> rects;
    for (int block = 0; block < count(); ++block) {
      auto& runs = runs_[static_cast<size_t>(block)];
      if (runs.empty())
        continue;
      std::sort(runs.begin(), runs.end());
      const int y = top(block);
      const int height = end(block) - y;
      int left = runs.front().first;
      int right = runs.front().second;
      for (const auto& [from, to] : runs) {
        if (from - right - 1 >= gap) {
          rects.emplace_back(left, y, right - left + 1, height);
          left = from;
        }
        right = std::max(right, to);
      }
      rects.emplace_back(left, y, right - left + 1, height);
    }
    QRegion result;
    // Sorted by row and then by column, apart within a row, the rows of a
    // block alike: already the form a region keeps.
    result.setRects(rects.data(), static_cast<int>(rects.size()));
    return result;
  }

private:
  int rows_;
  QRect bounds_;
  std::vector<std::vector<std::pair<int, int>>> runs_;
};

// The point at `degrees` (counter-clockwise from three o'clock) of the
// ellipse with radii rx, ry round the origin, in the view's y-down frame.
QPointF along(double degrees, double rx, double ry) {
  const double a = degrees * M_PI / 180.0;
  return {rx * std::cos(a), -ry * std::sin(a)};
}

// Adds the part of the ring round `centre` between the ellipses `inner` and
// `outer` (their radii) and the angles from..to, widened by `grow`. Cut at
// the axes and in steps of kStep, each piece lies in its corners' box.
void addRingPart(RowBlocks& blocks, QPointF centre, double from, double to, QSizeF inner,
                 QSizeF outer, double grow) {
  const int steps = std::max(1, static_cast<int>(std::ceil((to - from) / kStep)));
  double a = from;
  for (int i = 1; i <= steps; ++i) {
    double b = from + (to - from) * i / steps;
    // An axis within the piece ends it there; the rest is the next piece's.
    const double axis = std::floor(b / 90.0) * 90.0;
    if (axis > a && axis < b) {
      b = axis;
      --i;
    }
    QRectF box(centre + along(a, inner.width(), inner.height()), QSizeF(0, 0));
    for (const QPointF p :
         {along(b, inner.width(), inner.height()), along(a, outer.width(), outer.height()),
          along(b, outer.width(), outer.height())}) {
      const QPointF q = centre + p;
      box.setLeft(std::min(box.left(), q.x()));
      box.setRight(std::max(box.right(), q.x()));
      box.setTop(std::min(box.top(), q.y()));
      box.setBottom(std::max(box.bottom(), q.y()));
    }
    blocks.add(box.adjusted(-grow, -grow, grow, grow));
    a = b;
  }
}

} // namespace

QRegion CountDownView::changedRegion(double fromAngle, double fromScale, double toAngle,
                                     double toScale) const {
  const double w = width();
  const double h = height();
  RowBlocks blocks(kRepaintRows, rect());
  const QSizeF inset(w - 2 * kCircleInset, h - 2 * kCircleInset);
  if (fromScale != toScale && inset.width() > 0 && inset.height() > 0) {
    // The ring: an oval 20 in from the inset square, stroked 10 wide, then
    // stretched over the view and scaled about the centre.
    const QPointF centre = QRectF(rect()).center();
    const double sx = w / inset.width();
    const double sy = h / inset.height();
    const double low = std::min(fromScale, toScale);
    const double high = std::max(fromScale, toScale);
    // Where the stroke is white at both sizes nothing changes: only the bands
    // its two edges moved through are repainted. An edge stands `in` from
    // the sides of the inset square before scaling. Each block of rows takes
    // where the band crosses it, worked out from the ellipses.
    auto band = [&](double in) {
      const double outX = (inset.width() / 2.0 - in) * high * sx + kRingEdgeMargin;
      const double outY = (inset.height() / 2.0 - in) * high * sy + kRingEdgeMargin;
      const double inX = (inset.width() / 2.0 - in) * low * sx - kRingEdgeMargin;
      const double inY = (inset.height() / 2.0 - in) * low * sy - kRingEdgeMargin;
      for (int block = 0; block < blocks.count(); ++block) {
        const double top = blocks.top(block) - centre.y();
        const double bottom = blocks.end(block) - centre.y();
        const double nearest =
            top <= 0.0 && bottom >= 0.0 ? 0.0 : std::min(std::fabs(top), std::fabs(bottom));
        const double farthest = std::max(std::fabs(top), std::fabs(bottom));
        if (nearest >= outY)
          continue;
        // The widest the outer edge reaches in these rows, and the narrowest
        // the inner one does: what lies within that is inside at every row.
        const double outer = outX * std::sqrt(1.0 - (nearest / outY) * (nearest / outY));
        const double inner = inX > 0.0 && inY > 0.0 && farthest < inY
                                 ? inX * std::sqrt(1.0 - (farthest / inY) * (farthest / inY))
                                 : 0.0;
        const int first = blocks.top(block);
        const int last = blocks.end(block) - 1;
        const int outerLeft = static_cast<int>(std::floor(centre.x() - outer));
        const int outerRight = RowBlocks::lastPixelBefore(centre.x() + outer);
        if (inner < 1.0) {
          blocks.add(first, last, outerLeft, outerRight);
        } else {
          blocks.add(first, last, outerLeft, RowBlocks::lastPixelBefore(centre.x() - inner));
          blocks.add(first, last, static_cast<int>(std::floor(centre.x() + inner)), outerRight);
        }
      }
    };
    band(15.0);
    band(25.0);
  }
  if (fromAngle != toAngle) {
    const double low = std::min(fromAngle, toAngle);
    const double high = std::max(fromAngle, toAngle);
    if (high - low >= 180.0)
      return QRegion(rect()); // the slice jumped: all of it
    // The slice: a sector of the ellipse inscribed in the slice rectangle
    // (whose corner is given from the bottom); between the two edges it swept,
    // each edge moved out by the margin, the apex covered too.
    const QRectF s = CountDownStyleKit::sliceRect(QRectF(0, 0, w, h));
    const QPointF centre(s.center().x(), h - s.center().y());
    const double rx = s.width() / 2.0 + kMargin;
    const double ratio = s.height() / s.width();
    for (double r = 0.0; r < rx; r += kRadialStep) {
      const double outer = std::min(rx, r + kRadialStep);
      addRingPart(blocks, centre, low, high, QSizeF(r, r * ratio), QSizeF(outer, outer * ratio),
                  kMargin);
    }
    // The slice's rim back to the quarter the slice ended in: its curve is
    // drawn in pieces, a whole one per quarter of the dial already passed and
    // a last one that depends on how far it reaches, so the last one's edge
    // pixels may all change.
    const double start = std::min(90.0, std::ceil(high / 90.0) * 90.0);
    const double rim = s.width() / 2.0;
    addRingPart(blocks, centre, low, start, QSizeF(rim, rim * ratio), QSizeF(rim, rim * ratio),
                kEdgeMargin);
  }
  return blocks.region(kRepaintGap);
}

void CountDownView::paintEvent(QPaintEvent* event) {
  ++paintCount_;
  paintPending_ = false;
  QPainter painter(this);
  painter.setClipRegion(event->region());
  painter.fillRect(rect(), Qt::black);
  if (!started_)
    return;
  paintedAngle_ = endAngleForProportion(std::clamp(proportionNow(), 0.0, 1.0));
  paintedScale_ = pulseScaleNow();
  painter.setRenderHint(QPainter::Antialiasing);
  GraphicsContext context(&painter, height());
  GraphicsContext::Scope scope(context);
  CountDownStyleKit::drawSlice(QRectF(rect()), 90.0, paintedAngle_);
  // The ring is drawn as in the view inset by the circle inset, stretched over
  // the whole view and scaled about the centre by the pulse.
  const QSizeF inset(width() - 2 * kCircleInset, height() - 2 * kCircleInset);
  if (inset.width() <= 0 || inset.height() <= 0)
    return;
  const QPointF centre = QRectF(rect()).center();
  context.saveState();
  context.translate(centre.x(), height() - centre.y());
  context.scale(paintedScale_ * width() / inset.width(), paintedScale_ * height() / inset.height());
  context.translate(-inset.width() / 2.0, -inset.height() / 2.0);
  CountDownStyleKit::drawOuterCircle(QRectF(QPointF(0, 0), inset));
  context.restoreState();
}

} // namespace kr
