#pragma once

#include <QString>
#include <QStringList>

namespace kr {

// A modal alert: a message, an explanation and its buttons, first button first
// (the first is the default one; none shows a single "OK").
struct Alert {
  enum class Style { warning, informational, critical };

  QString messageText;
  QString informativeText;
  QStringList buttons;
  Style style = Style::warning;
};

// The one way every part of the program asks the user something or tells of a
// failure. Start-up installs the presenter on message boxes; until then (and in
// a program without windows) an alert is written to the console and answered
// with its first button.
class AlertPresenterAPI {
public:
  virtual ~AlertPresenterAPI() = default;

  // Shows the alert and returns the index of the button chosen, or -1 when it
  // was dismissed without a choice.
  virtual int runModal(const Alert& alert) = 0;

  static AlertPresenterAPI& shared();
  // Not owned; nullptr restores the console presenter.
  static void install(AlertPresenterAPI* presenter);
  // The presenter start-up installed; nullptr while the console one answers.
  static AlertPresenterAPI* installed();
};

} // namespace kr
