#include "kit/text/LongTextDocumentLayout.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QStyle>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>

#include <algorithm>
#include <climits>
#include <cmath>

namespace kr {

namespace {

constexpr double kUnitsPerPixel = 64;
// Paragraphs laid out at once after an edit; those beyond keep estimates
// until they are drawn or asked about (a long paste).
constexpr int kMeasuredPerEdit = 100;
// Everything below a point, for repaints.
constexpr qreal kToTheEnd = qreal(INT_MAX / 4);

std::int64_t toUnits(double pixels) { return std::llround(pixels * kUnitsPerPixel); }
double toPixels(std::int64_t units) { return double(units) / kUnitsPerPixel; }

double lineHeight(const QTextBlockFormat& format, const QTextLine& line) {
  const double natural = line.height();
  switch (format.lineHeightType()) {
  case QTextBlockFormat::ProportionalHeight:
    return natural * format.lineHeight() / 100.0;
  case QTextBlockFormat::FixedHeight:
    return format.lineHeight();
  case QTextBlockFormat::MinimumHeight:
    return std::max(natural, format.lineHeight());
  case QTextBlockFormat::LineDistanceHeight:
    return natural + format.lineHeight();
  default:
    return natural;
  }
}

// What a new width, font or option changes: the whole layout.
QString layoutKey(const QTextDocument& document) {
  const QTextOption option = document.defaultTextOption();
  return QStringLiteral("%1|%2|%3|%4|%5|%6")
      .arg(document.pageSize().width())
      .arg(document.defaultFont().key())
      .arg(option.tabStopDistance())
      .arg(int(option.wrapMode()))
      .arg(int(option.textDirection()))
      .arg(int(option.flags()));
}

} // namespace

LongTextDocumentLayout::LongTextDocumentLayout(QTextDocument* document)
    : QAbstractTextDocumentLayout(document) {
  updateMetrics();
}

bool LongTextDocumentLayout::laidOutToTheEnd(const QTextDocument& document) {
  if (qobject_cast<const LongTextDocumentLayout*>(document.documentLayout()))
    return true;
  // Every paragraph laid out has a line, an empty one too.
  const QTextLayout* last = document.lastBlock().layout();
  return last && last->lineCount() > 0;
}

double LongTextDocumentLayout::width() const { return document()->pageSize().width(); }

void LongTextDocumentLayout::updateMetrics() {
  const QTextDocument* text = document();
  const QFontMetricsF font(text->defaultFont());
  metrics_.lineHeight = std::max(1.0, font.ascent() + font.descent());
  const QString sample = QStringLiteral("the quick brown fox jumps over the lazy dog, 0123456789");
  metrics_.charWidth = std::max(1.0, font.horizontalAdvance(sample) / sample.size());
  const QTextFrameFormat frame = text->rootFrame()->frameFormat();
  const double edge = frame.border() + frame.padding();
  metrics_.top = frame.topMargin() + edge;
  metrics_.bottom = frame.bottomMargin() + edge;
  metrics_.left = frame.leftMargin() + edge;
  metrics_.right = frame.rightMargin() + edge;
}

LongTextDocumentLayout::Units LongTextDocumentLayout::estimate(int length, float margins) const {
  // Words wrap before the edge: a line holds a little less than the width.
  const double usable = width() - metrics_.left - metrics_.right - 2 * metrics_.charWidth;
  const double perLine = std::max(1.0, std::floor(usable / metrics_.charWidth));
  const double lines = std::max(1.0, std::ceil(std::max(0, length - 1) / perLine));
  return toUnits(lines * metrics_.lineHeight + margins);
}

void LongTextDocumentLayout::reestimateAll() {
  for (std::size_t i = 0; i < heights_.size(); ++i)
    heights_[i] = estimate(lengths_[i], margins_[i]);
  std::fill(measured_.begin(), measured_.end(), 0);
  measuredCount_ = 0;
  rebuildSums();
}

void LongTextDocumentLayout::rebuildSums() const {
  const std::size_t n = heights_.size();
  sums_.assign(n + 1, 0);
  for (std::size_t i = 1; i <= n; ++i)
    sums_[i] += heights_[i - 1];
  for (std::size_t i = 1; i <= n; ++i) {
    const std::size_t parent = i + (i & (~i + 1));
    if (parent <= n)
      sums_[parent] += sums_[i];
  }
}

LongTextDocumentLayout::Units LongTextDocumentLayout::prefix(int count) const {
  Units sum = 0;
  for (std::size_t i = std::size_t(std::clamp(count, 0, int(heights_.size()))); i > 0;
       i -= i & (~i + 1))
    sum += sums_[i];
  return sum;
}

void LongTextDocumentLayout::setHeight(int number, Units height) const {
  const Units change = height - heights_[std::size_t(number)];
  if (change == 0)
    return;
  heights_[std::size_t(number)] = height;
  for (std::size_t i = std::size_t(number) + 1; i < sums_.size(); i += i & (~i + 1))
    sums_[i] += change;
}

int LongTextDocumentLayout::indexAt(qreal y) const {
  const int n = int(heights_.size());
  if (n == 0)
    return -1;
  Units left = toUnits(y - metrics_.top);
  if (left <= 0)
    return 0;
  std::size_t at = 0;
  std::size_t step = 1;
  while (step * 2 <= std::size_t(n))
    step *= 2;
  for (; step > 0; step /= 2) {
    if (at + step <= std::size_t(n) && sums_[at + step] <= left) {
      at += step;
      left -= sums_[at];
    }
  }
  return std::min(int(at), n - 1);
}

qreal LongTextDocumentLayout::blockTop(int number) const {
  return metrics_.top + toPixels(prefix(number));
}

bool LongTextDocumentLayout::isMeasured(int number) const {
  return number >= 0 && std::size_t(number) < measured_.size() && measured_[std::size_t(number)];
}

int LongTextDocumentLayout::measuredCount() const { return measuredCount_; }

qreal LongTextDocumentLayout::measureScrolledTo(qreal top, qreal bottom, qreal shownTop) {
  const qreal height = bottom - top;
  if (heights_.empty() || width() <= 0 || height <= 0 || std::abs(shownTop - top) >= height)
    return 0;
  // The paragraph at the top of what was shown, and where it stood.
  const int anchor = indexAt(shownTop);
  const qreal anchorTop = blockTop(anchor);
  qreal shift = 0;
  bool changed = false;
  // Following the anchor moves the view, which can bring more unmeasured
  // paragraphs into it; a few rounds settle it.
  for (int round = 0; round < 4; ++round) {
    bool measuredMore = false;
    int number = indexAt(top + shift);
    for (QTextBlock block = document()->findBlockByNumber(number); block.isValid();
         block = block.next(), ++number) {
      if (blockTop(number) > bottom + shift)
        break;
      measuredMore |= ensureMeasured(block, number);
    }
    if (!measuredMore)
      break;
    changed = true;
    shift = blockTop(anchor) - anchorTop;
  }
  if (changed)
    heightsChangedLater();
  return shift;
}

QTextBlock LongTextDocumentLayout::blockAt(qreal y) const {
  const int number = indexAt(y);
  return number < 0 ? QTextBlock() : document()->findBlockByNumber(number);
}

QSizeF LongTextDocumentLayout::documentSize() const {
  return QSizeF(std::max(0.0, width()),
                metrics_.top + toPixels(prefix(int(heights_.size()))) + metrics_.bottom);
}

bool LongTextDocumentLayout::ensureMeasured(const QTextBlock& block, int number) const {
  QTextLayout* layout = block.layout();
  const std::size_t at = std::size_t(number);
  if (width() <= 0 || at >= heights_.size() || (measured_[at] && layout->lineCount() > 0))
    return false;
  const QTextDocument* text = document();
  const QTextBlockFormat format = block.blockFormat();
  QTextOption option = text->defaultTextOption();
  const Qt::LayoutDirection direction = block.textDirection();
  option.setTextDirection(direction);
  option.setAlignment(QStyle::visualAlignment(direction, format.alignment()));
  if (format.nonBreakableLines())
    option.setWrapMode(QTextOption::ManualWrap);
  const QList<QTextOption::Tab> tabs = format.tabPositions();
  if (!tabs.isEmpty())
    option.setTabs(tabs);
  layout->setTextOption(option);
  const bool rightToLeft = direction == Qt::RightToLeft;
  const double indent = format.indent() * text->indentWidth();
  const double left = format.leftMargin() + (rightToLeft ? 0 : indent);
  const double right = format.rightMargin() + (rightToLeft ? indent : 0);
  const double available = std::max(1.0, width() - metrics_.left - metrics_.right - left - right);
  double y = 0;
  bool first = true;
  layout->beginLayout();
  for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
    const double textIndent = first ? format.textIndent() : 0;
    line.setLineWidth(std::max(1.0, available - textIndent));
    line.setPosition(QPointF(left + (rightToLeft ? 0 : textIndent), y));
    y += lineHeight(format, line);
    first = false;
  }
  layout->endLayout();
  if (!measured_[at]) {
    measured_[at] = 1;
    ++measuredCount_;
  }
  const Units height = toUnits(format.topMargin() + y + format.bottomMargin());
  if (height == heights_[at])
    return false;
  setHeight(number, height);
  return true;
}

