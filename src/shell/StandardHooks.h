#pragma once

namespace kr {

struct ShellHooks;

// Fills the start-up hooks whose work is done by the libraries below the
// shell. The application installs them; tests choose which they want.
class StandardHooks {
public:
  // The first log reload about a second after start, the log folder monitor,
  // and renaming the log files of older versions.
  static void installLogFileHooks(ShellHooks& hooks);

  // The first launch's login item, through the autostart entry; the
  // mailing-list offer's launch count.
  static void installIntegrationHooks(ShellHooks& hooks);

  // The statistics data set read at start-up and after a slice was logged:
  // both ask the shared statistics manager (made with the main window).
  static void installStatisticsHooks(ShellHooks& hooks);
  static void removeStatisticsHooks();

  // The cues the running slice and the soft break give as they end: the
  // ticks, the tock, the spoken and shown messages, the user's script and the
  // continuous sound's stop. Each does only what the user's settings switch on.
  static void installStateCues();
  // Empties them again (before the effects they call go away).
  static void removeStateCues();

  // What the profile page's "Test" buttons play: the notification, the
  // event sound, the spoken sentence and the continuous sound's preview, on
  // the installed effects. Without a sound device, speech or a notification
  // server each says so once on the console, as every other cue does.
  static void installProfileTests();
  static void removeProfileTests();
};

} // namespace kr
