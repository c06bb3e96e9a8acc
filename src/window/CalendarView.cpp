#include "window/CalendarView.h"

#include "window/CalendarManager.h"
#include "window/EventView.h"

#include "art/KorvaneStyleKit.h"
#include "engine/Clock.h"
#include "platform/drawing/GraphicsContext.h"

#include <QLocale>
#include <QPainter>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace kr {

namespace {

constexpr int kEventHeight = 32;
// The events stand 33 and 0 points above the strip's bottom edge.
constexpr int kTopEventY = CalendarView::kHeight - 33 - kEventHeight;
constexpr int kBottomEventY = CalendarView::kHeight - kEventHeight;
constexpr double kInset = 7.0;

// The locale's short time, without seconds where the locale's short form
// has them.
QString shortTimeFormat() {
  QString format = QLocale().timeFormat(QLocale::ShortFormat);
  format.remove(QRegularExpression(QStringLiteral("[:.]ss?")));
  return format;
}

} // namespace

CalendarView::CalendarView() = default;

CalendarView* CalendarView::createCalendarView() {
  auto* view = new CalendarView;
  view->setFixedHeight(kHeight);
  view->topEventView_ = new EventView(QRect(100, kTopEventY, 163, kEventHeight), view);
  view->bottomEventView_ = new EventView(QRect(100, kBottomEventY, 316, kEventHeight), view);
  return view;
}

void CalendarView::prepare() {
  topEventView_->hide();
  bottomEventView_->hide();
}

bool CalendarView::isOnShownSection() const {
  // Outside a page there is nothing to show; on a page, a section hidden by
  // its setting must not ask the calendars.
  if (!parentWidget())
    return false;
  for (const QWidget* widget = this; widget && !widget->isWindow();
       widget = widget->parentWidget()) {
    if (widget->isHidden())
      return false;
  }
  return true;
}

void CalendarView::updateState() {
  if (!isOnShownSection())
    return;
  CalendarManager& manager = calendarManager ? *calendarManager : CalendarManager::sharedInstance();
  const double now = Clock::now();
  const qint64 nowMSecs = Clock::dateFromReferenceSeconds(now).toMSecsSinceEpoch();
  QList<CalendarEvent> upcoming;
  for (const CalendarEvent& event : manager.fetchCalendarEventsForNext60Minutes()) {
    if (!event.allDay && event.start.toMSecsSinceEpoch() > nowMSecs)
      upcoming.append(event);
  }
  const bool reading = manager.isReadingCalendars();
  const bool showedNoEvents = calendarEvents_.isEmpty() && !reading_;
  // After a jump of the clock the calendars are read for the new time: until
  // that read lands, the last events stay rather than "no events" flashing.
  if (upcoming.isEmpty() && reading && !calendarEvents_.isEmpty())
    return;
  calendarEvents_ = upcoming;
  reading_ = calendarEvents_.isEmpty() && reading;
  tickDelta_ = (width() - 2 * kInset) / 58.0;
  configure(bottomEventView_, 0, now);
  configure(topEventView_, 1, now);
  // The strip itself draws only "no events": refreshed every second, it
  // repaints when that changes, not with each tick of the clock.
  if ((calendarEvents_.isEmpty() && !reading_) != showedNoEvents)
    update();
}

void CalendarView::configure(EventView* view, int index, double now) {
  // Before the page is laid out there is no room for a timeline.
  if (calendarEvents_.size() <= index || width() < 2 * kInset) {
    view->hide();
    return;
  }
  const CalendarEvent& event = calendarEvents_[index];
  const double start = Clock::referenceSecondsFromDate(event.start) - now;
  const double end = Clock::referenceSecondsFromDate(event.end) - now;
  const QString title = QStringLiteral("%1 %2").arg(
      QLocale().toString(event.start.toLocalTime().time(), shortTimeFormat()), event.title);
  const bool leftArrow = start >= 120.0;
  const bool rightArrow = end < 3000.0;
  const bool changed = view->isHidden() || view->title != title || view->leftArrow != leftArrow ||
                       view->rightArrow != rightArrow;
  view->title = title;
  view->leftArrow = leftArrow;
  view->rightArrow = rightArrow;
  const double s = std::ceil(start / 60.0);
  const double e = std::ceil(end / 60.0);
  const double x = std::max(0.0, (s - 2.0) * tickDelta_ + kInset);
  double w = (e - 2.0) * tickDelta_ + kInset - x;
  if (x + w > width())
    w = width() - x;
  const int left = int(std::lround(x));
  const int right = std::max(left, int(std::lround(x + std::max(0.0, w))));
  view->setGeometry(left, view->y(), right - left, view->height());
  view->show();
  if (changed) // a move or a resize repaints by itself
    view->update();
}

void CalendarView::paintEvent(QPaintEvent*) {
  // While the calendars are first read, an empty strip says nothing yet.
  if (!calendarEvents_.isEmpty() || reading_)
    return;
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  GraphicsContext context(&painter, height());
  GraphicsContext::Scope scope(context);
  KorvaneStyleKit::drawCalendarNoEvents(QRectF(0, 0, width(), height()));
}

} // namespace kr