QTextLayout* LongTextDocumentLayout::placed(const QTextBlock& block, int number) const {
  if (ensureMeasured(block, number))
    heightsChangedLater();
  QTextLayout* layout = block.layout();
  layout->setPosition(QPointF(metrics_.left, blockTop(number) + block.blockFormat().topMargin()));
  return layout;
}

void LongTextDocumentLayout::heightsChangedLater() const {
  // Asked while drawing or while the editor measures: its scroll bars are
  // set after that.
  if (sizeChangePending_)
    return;
  sizeChangePending_ = true;
  auto* self = const_cast<LongTextDocumentLayout*>(this);
  QMetaObject::invokeMethod(
      self,
      [self] {
        self->sizeChangePending_ = false;
        const QSizeF size = self->documentSize();
        if (size != self->announcedSize_) {
          self->announcedSize_ = size;
          Q_EMIT self->documentSizeChanged(size);
        }
      },
      Qt::QueuedConnection);
}

QRectF LongTextDocumentLayout::blockBoundingRect(const QTextBlock& block) const {
  if (!block.isValid() || block.document() != document())
    return QRectF();
  const int number = block.blockNumber();
  if (std::size_t(number) >= heights_.size())
    return QRectF();
  if (width() <= 0)
    return QRectF(metrics_.left, blockTop(number), 0, toPixels(heights_[std::size_t(number)]));
  const QTextLayout* layout = placed(block, number);
  QRectF rect = layout->boundingRect();
  rect.moveTopLeft(layout->position());
  return rect;
}

