#include "kit/CountDownView.h"

#include "kit/CountDownRing.h"
#include "kit/ProportionValueProvider.h"

#include "art/CountDownStyleKit.h"
#include "engine/Clock.h"

#include "platform/drawing/GraphicsContext.h"

#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

namespace kr {

CountDownView::~CountDownView() = default;

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
  rings_.clear();
  ringSteps_.clear();
  ground_ = QImage();
  update();
}

double CountDownView::ringRadius() const {
  // The ring is drawn in the view inset by the circle inset and stretched over
  // the whole view: its radius in the view is that of the inset drawing,
  // scaled by view / inset size.
  const double inset = std::max(1.0, width() - 2 * kCircleInset);
  return (inset / 2.0 - 20.0) * width() / inset;
}

double CountDownView::pixelRatio() const {
  return paintedRatio_ > 0.0 ? paintedRatio_ : devicePixelRatioF();
}

int CountDownView::ringLevel(double scale) const {
  const double pixels = std::max(1.0, ringRadius() * pixelRatio());
  return static_cast<int>(std::lround((scale - 1.0) * pixels));
}

double CountDownView::drawnScale(double scale) const {
  const double pixels = std::max(1.0, ringRadius() * pixelRatio());
  return 1.0 + ringLevel(scale) / pixels;
}

const CountDownRing& CountDownView::ring(double ratio, double scale) const {
  for (const auto& kept : rings_) {
    if (kept->ratio() == ratio && kept->scale() == scale)
      return *kept;
  }
  // One pulse needs one ring for each pixel of its radius's growth, at each
  // pixel ratio painted at: a few dozen at most; more means a change of
  // screen, and the oldest go.
  constexpr size_t kMostKept = 64;
  if (rings_.size() >= kMostKept)
    rings_.erase(rings_.begin(), rings_.begin() + kMostKept / 2);
  ++ringStrokeCount_;
  rings_.push_back(std::make_unique<CountDownRing>(size(), ratio, scale, kCircleInset));
  return *rings_.back();
}

bool CountDownView::refresh() {
  if (!started_ || paintPending_)
    return false;
  const double angle = endAngleForProportion(std::clamp(proportionNow(), 0.0, 1.0));
  const double scale = drawnScale(pulseScaleNow());
  const bool sliceMoved = std::fabs(angle - paintedAngle_) >= kVisibleAngle;
  const bool ringMoved = scale != paintedScale_;
  if (!sliceMoved && !ringMoved)
    return false;
  // Before the first painting everything is new.
  requestedRegion_ = paintedScale_ > 0.0
                         ? changedRegion(paintedAngle_, paintedScale_, angle, scale) & rect()
                         : QRegion(rect());
  if (requestedRegion_.isEmpty()) {
    // Nothing to paint (a view too small to show the dial): the frame is
    // taken as painted, and no painting is waited for that never comes.
    paintedAngle_ = angle;
    paintedScale_ = scale;
    return true;
  }
  paintPending_ = true;
  update(requestedRegion_);
  return true;
}

namespace {

// Pixels added round every shape: antialiasing, and rounding to whole pixels.
constexpr double kMargin = 4.0;
// The same round an edge that only moved along itself.
constexpr double kEdgeMargin = 2.0;
// The slice's parts are measured in pieces of at most this many degrees and
// this many pixels along the radius.
constexpr double kStep = 5.0;
constexpr double kRadialStep = 16.0;

// Column runs gathered in blocks of rows, made into rectangles: how a region
// of many thin rectangles becomes one of few. Each block's runs are joined
// where close, and blocks one under the other become one band where their
// runs line up and the band covers few pixels more than they did.
class RowBlocks {
public:
  using Runs = std::vector<std::pair<int, int>>;

