#pragma once

#include "platform/services/AskedAbout.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace kr {

struct Alert;

// What an alert's "Help" button does. The presenter shows the button only
// for an alert that has one.
class AlertHelpDelegate {
public:
  virtual ~AlertHelpDelegate() = default;
  // Shows the help for the alert. True: the help was shown, and the alert
  // comes back so the user can still answer it.
  virtual bool alertShowHelp(const Alert& alert) = 0;
};

// A modal alert: a message, an explanation and its buttons, first button first
// (the first is the default one; none shows a single "OK").
struct Alert {
  enum class Style { warning, informational, critical };

  QString messageText;
  QString informativeText;
  QStringList buttons;
  Style style = Style::warning;
  // None: the alert has no "Help" button.
  std::shared_ptr<AlertHelpDelegate> helpDelegate = nullptr;
  // Shows the check box "Do not show this message again"; its state comes
  // back in `AlertAnswer::suppressed`.
  bool showsSuppressionButton = false;
  // The button the Escape key presses; -1: the presenter's own rule (a
  // message box with several other buttons ignores Escape).
  int escapeButton = -1;
  // The texts can be selected and copied (an address, a path).
  bool selectableText = false;

  static QString suppressionButtonTitle();
};

// The button chosen (-1: dismissed without a choice) and whether the
// suppression check box was ticked.
struct AlertAnswer {
  int button = -1;
  bool suppressed = false;
};

// The one way every part of the program asks the user something or tells of a
// failure. Start-up installs the presenter on message boxes; until then (and in
// a program without windows) an alert is written to the console and answered
// with its first button.
class AlertPresenterAPI {
public:
  virtual ~AlertPresenterAPI() = default;

  // Shows the alert and returns the index of the button chosen, or -1 when it
  // was dismissed without a choice. Its "Help" button is no answer: it runs
  // the help delegate and, when that showed help, shows the alert again.
  int runModal(const Alert& alert) { return respond(alert).button; }
  // The same for a question whose answer acts on something that may change
  // while it is open: -1, as if dismissed, when `about` no longer holds.
  int runModal(const Alert& alert, const AskedAbout& about) {
    const int button = runModal(alert);
    return button < 0 || about.stillHolds() ? button : -1;
  }
  // The same, with the state of the suppression check box.
  virtual AlertAnswer respond(const Alert& alert) = 0;

  static AlertPresenterAPI& shared();
  // Not owned; nullptr restores the console presenter.
  static void install(AlertPresenterAPI* presenter);
  // The presenter start-up installed; nullptr while the console one answers.
  static AlertPresenterAPI* installed();
};

} // namespace kr