QRectF LongTextDocumentLayout::frameBoundingRect(QTextFrame* frame) const {
  if (!frame || frame == document()->rootFrame())
    return QRectF(QPointF(0, 0), documentSize());
  const QTextBlock first = document()->findBlock(frame->firstPosition());
  const QTextBlock last = document()->findBlock(frame->lastPosition());
  if (!first.isValid() || !last.isValid())
    return QRectF();
  const double top = blockTop(first.blockNumber());
  const double bottom = blockTop(last.blockNumber() + 1);
  return QRectF(metrics_.left, top, std::max(0.0, width() - metrics_.left - metrics_.right),
                bottom - top);
}

int LongTextDocumentLayout::hitTest(const QPointF& point, Qt::HitTestAccuracy accuracy) const {
  if (heights_.empty() || width() <= 0)
    return -1;
  const double bottom = documentSize().height() - metrics_.bottom;
  if (accuracy == Qt::ExactHit && (point.y() < metrics_.top || point.y() >= bottom))
    return -1;
  // Laying a paragraph out can move the point into its neighbour.
  int number = indexAt(point.y());
  QTextBlock block = document()->findBlockByNumber(number);
  for (int tries = 0; tries < 4; ++tries) {
    placed(block, number);
    const int now = indexAt(point.y());
    if (now == number)
      break;
    number = now;
    block = document()->findBlockByNumber(number);
  }
  const QTextLayout* layout = placed(block, number);
  const QPointF at = point - layout->position();
  if (layout->lineCount() == 0)
    return accuracy == Qt::ExactHit ? -1 : block.position();
  QTextLine line = layout->lineAt(0);
  for (int i = 0; i < layout->lineCount(); ++i) {
    const QTextLine candidate = layout->lineAt(i);
    if (at.y() < candidate.y())
      break;
    line = candidate;
  }
  if (accuracy == Qt::ExactHit) {
    const bool inside = at.y() >= line.y() && at.y() < line.y() + line.height() &&
                        at.x() >= line.x() && at.x() < line.x() + line.naturalTextWidth();
    if (!inside)
      return -1;
  }
  if (at.y() < 0 && number == 0)
    return 0;
  if (at.y() > line.y() + line.height() && !block.next().isValid())
    return block.position() + block.length() - 1;
  return block.position() + line.xToCursor(at.x());
}

