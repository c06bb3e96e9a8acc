#pragma once

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>

#include <cstdint>
#include <vector>

class QTextLayout;

namespace kr {

// The layout of a very long text: a paragraph is laid out only when it is
// drawn or asked about (its box, a hit on it); until then its height is
// estimated from its length, the font and the width. So the whole text has
// a size at once, the end is reached at once, and an edit lays out only the
// paragraphs it touched while those below it just move.
//
// Each paragraph is drawn with its alignment, margins, indents, tab stops
// and line height. Frames, tables, lists and images inside the text are
// drawn as plain paragraphs; adjacent paragraph margins add up instead of
// collapsing.
class LongTextDocumentLayout : public QAbstractTextDocumentLayout {
  Q_OBJECT

public:
  explicit LongTextDocumentLayout(QTextDocument* document);

  // Whether `document`'s layout has reached the end of the text. This one
  // places every paragraph at once. Qt's own layout lays a long text out in
  // steps between the events, and a change of the text (or of a paragraph's
  // formats) before its last step leaves the paragraphs it had not reached
  // with no lines and no height, and the layout taken as done.
  static bool laidOutToTheEnd(const QTextDocument& document);

  void draw(QPainter* painter, const PaintContext& context) override;
  int hitTest(const QPointF& point, Qt::HitTestAccuracy accuracy) const override;
  int pageCount() const override { return 1; }
  QSizeF documentSize() const override;
  QRectF frameBoundingRect(QTextFrame* frame) const override;
  // Lays the paragraph out if it is not yet.
  QRectF blockBoundingRect(const QTextBlock& block) const override;

  // The paragraph at height `y`: the first or the last one beyond the text.
  QTextBlock blockAt(qreal y) const;
  // The top of paragraph `number`'s box, its top margin included.
  qreal blockTop(int number) const;
  // Whether paragraph `number`'s height is measured rather than estimated.
  bool isMeasured(int number) const;
  int measuredCount() const;
  // Lays out the paragraphs a view shows from `top` to `bottom` when it has
  // just scrolled there from `shownTop`, before it draws them. Measuring
  // paragraphs above what was shown moves that text; the result is how far,
  // for the view to scroll by so that the text the user saw stays where it
  // was (0 when the new place does not overlap the old one).
  qreal measureScrolledTo(qreal top, qreal bottom, qreal shownTop);

protected:
  void documentChanged(int from, int removed, int added) override;

private:
  // Heights are kept in 64ths of a pixel: the sums stay exact through any
  // number of edits.
  using Units = std::int64_t;
  struct Metrics {
    double lineHeight = 16;
    double charWidth = 7;
    double top = 0;
    double bottom = 0;
    double left = 0;
    double right = 0;
  };

  void rebuildAll();
  void reestimateAll();
  void updateMetrics();
  Units estimate(int length, float margins) const;
  // Lays the paragraph out when its height is not measured at this width;
  // true when its height changed. Places its layout where it stands now.
  bool ensureMeasured(const QTextBlock& block, int number) const;
  QTextLayout* placed(const QTextBlock& block, int number) const;
  double width() const;
  int indexAt(qreal y) const;
  void setHeight(int number, Units height) const;
  void rebuildSums() const;
  Units prefix(int count) const;
  void heightsChangedLater() const;

  // Per paragraph: its height, its length, its top and bottom margins (for
  // the estimate) and whether the height is measured.
  mutable std::vector<Units> heights_;
  std::vector<int> lengths_;
  std::vector<float> margins_;
  mutable std::vector<std::uint8_t> measured_;
  // A Fenwick tree over heights_, for tops and hits in logarithmic time.
  mutable std::vector<Units> sums_;
  Metrics metrics_;
  // The width, font and options the text was laid out with.
  QString layoutKey_;
  double laidOutWidth_ = -1;
  int characters_ = 0;
  mutable int measuredCount_ = 0;
  mutable bool sizeChangePending_ = false;
  mutable QSizeF announcedSize_;
};

} // namespace kr
