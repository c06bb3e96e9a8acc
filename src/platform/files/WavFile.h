#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace kr {

// Uncompressed PCM WAV files: 16-bit little-endian samples.
struct WavFile {
  int sampleRate = 0;
  int channels = 0;
  int bitsPerSample = 0;
  QByteArray pcm; // interleaved frames

  int bytesPerFrame() const { return channels * bitsPerSample / 8; }
  qint64 frameCount() const { return bytesPerFrame() > 0 ? pcm.size() / bytesPerFrame() : 0; }
  double durationSeconds() const {
    return sampleRate > 0 ? double(frameCount()) / sampleRate : 0.0;
  }

  // Reads a RIFF/WAVE file with a PCM "fmt " chunk and a "data" chunk; other
  // chunks are skipped. Answers nothing, with the reason, for anything else.
  static std::optional<WavFile> read(const QString& path, QString* error = nullptr);
  static std::optional<WavFile> parse(const QByteArray& bytes, QString* error = nullptr);
  // Writes atomically; false with the reason when the file cannot be written.
  bool write(const QString& path, QString* error = nullptr) const;
  QByteArray serialize() const;
};

} // namespace kr