  // The blocks' runs go in `storage`, emptied first: kept from one frame to
  // the next, it is not allocated again block by block at every frame.
  RowBlocks(int rowHeight, const QRect& bounds, std::vector<Runs>& storage)
      : rows_(std::max(1, rowHeight)), bounds_(bounds), runs_(storage),
        count_(std::max(0, (bounds.height() + rows_ - 1) / rows_)) {
    if (runs_.size() < static_cast<size_t>(count_))
      runs_.resize(static_cast<size_t>(count_));
    for (int block = 0; block < count_; ++block)
      runs_[static_cast<size_t>(block)].clear();
  }

  int count() const { return count_; }
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
  void add(const QRect& rect) { add(rect.top(), rect.bottom(), rect.left(), rect.right()); }
  // Every pixel that `box` touches.
  void add(const QRectF& box) {
    add(static_cast<int>(std::floor(box.top())), lastPixelBefore(box.bottom()),
        static_cast<int>(std::floor(box.left())), lastPixelBefore(box.right()));
  }
  // The last pixel that starts before `edge`.
  static int lastPixelBefore(double edge) { return static_cast<int>(std::ceil(edge)) - 1; }

  // The runs of each block joined where less than `gap` apart; a block and
  // the band above it as one band when that covers fewer than `cost` pixels
  // more for each rectangle it saves.
  QRegion region(int gap, int cost) {
    std::vector<QRect> rects;
    Band open;
    Band next;
    for (int block = 0; block < count(); ++block) {
      next.top = top(block);
      next.bottom = end(block) - 1;
      joinRuns(runs_[static_cast<size_t>(block)], gap, next.runs);
      if (!open.runs.empty() && open.bottom + 1 == next.top && open.absorb(next, cost))
        continue;
      open.addTo(rects);
      std::swap(open, next);
    }
    open.addTo(rects);
    QRegion result;
    // Sorted by row and then by column, apart within a row, the rows of a
    // band alike: already the form a region keeps.
    result.setRects(rects.data(), static_cast<int>(rects.size()));
    return result;
  }

private:
  // Rows top..bottom over the same runs of columns.
  struct Band {
    int top = 0;
    int bottom = -1;
    Runs runs;

    qint64 area() const {
      qint64 columns = 0;
      for (const auto& [from, to] : runs)
        columns += to - from + 1;
      return columns * (bottom - top + 1);
    }
    // Takes in `below`, the band just under this one, when it has as many
    // runs, each run widened to both bands' columns stays apart from the
    // next, and all of them cover fewer than `cost` pixels more per run.
    bool absorb(const Band& below, int cost) {
      if (below.runs.size() != runs.size())
        return false;
      joined_.resize(runs.size());
      qint64 columns = 0;
      for (size_t i = 0; i < runs.size(); ++i) {
        joined_[i] = {std::min(runs[i].first, below.runs[i].first),
                      std::max(runs[i].second, below.runs[i].second)};
        if (i > 0 && joined_[i].first <= joined_[i - 1].second + 1)
          return false;
        columns += joined_[i].second - joined_[i].first + 1;
      }
      const qint64 added = columns * (below.bottom - top + 1) - area() - below.area();
      if (added >= qint64(cost) * qint64(runs.size()))
        return false;
      std::swap(runs, joined_);
      bottom = below.bottom;
      return true;
    }
    void addTo(std::vector<QRect>& rects) const {
      for (const auto& [from, to] : runs)
        rects.emplace_back(from, top, to - from + 1, bottom - top + 1);
    }

  private:
    Runs joined_; // kept for its storage
  };

  // `runs` sorted, and joined where less than `gap` apart into `joined`.
  static void joinRuns(Runs& runs, int gap, Runs& joined) {
    joined.clear();
    std::sort(runs.begin(), runs.end());
    for (const auto& [from, to] : runs) {
      if (!joined.empty() && from - joined.back().second - 1 < gap)
        joined.back().second = std::max(joined.back().second, to);
      else
        joined.emplace_back(from, to);
    }
  }

