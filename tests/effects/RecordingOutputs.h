#pragma once

#include "effects/EventOutputs.h"
#include "platform/settings/UserDefaults.h"
#include "shell/RegisteredDefaults.h"

#include "support/TestEnvironment.h"

#include <QStringList>
#include <QUuid>

#include <memory>

namespace kr::test {

// Records every output of the notification handlers, in order, as one line each.
class RecordingOutputs final : public EventOutputs {
public:
  void playSound(const QString& name, float volume) override {
    lines << QStringLiteral("sound %1 %2").arg(name).arg(double(volume), 0, 'f', 2);
  }
  void speak(const QString& text) override { lines << QStringLiteral("speak ") + text; }
  void showNotification(const QString& title, const QString& description, double delay,
                        bool sticky) override {
    lines << QStringLiteral("visual %1 | %2 | delay %3%4")
                 .arg(title, description)
                 .arg(delay)
                 .arg(sticky ? QStringLiteral(" sticky") : QString());
  }
  void playContinuousSound() override { lines << QStringLiteral("noise play"); }
  void stopContinuousSound() override { lines << QStringLiteral("noise stop"); }
  void runScriptHandler(const QString& handler, const QString& text) override {
    lines << QStringLiteral("script %1(%2)").arg(handler, text);
  }
  void runScriptHandler(const QString& handler, const QString& text, qint64 number) override {
    lines << QStringLiteral("script %1(%2, %3)").arg(handler, text).arg(number);
  }
  void quickFadeAllScreens(const QColor& color, float blend, double duration) override {
    lines << QStringLiteral("fade %1 %2 %3")
                 .arg(color.name())
                 .arg(double(blend), 0, 'f', 2)
                 .arg(duration);
  }
  QString currentObjective() override {
    ++objectiveReads;
    return objective;
  }

  QStringList take() {
    QStringList out = lines;
    lines.clear();
    return out;
  }

  QStringList lines;
  QString objective;
  int objectiveReads = 0;
};

// A settings store in the temporary home with the registered values
// and the data model's soft-break switch.
inline std::unique_ptr<UserDefaults> makeEffectsDefaults(bool softBreak = false) {
  auto d = std::make_unique<UserDefaults>(temporaryHome() + QStringLiteral("/effects-") +
                                          QUuid::createUuid().toString(QUuid::WithoutBraces) +
                                          QStringLiteral(".conf"));
  d->registerDefaults(RegisteredDefaults::table());
  d->registerDefault(QStringLiteral("shouldUseSoftBreak"), softBreak);
  return d;
}

} // namespace kr::test