void LongTextDocumentLayout::draw(QPainter* painter, const PaintContext& context) {
  if (heights_.empty() || width() <= 0)
    return;
  const QRectF clip = context.clip.isValid() ? context.clip : QRectF(QPointF(0, 0), documentSize());
  bool ok = false;
  int cursorWidth = property("cursorWidth").toInt(&ok);
  if (!ok)
    cursorWidth = 1;
  painter->save();
  painter->setPen(context.palette.color(QPalette::Text));
  int number = indexAt(clip.top());
  for (QTextBlock block = document()->findBlockByNumber(number); block.isValid();
       block = block.next(), ++number) {
    if (blockTop(number) > clip.bottom())
      break;
    QTextLayout* layout = placed(block, number);
    const QTextBlockFormat format = block.blockFormat();
    if (format.hasProperty(QTextFormat::BackgroundBrush)) {
      const double top = blockTop(number);
      painter->fillRect(QRectF(metrics_.left, top, width() - metrics_.left - metrics_.right,
                               blockTop(number + 1) - top),
                        format.background());
    }
    const int start = block.position();
    const int length = block.length();
    QList<QTextLayout::FormatRange> selections;
    for (const Selection& range : context.selections) {
      const int from = range.cursor.selectionStart() - start;
      const int to = range.cursor.selectionEnd() - start;
      if (from < length && to > 0 && to > from) {
        selections.append({from, to - from, range.format});
      } else if (!range.cursor.hasSelection() &&
                 range.format.hasProperty(QTextFormat::FullWidthSelection) &&
                 block.contains(range.cursor.position())) {
        const QTextLine line = layout->lineForTextPosition(range.cursor.position() - start);
        QTextLayout::FormatRange whole{line.textStart(), line.textLength(), range.format};
        if (whole.start + whole.length == length - 1)
          ++whole.length;
        selections.append(whole);
      }
    }
    layout->draw(painter, QPointF(0, 0), selections, clip);
    const int caret = context.cursorPosition;
    if (caret >= start && caret < start + length)
      layout->drawCursor(painter, QPointF(0, 0), caret - start, cursorWidth);
    else if (caret < -1 && !layout->preeditAreaText().isEmpty())
      layout->drawCursor(painter, QPointF(0, 0), layout->preeditAreaPosition() - (caret + 2),
                         cursorWidth);
  }
  painter->restore();
}

