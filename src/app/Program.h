#pragma once

#include "platform/services/HtmlView.h"

#include <QStringList>

#include <memory>

namespace kr {

class ApplicationShell;
class DateProviderAPI;

// The whole program as it runs on the desktop: the back ends of sound,
// speech, notifications, screen effects, alerts, the file browser, the tray and
// the idle time, the shell that wires the work cycle over them, and the ways
// out. main() builds it, and so do the tests of the assembled program; the
// only thing a test replaces is time (a test clock set before construction).
// A QApplication must exist first.
class Program {
public:
  struct Options {
    // The launch manager's current date; none: the system clock.
    const DateProviderAPI* dateProvider = nullptr;
    // Makes the web views (statistics, help); none: Qt WebEngine. Tests on
    // Qt's offscreen platform, where the engine cannot draw, give their own.
    HtmlView::Factory htmlViews;
  };

  // Names the application (settings folder, desktop file). Also for
  // processes that only answer --help or --version.
  static void describeApplication();

  explicit Program(Options options);
  Program() : Program(Options{}) {}
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // Creates everything up to the first page, then follows the links and the
  // "--perform" actions among the command-line arguments.
  void launch(const QStringList& arguments);
  // Runs the event loop until the program quits; returns the exit status.
  int exec();

  // A later launch handed its arguments over.
  void handOver(const QStringList& arguments);
  // Quits as the menu's "Quit Korvane-R" does: the state may ask the user first.
  bool quit();
  // Quits at once without asking (a signal, the end of the session).
  void quitWithoutAsking(const QString& why);

  ApplicationShell& shell();

private:
  // Says on the console whether sound, speech, notifications, screen fading
  // and the scripts folder are there.
  void describeServices();
  // Says once, in an alert, that the settings file could not be read.
  void tellUnreadableSettings();
  // Shows an alert about the settings file once the event loop runs.
  void tellAboutSettings(const QString& message, const QString& information);

  struct Parts;
  std::unique_ptr<Parts> parts_;
};

} // namespace kr
