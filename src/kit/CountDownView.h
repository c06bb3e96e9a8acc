#pragma once

#include <QRegion>
#include <QWidget>

#include <memory>
#include <utility>
#include <vector>

namespace kr {

class CountDownRing;
class ProportionValueProvider;

// The large dial of the rest screen: on black, a white ring that pulses
// gently and a white slice that turns once round as the break runs out. The
// owner calls refresh() as often as it likes (the rest screen does so every
// half second, and at its next ticks while nothing moved); the view repaints only when the slice or
// the ring moved by a visible amount, and then only where they moved. Each drawing reads the time
// from the application clock, so the view has no timer. The black ground
// with the slice on it is kept in an image of the view's device pixels and
// drawn again only where the slice moved; the ring's radius goes in whole device pixels, and the
// pixels of the ring at each radius are kept once drawn (see CountDownRing).
// A frame copies both into the painted image only where it repaints.
class CountDownView : public QWidget {
public:
  static constexpr double kCircleInset = 100.0;
  static constexpr double kPulseSeconds = 3.0;
  static constexpr double kPulseScale = 1.05;
  static constexpr int kPulseRepeats = 1000;

  explicit CountDownView(QWidget* parent = nullptr);
  ~CountDownView() override;

  ProportionValueProvider* proportionValueProvider() const { return provider_; }
  // Not owned; when set it decides the slice instead of the animated time.
  void setProportionValueProvider(ProportionValueProvider* provider) { provider_ = provider; }

  // Builds the ring image once; later calls do nothing.
  void setUp();
  // Starts the pulse and the slice's count-down over `duration` seconds,
  // replacing a count-down already running.
  void animate(double duration);
  bool isAnimating() const { return started_; }

  // The slice's end angle for a proportion elapsed: 90 (nothing elapsed,
  // twelve o'clock) turning clockwise to -270 (all elapsed).
  static double endAngleForProportion(double proportion);
  // The proportion elapsed the slice shows now.
  double proportionNow() const;
  // The ring's scale now: 1.0 to 1.05 and back every 6 s, eased.
  double pulseScaleNow() const;
  // The scale the ring is drawn at for `scale`: the nearest one that gives
  // its radius a whole number of device pixels (those of the last painting)
  // more than at scale 1.
  double drawnScale(double scale) const;
  // The scale of the last painting; 0 before the first.
  double paintedScale() const { return paintedScale_; }
  // The times the ring was stroked: once for each radius kept, and at each
  // painting that cannot copy the kept pixels (a device other than an image).
  int ringStrokeCount() const { return ringStrokeCount_; }
  // The times the slice was drawn: into the kept ground when it moved, or
  // at each painting that cannot copy it (as for the ring).
  int sliceDrawCount() const { return sliceDrawCount_; }
  // The kept ground with the slice (null before a painting that copies it):
  // drawn over in place from one frame to the next, not made anew.
  const QImage& keptGround() const { return ground_; }
  // Repaints when the slice or the ring moved visibly since the last painting;
  // returns whether it took a frame: asked for a repaint, or found that the
  // movement changes no pixel of the view. Only the part of the view that
  // the movement changes is repainted: the band the ring moved through and
  // the sector the slice's edge swept.
  bool refresh();
  int paintCount() const { return paintCount_; }
  // The part refresh() last asked to repaint.
  const QRegion& requestedRegion() const { return requestedRegion_; }
  // Where a drawing of the slice and ring at `toAngle` and `toScale` differs
  // from one at `fromAngle` and `fromScale` (the ring: the pixels that
  // differ between the two drawn sizes; the slice: with a margin for
  // antialiasing), as few rectangles: in each block of kRepaintRows rows
  // (the last may be shorter) the columns that change, joined across gaps
  // narrower than kRepaintGap, and blocks one under the other as one band
  // where their runs line up and joining them covers fewer than
  // kRepaintJoinCost pixels more for each rectangle saved. Each rectangle
  // costs its own image on its way to the screen, and the paint engine lays
  // out the region's spans row by row for every rectangle; pixels to spare
  // cost less, up to a point: a frame much larger fills the X server's
  // socket, and the program then waits on it.
  QRegion changedRegion(double fromAngle, double fromScale, double toAngle, double toScale) const;
  static constexpr int kRepaintRows = 4;
  static constexpr int kRepaintGap = 4;
  static constexpr int kRepaintJoinCost = 32;

  // Smallest change worth a repaint: a quarter of a degree of the slice
  // (about a pixel at its edge); the ring repaints when its drawn scale changed.
  static constexpr double kVisibleAngle = 0.25;

  QSize sizeHint() const override { return {600, 600}; }

protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

private:
  double secondsSinceStart() const;
  double ringRadius() const;
  // Device pixels per logical one: the last painting's, else the screen's.
  double pixelRatio() const;
  // The radius's whole device pixels past its radius at scale 1.
  int ringLevel(double scale) const;
  // The ring's kept pixels at `ratio` and the drawn scale `scale`, made when new.
  const CountDownRing& ring(double ratio, double scale) const;
  // The part of changedRegion() that the ring's change of size makes.
  QRegion ringRegion(double fromScale, double toScale) const;
  // The image painted on, and the device pixel of the view's top-left
  // corner in it, when the painting goes straight to a 32-bit image at a
  // whole number of pixels per point without turning; else null.
  QImage* directTarget(QPainter& painter, QPoint* origin) const;
  // The black ground with the slice at `angle` on it, kept at the view's
  // size and `ratio`: drawn again only where the slice moved.
  const QImage& ground(double ratio, double angle);
  // Copies the ground into the target's device pixels `deviceClip`.
  void copyGround(QImage& target, QPoint origin, const QRegion& deviceClip);
  // Strokes the ring at the painted scale, for a painting that cannot copy it.
  void drawRing(QPainter& painter) const;

  ProportionValueProvider* provider_ = nullptr;
  bool layerHierarchyCreated_ = false;
  double paintedAngle_ = 0.0;
  double paintedScale_ = 0.0;
  double paintedRatio_ = 0.0; // device pixels per logical one of the last painting
  bool paintPending_ = false;
  QRegion requestedRegion_;
  int paintCount_ = 0;
  mutable int ringStrokeCount_ = 0;
  // The ground and slice, and the slice's angle there.
  QImage ground_;
  double groundAngle_ = 0.0;
  int sliceDrawCount_ = 0;
  mutable std::vector<std::unique_ptr<CountDownRing>> rings_;
  // The ring's regions worked out, for a pixel ratio and two radii.
  struct RingStep {
    double ratio;
    int low;
    int high;
    QRegion region;
  };
  mutable std::vector<RingStep> ringSteps_;
  // The runs of the blocks of rows changedRegion() gathers, kept for their
  // storage from one frame to the next.
  mutable std::vector<std::vector<std::pair<int, int>>> blockRuns_;
  bool started_ = false;
  double startTime_ = 0.0;
  double totalTime_ = 1.0;
};

} // namespace kr