  int rows_;
  QRect bounds_;
  std::vector<Runs>& runs_;
  int count_;
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
  const QRegion ring = ringRegion(fromScale, toScale);
  if (fromAngle == toAngle)
    return ring;
  const double low = std::min(fromAngle, toAngle);
  const double high = std::max(fromAngle, toAngle);
  if (high - low >= 180.0)
    return QRegion(rect()); // the slice jumped: all of it
  // The ring's region and the slice's are joined into one, block by block:
  // as the union of two regions, each would cut the other's bands.
  RowBlocks blocks(kRepaintRows, rect(), blockRuns_);
  for (const QRect& r : ring)
    blocks.add(r);
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
  return blocks.region(kRepaintGap, kRepaintJoinCost);
}

QRegion CountDownView::ringRegion(double fromScale, double toScale) const {
  const int fromLevel = ringLevel(fromScale);
  const int toLevel = ringLevel(toScale);
  if (fromLevel == toLevel || width() <= 2 * kCircleInset || height() <= 2 * kCircleInset)
    return {};
  const double ratio = pixelRatio();
  const int low = std::min(fromLevel, toLevel);
  const int high = std::max(fromLevel, toLevel);
  for (const RingStep& step : ringSteps_) {
    if (step.ratio == ratio && step.low == low && step.high == high)
      return step.region;
  }
  // The pixels where the ring's drawings at the two sizes differ, from the
  // pixels kept for each, in rows of device pixels made logical ones. The
  // pulse takes the same few steps again and again: each is worked out once.
  RowBlocks blocks(kRepaintRows, rect(), blockRuns_);
  const CountDownRing& from = ring(ratio, drawnScale(fromScale));
  const CountDownRing& to = ring(ratio, drawnScale(toScale));
  const int gap = static_cast<int>(std::ceil(kRepaintGap * ratio));
  // At a fractional ratio the ring is stroked whole rather than copied from
  // its mirrored quarter, and its antialiasing is not quite symmetrical: a
  // device pixel more round each run takes that in.
  const int spread = std::floor(ratio) == ratio ? 0 : 1;
  from.forEachDifference(to, gap, [&](int y, int first, int last) {
    blocks.add(static_cast<int>(std::floor((y - spread) / ratio)),
               RowBlocks::lastPixelBefore((y + 1 + spread) / ratio),
               static_cast<int>(std::floor((first - spread) / ratio)),
               RowBlocks::lastPixelBefore((last + 1 + spread) / ratio));
  });
  constexpr size_t kMostSteps = 128;
  if (ringSteps_.size() >= kMostSteps)
    ringSteps_.erase(ringSteps_.begin(), ringSteps_.begin() + kMostSteps / 2);
  ringSteps_.push_back({ratio, low, high, blocks.region(kRepaintGap, kRepaintJoinCost)});
  return ringSteps_.back().region;
}

void CountDownView::paintEvent(QPaintEvent* event) {
  ++paintCount_;
  paintPending_ = false;
  // The painter keeps to the region asked for already (its system clip): a
  // clip set here as well would make the paint engine lay out the region's
  // spans a second time.
  QPainter painter(this);
  if (!started_) {
    painter.fillRect(rect(), Qt::black);
    return;
  }
  paintedAngle_ = endAngleForProportion(std::clamp(proportionNow(), 0.0, 1.0));
  // The regions to repaint are worked out in the pixels this painting goes
  // to, which need not be the screen's the view reports (a painting into an
  // image of its own ratio).
  const double ratio = painter.deviceTransform().m11();
  paintedRatio_ = ratio > 0.0 ? ratio : devicePixelRatioF();
  paintedScale_ = drawnScale(pulseScaleNow());
  QPoint origin;
  if (QImage* image = directTarget(painter, &origin)) {
    // The ground, the slice and the ring copied from what is kept, without
    // the paint engine: it would lay out the region's spans row by row and
    // rasterize the whole slice for the few pixels of it that changed.
    QRegion clip = painter.deviceTransform().map(event->region() & rect());
    const QRegion system = painter.paintEngine()->systemClip();
    if (!system.isEmpty())
      clip &= system;
    copyGround(*image, origin, clip);
    ring(ratio, paintedScale_).blend(*image, origin, clip);
    return;
  }
  painter.fillRect(rect(), Qt::black);
  painter.setRenderHint(QPainter::Antialiasing);
  {
    ++sliceDrawCount_;
    GraphicsContext context(&painter, height());
    GraphicsContext::Scope scope(context);
    CountDownStyleKit::drawSlice(QRectF(rect()), 90.0, paintedAngle_);
  }
  // The ring lies over the slice.
  drawRing(painter);
}

QImage* CountDownView::directTarget(QPainter& painter, QPoint* origin) const {
  const QTransform& device = painter.deviceTransform();
  QPaintEngine* engine = painter.paintEngine();
  const double ratio = device.m11();
  if (!engine || engine->type() != QPaintEngine::Raster || !engine->paintDevice() ||
      engine->paintDevice()->devType() != QInternal::Image || device.type() > QTransform::TxScale ||
      device.m22() != ratio || ratio < 1.0 || std::floor(ratio) != ratio ||
      std::floor(device.dx()) != device.dx() || std::floor(device.dy()) != device.dy())
    return nullptr;
  auto* image = static_cast<QImage*>(engine->paintDevice());
  if (image->format() != QImage::Format_RGB32 &&
      image->format() != QImage::Format_ARGB32_Premultiplied)
    return nullptr;
  *origin = QPoint(static_cast<int>(device.dx()), static_cast<int>(device.dy()));
  return image;
}

const QImage& CountDownView::ground(double ratio, double angle) {
  const QSize device = (QSizeF(size()) * ratio).toSize();
  QRect changed; // in logical pixels
  if (ground_.size() != device || ground_.devicePixelRatio() != ratio) {
    // 32-bit as the screen's image: the paint engine fills it on its fast
    // path, and a frame copies its rows as they are.
    ground_ = QImage(device, QImage::Format_RGB32);
    ground_.setDevicePixelRatio(ratio);
    changed = rect();
  } else if (angle != groundAngle_) {
    // Where the slice moved, its edges' antialiasing included; the ring
    // keeps its size here, so its part of the region is empty.
    const double scale = drawnScale(1.0);
    changed = changedRegion(groundAngle_, scale, angle, scale).boundingRect() & rect();
  }
  groundAngle_ = angle;
  if (changed.isEmpty() || ground_.isNull())
    return ground_;
  ++sliceDrawCount_;
  QPainter painter(&ground_);
  painter.setClipRect(changed);
  painter.fillRect(changed, Qt::black);
  painter.setRenderHint(QPainter::Antialiasing);
  GraphicsContext context(&painter, height());
  GraphicsContext::Scope scope(context);
  CountDownStyleKit::drawSlice(QRectF(rect()), 90.0, angle);
  return ground_;
}

void CountDownView::copyGround(QImage& target, QPoint origin, const QRegion& deviceClip) {
  const QImage& ground = this->ground(paintedRatio_, paintedAngle_);
  const QRect view(origin, ground.size());
  uchar* const bits = target.bits(); // detaches once, not at every row
  const qsizetype stride = target.bytesPerLine();
  for (const QRect& clip : deviceClip) {
    const QRect area = clip & view & target.rect();
    if (area.isEmpty())
      continue;
    const size_t bytes = static_cast<size_t>(area.width()) * sizeof(quint32);
    for (int y = area.top(); y <= area.bottom(); ++y) {
      std::memcpy(bits + y * stride + area.left() * qsizetype(sizeof(quint32)),
                  ground.constScanLine(y - origin.y()) +
                      (area.left() - origin.x()) * qsizetype(sizeof(quint32)),
                  bytes);
    }
  }
}

void CountDownView::drawRing(QPainter& painter) const {
  ++ringStrokeCount_;
  CountDownRing::stroke(painter, QSizeF(size()), paintedScale_, kCircleInset);
}

} // namespace kr
