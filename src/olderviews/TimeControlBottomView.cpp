#include "olderviews/TimeControlBottomView.h"

#include "window/BubbleViewWithArrowOnTop.h"
#include "window/CalendarView.h"
#include "window/QuarterHourBubbles.h"

#include "art/BezierPathUtility.h"
#include "engine/Clock.h"
#include "engine/DataModel.h"
#include "engine/DateHelper.h"
#include "kit/Label.h"
#include "kit/skins/KorvaneControlSkin.h"

#include <QHBoxLayout>
#include <QLabel>

#include <algorithm>

namespace kr {

namespace {

// The bubbles stand in a row this high over the fields.
constexpr int kBubbleRowHeight = 26;

QLabel* field(const QString& text, QWidget* parent, bool digits = false) {
  auto* label = new QLabel(text, parent);
  label->setTextFormat(Qt::PlainText);
  if (digits)
    label->setFont(KorvaneControlSkin::shared()->proportionalDigitsFont);
  return label;
}

// How a length rates for motivation (rising with it) and resistance
// (falling with it): 30 minutes on, from 20, below 20.
QString rating(qint64 minutes, const char* from30, const char* below20) {
  if (minutes >= 30)
    return QString::fromLatin1(from30);
  if (minutes >= 20)
    return QStringLiteral("Normal");
  return QString::fromLatin1(below20);
}

} // namespace

TimeControlBottomView::TimeControlBottomView(QWidget* parent) : QWidget(parent) {
  for (BubbleViewWithArrowOnTop** bubble : {&bubble1_, &bubble2_, &bubble3_, &bubble4_}) {
    *bubble = new BubbleViewWithArrowOnTop(BubbleViewWithArrowOnTop::kFrameInRow, this);
    connect(*bubble, &BubbleViewWithArrowOnTop::clicked, this,
            &TimeControlBottomView::bubbleClicked);
  }
  durationTextField_ = field(QStringLiteral("00"), this, true);
  minutesField_ = field(QStringLiteral("Minutes"), this);
  endDateField_ = field(QString(), this, true);
  motivationTextField_ = field(QString(), this);
  resistanceTextField_ = field(QString(), this);
  const auto caption = [this](const char* text) {
    captions_ << field(QString::fromLatin1(text), this);
    return captions_.back();
  };
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(8, kBubbleRowHeight, 8, 0);
  for (QWidget* widget :
       std::initializer_list<QWidget*>{durationTextField_, minutesField_, caption("Ends:"),
                                       endDateField_, caption("Motivation:"), motivationTextField_,
                                       caption("Resistance:"), resistanceTextField_})
    row->addWidget(widget, 0, Qt::AlignBaseline);
  row->addStretch();
}

void TimeControlBottomView::awakeFromNib() {
  offset_ = 7.0;
  for (BubbleViewWithArrowOnTop* bubble : bubbles())
    bubble->setGradient(BezierPathUtility::purpleGradient());
}

qint64 TimeControlBottomView::duration() const { return DataModel::shared().durationInMinutes(); }

qint64 TimeControlBottomView::durationInSeconds() const {
  return DataModel::shared().durationInSeconds();
}

void TimeControlBottomView::setDurationInMinutes(int minutes) {
  DataModel::shared().setDurationInMinutes(minutes);
}

void TimeControlBottomView::registerListener() {
  if (listening_)
    return;
  listening_ = true;
  DataModel::shared().addDurationListener(*this);
}

void TimeControlBottomView::valueHasChanged() { updateState(); }

void TimeControlBottomView::attemptToSetDurationTo(qint64 minutes) {
  setDurationInMinutes(int(std::clamp(minutes, qint64(minSliderValue), qint64(maxSliderValue))));
}

QList<QWidget*> TimeControlBottomView::fieldsAndCaptions() const {
  QList<QWidget*> widgets{durationTextField_, endDateField_, motivationTextField_,
                          resistanceTextField_, minutesField_};
  for (QLabel* caption : captions_)
    widgets << caption;
  return widgets;
}

void TimeControlBottomView::prepare() {
  for (BubbleViewWithArrowOnTop* bubble : bubbles())
    bubble->hide();
  for (QWidget* widget : fieldsAndCaptions())
    widget->hide();
}

void TimeControlBottomView::activate() {
  registerListener();
  for (QWidget* widget : fieldsAndCaptions())
    widget->show();
}

QDateTime TimeControlBottomView::computedEndDate() const {
  return Clock::nowAsDate().addSecs(duration() * 60);
}

void TimeControlBottomView::updateTotalDurationField() {
  durationTextField_->setText(QString::asprintf("%02lld", static_cast<long long>(duration())));
}

void TimeControlBottomView::updateState() {
  if (linkedTopView_)
    linkedTopView_->updateState();
  updateTotalDurationField();
  Label::showRichText(
      endDateField_,
      DateHelper::sharedHelper().formatDateAsTimeWithAmPmIfAppropriate(computedEndDate()));
  const qint64 minutes = duration();
  motivationTextField_->setText(rating(minutes, "High", "Low"));
  resistanceTextField_->setText(rating(minutes, "Low", "High"));
  positionBubbleViews();
  update();
}

void TimeControlBottomView::positionBubbleViews() {
  totalWidth_ = width();
  tickDelta_ = (totalWidth_ - 14.0) / (maxSliderValue - minSliderValue);
  const QuarterHourBubbles ahead(Clock::nowAsDate(), int(minSliderValue));
  const std::array<int, 4>& minutes = ahead.minutes();
  bubble1Duration_ = minutes[0];
  bubble2Duration_ = minutes[1];
  bubble3Duration_ = minutes[2];
  bubble4Duration_ = minutes[3];
  const std::array<QDateTime, 4>& dates = ahead.titleDates();
  firstDate_ = dates[0];
  secondDate_ = dates[1];
  thirdDate_ = dates[2];
  fourthDate_ = dates[3];
  for (int k = 0; k < 4; ++k)
    bubble(k)->setTitle(ahead.title(k));
  // The view is as wide as the slider: its bubbles keep within its own edges.
  QuarterHourBubbles::place(bubbles(), minutes,
                            {offset_, tickDelta_, minSliderValue, totalWidth_, 0.0});
}

void TimeControlBottomView::bubbleClicked(BubbleViewWithArrowOnTop*) {}

qint64 TimeControlBottomView::bubbleDuration(int index) const {
  return std::array<qint64, 4>{bubble1Duration_, bubble2Duration_, bubble3Duration_,
                               bubble4Duration_}[std::size_t(index)];
}

QDateTime TimeControlBottomView::bubbleTitleDate(int index) const {
  return std::array<QDateTime, 4>{firstDate_, secondDate_, thirdDate_,
                                  fourthDate_}[std::size_t(index)];
}

} // namespace kr
