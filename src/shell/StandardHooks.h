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
};

} // namespace kr
