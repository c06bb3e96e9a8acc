// The pages of the notification table: per event its sound, its spoken text
// and its desktop notification, with the event's own extras.
#include "preferences/NotificationPages.h"

#include "preferences/PreferenceControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QSlider>
#include <QSpinBox>

namespace kr {

namespace {

QString key(const QString& base, const char* suffix) { return base + QLatin1String(suffix); }

class PageBuilder {
public:
  PageBuilder(PreferenceControls& controls, const std::function<QWidget*(const QString&)>& popUp)
      : controls_(controls), popUp_(popUp), page_(new QWidget), grid_(new QGridLayout(page_)) {
    grid_->setContentsMargins(14, 12, 14, 12);
    grid_->setHorizontalSpacing(10);
    grid_->setVerticalSpacing(6);
    grid_->setColumnStretch(1, 1);
  }

  void heading(const QString& text) {
    if (row_ > 0)
      grid_->setRowMinimumHeight(row_++, 8);
    auto* label = new QLabel(text);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    grid_->addWidget(label, row_++, 0, 1, 2);
  }

  // A check box alone on its row.
  void flag(const QString& text, const QString& flagKey) {
    grid_->addWidget(controls_.check(text, flagKey), row_++, 0, 1, 2);
  }

  // S: the switch, the sound pop-up and its volume; with an interval the
  // switch reads "every" and the interval follows it.
  void sound(const QString& text, const QString& onKey, const QString& soundKey,
             const QString& volumeKey, const QString& intervalKey = {}) {
    grid_->addWidget(controls_.check(text, onKey), row_, 0);
    auto* line = new QHBoxLayout;
    if (!intervalKey.isEmpty())
      line->addWidget(controls_.minutes(intervalKey));
    line->addWidget(popUp_(soundKey), 1);
    line->addWidget(new QLabel(QStringLiteral("Volume")));
    QSlider* volume = controls_.fraction(volumeKey);
    volume->setMinimumWidth(90);
    line->addWidget(volume);
    grid_->addLayout(line, row_++, 1);
  }

  // Sp: the switch and the text to say.
  void speech(const QString& base, const QString& intervalKey = {}) {
    const bool every = !intervalKey.isEmpty();
    grid_->addWidget(
        controls_.check(every ? QStringLiteral("Speak every") : QStringLiteral("Speak"),
                        key(base, "On")),
        row_, 0);
    auto* line = new QHBoxLayout;
    if (every)
      line->addWidget(controls_.minutes(intervalKey));
    line->addWidget(controls_.text(key(base, "Text"), QStringLiteral("Text to speak")), 1);
    grid_->addLayout(line, row_++, 1);
  }

  // V: the switch, the title, the description and whether it stays.
  void visual(const QString& base, const char* stickySuffix = "Sticky",
              const QString& intervalKey = {}) {
    const bool every = !intervalKey.isEmpty();
    grid_->addWidget(controls_.check(every ? QStringLiteral("Notify every")
                                           : QStringLiteral("Show notification"),
                                     key(base, "On")),
                     row_, 0);
    auto* line = new QHBoxLayout;
    if (every)
      line->addWidget(controls_.minutes(intervalKey));
    line->addWidget(controls_.text(key(base, "Text"), QStringLiteral("Title")), 1);
    grid_->addLayout(line, row_++, 1);
    auto* second = new QHBoxLayout;
    second->addWidget(controls_.text(key(base, "Description"), QStringLiteral("Description")), 1);
    second->addWidget(controls_.check(QStringLiteral("Keep on screen"), key(base, stickySuffix)));
    grid_->addLayout(second, row_++, 1);
  }

  // The three outputs named after one event.
  void outputs(const QString& sound, const QString& speechBase, const QString& visualBase) {
    this->sound(QStringLiteral("Play sound"), key(sound, "On"), sound, key(sound, "Volume"));
    speech(speechBase);
    visual(visualBase);
  }

  void dimming(const QString& flagKey, const QString& durationKey, bool withAlpha) {
    heading(QStringLiteral("Dimming"));
    grid_->addWidget(controls_.check(QStringLiteral("Dim the screen for"), flagKey), row_, 0);
    auto* line = new QHBoxLayout;
    line->addWidget(controls_.seconds(durationKey));
    line->addWidget(new QLabel(QStringLiteral("before the end")), 1);
    grid_->addLayout(line, row_++, 1);
    if (withAlpha) {
      grid_->addWidget(new QLabel(QStringLiteral("Darkness")), row_, 0);
      grid_->addWidget(controls_.fraction(QStringLiteral("dimmingAlpha")), row_++, 1);
    }
  }

  void label(const QString& text, QWidget* control) {
    grid_->addWidget(new QLabel(text), row_, 0);
    grid_->addWidget(control, row_++, 1);
  }

