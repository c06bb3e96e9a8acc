// Build step: writes the program's sound files into the folder given as the argument.
#include "effects/soundgen/SoundSynth.h"

#include <QString>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
    return 2;
  }
  QString error;
  if (!kr::SoundSynth::writeAll(QString::fromLocal8Bit(argv[1]), &error)) {
    std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
    return 1;
  }
  return 0;
}