void LongTextDocumentLayout::documentChanged(int from, int removed, int added) {
  QTextDocument* text = document();
  const int count = text->blockCount();
  const int characters = text->characterCount();
  const QSizeF before = documentSize();
  const auto announce = [&](double fromY) {
    const QSizeF size = documentSize();
    if (size != before || size != announcedSize_) {
      announcedSize_ = size;
      Q_EMIT documentSizeChanged(size);
    }
    Q_EMIT update(QRectF(0, fromY, kToTheEnd, kToTheEnd));
  };
  // The whole text, unchanged, to be laid out again: a new width, font or
  // option. Only the estimates are made again; the paragraphs on screen are
  // laid out as they are drawn.
  if (from == 0 && removed == 0 && added == characters && characters == characters_ &&
      std::size_t(count) == heights_.size()) {
    const QString key = layoutKey(*text);
    if (key == layoutKey_)
      return;
    layoutKey_ = key;
    updateMetrics();
    if (width() > 0)
      reestimateAll();
    announce(0);
    return;
  }
  layoutKey_ = layoutKey(*text);
  updateMetrics();
  // The paragraphs from the one at `from` to the one just after the
  // insertion replace as many fewer (or more) as the paragraphs counted
  // changed by.
  const int oldCount = int(heights_.size());
  const QTextBlock first = text->findBlock(std::clamp(from, 0, characters - 1));
  const QTextBlock last = text->findBlock(std::clamp(from + added, 0, characters - 1));
  int b0 = first.isValid() ? first.blockNumber() : 0;
  int b1 = last.isValid() ? last.blockNumber() : count - 1;
  int oldEnd = b1 - (count - oldCount);
  if (b1 < b0 || oldEnd < b0 - 1 || oldEnd >= oldCount ||
      characters_ + added - removed != characters) {
    b0 = 0;
    b1 = count - 1;
    oldEnd = oldCount - 1;
  }
  characters_ = characters;
  for (int i = b0; i <= oldEnd; ++i)
    measuredCount_ -= measured_[std::size_t(i)];
  const int fresh = b1 - b0 + 1;
  const int dropped = oldEnd - b0 + 1;
  const auto at = [b0](auto& v) { return v.begin() + b0; };
  if (fresh != dropped) {
    heights_.erase(at(heights_), at(heights_) + dropped);
    heights_.insert(at(heights_), std::size_t(fresh), 0);
    lengths_.erase(at(lengths_), at(lengths_) + dropped);
    lengths_.insert(at(lengths_), std::size_t(fresh), 0);
    margins_.erase(at(margins_), at(margins_) + dropped);
    margins_.insert(at(margins_), std::size_t(fresh), 0.f);
    measured_.erase(at(measured_), at(measured_) + dropped);
    measured_.insert(at(measured_), std::size_t(fresh), 0);
  }
  const bool pointwise = fresh == dropped && sums_.size() == heights_.size() + 1;
  QTextBlock block = b0 == first.blockNumber() ? first : text->findBlockByNumber(b0);
  for (int i = b0; i <= b1 && block.isValid(); ++i, block = block.next()) {
    const std::size_t k = std::size_t(i);
    const QTextBlockFormat format = block.blockFormat();
    lengths_[k] = block.length();
    margins_[k] = float(format.topMargin() + format.bottomMargin());
    measured_[k] = 0;
    const Units height = estimate(lengths_[k], margins_[k]);
    if (pointwise)
      setHeight(i, height);
    else
      heights_[k] = height;
  }
  if (!pointwise)
    rebuildSums();
  if (width() > 0) {
    block = b0 == first.blockNumber() ? first : text->findBlockByNumber(b0);
    for (int i = b0; i <= std::min(b1, b0 + kMeasuredPerEdit - 1) && block.isValid();
         ++i, block = block.next())
      ensureMeasured(block, i);
  }
  announce(blockTop(b0));
}

} // namespace kr