  QWidget* finish() {
    grid_->setRowStretch(row_, 1);
    auto* scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    // Tab goes to the controls it holds, not to the scroller.
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setWidgetResizable(true);
    scroll->setWidget(page_);
    // The panel behind shows through.
    scroll->viewport()->setAutoFillBackground(false);
    page_->setAutoFillBackground(false);
    scroll->setStyleSheet(QStringLiteral("QScrollArea { background: transparent; }"));
    return scroll;
  }

private:
  PreferenceControls& controls_;
  const std::function<QWidget*(const QString&)>& popUp_;
  QWidget* page_;
  QGridLayout* grid_;
  int row_ = 0;
};

QWidget* started(PageBuilder b) {
  b.outputs(QStringLiteral("startSound"), QStringLiteral("speechStart"),
            QStringLiteral("growlStart"));
  return b.finish();
}

QWidget* inProgress(PageBuilder b) {
  b.sound(QStringLiteral("Play sound every"), QStringLiteral("soundReminderOn"),
          QStringLiteral("countDownSound"), QStringLiteral("soundReminderVolume"),
          QStringLiteral("soundReminderInterval"));
  b.speech(QStringLiteral("speechReminder"), QStringLiteral("speechReminderInterval"));
  b.visual(QStringLiteral("growlReminder"), "Sticky", QStringLiteral("growlReminderInterval"));
  b.heading(QStringLiteral("Continuous sound"));
  b.sound(QStringLiteral("Play continuously"), QStringLiteral("continuousSoundOn"),
          QStringLiteral("continuousSound"), QStringLiteral("continuousSoundVolume"));
  return b.finish();
}

QWidget* willElapse(PageBuilder b) {
  b.heading(QStringLiteral("Warn before the end"));
  b.flag(QStringLiteral("10 minutes before"), QStringLiteral("warning10MinutesOn"));
  b.flag(QStringLiteral("5 minutes before"), QStringLiteral("warning5MinutesOn"));
  b.flag(QStringLiteral("3 minutes before"), QStringLiteral("warning3MinutesOn"));
  b.flag(QStringLiteral("1 minute before"), QStringLiteral("warning1MinuteOn"));
  b.heading(QStringLiteral("With"));
  b.outputs(QStringLiteral("warningSound"), QStringLiteral("speechWarning"),
            QStringLiteral("growlWarning"));
  b.dimming(QStringLiteral("dimBeforeEndOfTimeSlice"), QStringLiteral("endOfTimeSliceDimDuration"),
            true);
  return b.finish();
}

QWidget* elapsed(PageBuilder b, PreferenceControls& controls) {
  b.outputs(QStringLiteral("endSound"), QStringLiteral("speechEnd"), QStringLiteral("growlEnd"));
  b.heading(QStringLiteral("Soft break"));
  b.sound(QStringLiteral("First cue"), QStringLiteral("softBreakFirstSoundOn"),
          QStringLiteral("softBreakFirstSound"), QStringLiteral("softBreakFirstSoundVolume"));
  b.sound(QStringLiteral("Second cue"), QStringLiteral("softBreakSecondSoundOn"),
          QStringLiteral("softBreakSecondSound"), QStringLiteral("softBreakSecondSoundVolume"));
  b.sound(QStringLiteral("Third cue"), QStringLiteral("softBreakThirdSoundOn"),
          QStringLiteral("softBreakThirdSound"), QStringLiteral("softBreakThirdSoundVolume"));
  b.label(QStringLiteral("Flash the screen"),
          controls.choice(QStringLiteral("softBreakScreenFlashingChoice"),
                          {{QStringLiteral("Never"), 0},
                           {QStringLiteral("At the tock"), 1},
                           {QStringLiteral("At every cue"), 3}}));
  b.heading(QStringLiteral("While you are still working"));
  b.speech(QStringLiteral("speechSoftBreakUserStillActive"));
  b.visual(QStringLiteral("growlSoftBreakUserStillActive"));
  b.heading(QStringLiteral("Shortly before the break"));
  b.speech(QStringLiteral("speechSoftBreakIntermediary"));
  b.visual(QStringLiteral("growlSoftBreakIntermediary"), "Stick");
  b.heading(QStringLiteral("When the break starts"));
  b.speech(QStringLiteral("speechSoftBreakFinal"));
  b.visual(QStringLiteral("growlSoftBreakFinal"), "Stick");
  return b.finish();
}

QWidget* paused(PageBuilder b) {
  b.outputs(QStringLiteral("pausedSound"), QStringLiteral("speechPaused"),
            QStringLiteral("growlPaused"));
  return b.finish();
}

QWidget* stopped(PageBuilder b) {
  b.outputs(QStringLiteral("stoppedSound"), QStringLiteral("speechStopped"),
            QStringLiteral("growlStopped"));
  return b.finish();
}

QWidget* breakStarted(PageBuilder b) {
  b.outputs(QStringLiteral("breakStartSound"), QStringLiteral("speechBreakStart"),
            QStringLiteral("growlBreakStart"));
  return b.finish();
}

QWidget* breakInProgress(PageBuilder b) {
  b.sound(QStringLiteral("Play sound every"), QStringLiteral("breakSoundReminderOn"),
          QStringLiteral("breakCountDownSound"), QStringLiteral("breakSoundReminderVolume"),
          QStringLiteral("breakSoundReminderInterval"));
  b.speech(QStringLiteral("breakSpeechReminder"), QStringLiteral("breakSpeechReminderInterval"));
  b.visual(QStringLiteral("breakGrowlReminder"), "Sticky",
           QStringLiteral("breakGrowlReminderInterval"));
  return b.finish();
}

QWidget* breakElapsed(PageBuilder b) {
  b.outputs(QStringLiteral("breakEndSound"), QStringLiteral("breakSpeechEnd"),
            QStringLiteral("breakGrowlEnd"));
  b.dimming(QStringLiteral("dimBeforeEndOfTimedBreak"),
            QStringLiteral("endOfTimedBreakDimDuration"), false);
  return b.finish();
}

} // namespace

std::vector<QWidget*>
makeNotificationPages(PreferenceControls& controls,
                      const std::function<QWidget*(const QString&)>& soundPopUp) {
  const auto builder = [&] { return PageBuilder(controls, soundPopUp); };
  return {started(builder()),           inProgress(builder()),      willElapse(builder()),
          elapsed(builder(), controls), paused(builder()),          stopped(builder()),
          breakStarted(builder()),      breakInProgress(builder()), breakElapsed(builder())};
}

} // namespace kr
