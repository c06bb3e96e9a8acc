#pragma once

#include <QString>

namespace kr {

// Finds the external sound application Hushbox, whose sounds may join the
// library. It is looked for where it installs on the other desktop, so on
// this one it is not found and the library holds the program's own sounds.
class HushboxDetector {
public:
  static constexpr const char* kApplicationPath = "/Applications/Hushbox.app";

  // Whether something exists at the application's path.
  static bool hushboxDetected();
  // The application's resources folder, ending with a slash: its sound files
  // and its lists ("SoundMappingFile.json", "ContinuousSoundPrivateNames.json",
  // in the form of the program's own lists).
  static QString pathToHushboxResources();

  // Looks for the application at another path (tests); empty: the standard one.
  static void setApplicationPath(const QString& path);
};

} // namespace kr
