#include "stats/LogBookColumnView.h"

#include "art/KorvaneStyleKit.h"
#include "engine/DateHelper.h"
#include "engine/FullTimeSlice.h"
#include "platform/drawing/GraphicsContext.h"
#include "stats/LogBookTableViewController.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QStyle>
#include <QStyleOption>
#include <QTextDocument>

#include <cmath>
#include <limits>

namespace kr {

namespace {

std::optional<LogBookAttributedString> attributed(const QString& text,
                                                  const LogBookTextAttributes& attributes) {
  return LogBookAttributedString{text, attributes};
}

// Halves away from zero.
double rounded(double value) { return std::round(value); }

void drawString(GraphicsContext& context, const std::optional<LogBookAttributedString>& string,
                const QRectF& rect) {
  if (!string || string->text.isEmpty())
    return;
  const LogBookTextAttributes& look = string->attributes;
  const Qt::Alignment alignment = look.alignRight ? Qt::AlignRight : Qt::AlignLeft;
  const QColor color = look.plain ? QColor(Qt::black) : look.color;
  if (look.whiteShadow)
    context.drawText(string->text, rect.translated(0, -1), look.font, Qt::white, alignment);
  context.drawText(string->text, rect, look.font, color, alignment);
}

} // namespace

LogBookColumnView LogBookColumnView::forSlice(const FullTimeSlice& slice,
                                              std::shared_ptr<QTextDocument> objective) {
  LogBookColumnView view;
  view.startDateAttributedString = attributed(
      startText(slice.startDate()), LogBookTableViewController::objectiveLabelAttributes());
  view.durationAttributedString = attributed(durationText(slice.actualDuration()),
                                             LogBookTableViewController::durationLabelAttributes());
  view.objective = std::move(objective);
  if (!slice.tagString().isEmpty())
    view.tagAttributedString = attributed(formatTagsString(slice.tagString()),
                                          LogBookTableViewController::tagLabelAttributes());
  view.focusLevelAttributedString = focusLevel(slice.focusRating());
  return view;
}

QString LogBookColumnView::formatTagsString(const QString& tagString) {
  return tagString.split(u',', Qt::SkipEmptyParts).join(QStringLiteral(", "));
}

QString LogBookColumnView::durationText(double actualDuration) {
  qint64 seconds = 0;
  // Only what fits whole seconds; NaN, infinities and huge values read 0.
  if (std::isfinite(actualDuration) &&
      std::fabs(actualDuration) < double(std::numeric_limits<qint64>::max()))
    seconds = qint64(std::trunc(actualDuration));
  return DateHelper::formatNumberOfSecondsAsHoursAndMinutes(seconds).toUpper();
}

LogBookAttributedString LogBookColumnView::focusLevel(const QString& focusRating) {
  if (focusRating == QLatin1String("experienced flow"))
    return {QStringLiteral("FLOW"), LogBookTableViewController::flowFocusAttributes()};
  if (focusRating == QLatin1String("highly focused"))
    return {focusRating.toUpper(), LogBookTableViewController::highlyFocusedAttributes()};
  if (focusRating == QLatin1String("good"))
    return {focusRating.toUpper(), LogBookTableViewController::goodFocusAttributes()};
  if (focusRating == QLatin1String("distracted"))
    return {focusRating.toUpper(), LogBookTableViewController::distractedFocusAttributes()};
  return {focusRating.toUpper(), LogBookTableViewController::plainAttributes()};
}

QString LogBookColumnView::startText(const QDateTime& start) {
  if (!start.isValid())
    return {};
  const DateHelper& dates = DateHelper::sharedHelper();
  return dates.formattedDate(start) + QStringLiteral(" at ") + dates.formattedTime(start);
}

QRectF LogBookColumnView::pullDownRect(double width) {
  // Its right edge 2 in from the row's right, its top 2 below the row's top.
  constexpr double kWidth = 18.0;
  constexpr double kHeight = 13.0;
  return QRectF(width - 2.0 - kWidth, 2.0, kWidth, kHeight);
}

void LogBookColumnView::draw(QPainter* painter, const QRectF& rect, bool pullDownPressed) const {
  const double width = rect.width();
  const double height = rect.height();
  painter->save();
  painter->translate(rect.topLeft());
  painter->setClipRect(QRectF(0, 0, width, height));
  {
    GraphicsContext context(painter, height);
    GraphicsContext::Scope scope(context);
    const QRectF frame(0, 0, width, height);
    // 1. The background.
    KorvaneStyleKit::drawLogBookEntry(frame);
    // 2. The top band.
    const QRectF band(8.0, frame.y() + height - 18.0, width - 16.0, 14.0);
    // 3. to 6. The texts.
    drawString(context, startDateAttributedString, band);
    const double durationWidth = rounded(band.width() * 0.5);
    drawString(context, durationAttributedString,
               QRectF(rounded(durationWidth * 0.5), band.y() - 2.0, durationWidth, 14.0));
    drawString(context, focusLevelAttributedString,
               QRectF(0.0, band.y() - 2.0, band.width(), 14.0));
    drawString(context, tagAttributedString, QRectF(0.0, 0.0, width - 8.0, 18.0));
    // 7. The separator along the bottom.
    BezierPath separator;
    separator.moveTo(QPointF(2.0, 0.5));
    separator.lineTo(QPointF(width - 2.0, 0.5));
    context.stroke(separator, QColor::fromRgbF(0.4f, 0.4f, 0.4f), 0.5);
  }
  // The objective, read-only, below the band (y down from here on).
  if (objective) {
    painter->save();
    painter->translate(kObjectiveLeft, kObjectiveTop);
    // Text without a colour of its own is black on the row's light
    // background, whatever the desktop's palette.
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette.setColor(QPalette::Text, Qt::black);
    context.clip = QRectF(0, 0, width + 1.0, height - kObjectiveTop);
    painter->setClipRect(context.clip, Qt::IntersectClip);
    objective->documentLayout()->draw(painter, context);
    painter->restore();
  }
  // The pull-down's face: a small arrow, no border.
  QStyleOptionButton arrow;
  arrow.rect = pullDownRect(width).toAlignedRect().adjusted(5, 3, -5, -3);
  arrow.palette.setColor(QPalette::ButtonText, QColor::fromRgbF(0.2f, 0.2f, 0.2f));
  arrow.palette.setColor(QPalette::WindowText, QColor::fromRgbF(0.2f, 0.2f, 0.2f));
  arrow.state =
      QStyle::State_Enabled | (pullDownPressed ? QStyle::State_Sunken : QStyle::State_None);
  QApplication::style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, painter);
  painter->restore();
}

} // namespace kr
