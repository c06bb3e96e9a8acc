#pragma once

#include "platform/files/WavFile.h"

#include <QString>

#include <vector>

namespace kr {

// The program's own sounds, synthesised: tones, clicks, ticks and noise.
class SoundSynth {
public:
  struct Sound {
    QString fileName; // base name; the file is fileName + ".wav"
    double seconds;
  };

  static constexpr int kSampleRate = 44100;

  // Every sound the program ships, with its length.
  static const std::vector<Sound>& catalog();
  // The sound of that base name (an empty file for an unknown name).
  static WavFile synthesize(const QString& fileName);
  // Writes every sound of the catalog into the folder.
  static bool writeAll(const QString& folder, QString* error);
};

} // namespace kr
