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

  // The largest file read: ten minutes of CD-quality stereo, with room.
  static constexpr qint64 kLargestFile = 128LL * 1024 * 1024;

  // Reads a RIFF/WAVE file with a PCM "fmt " chunk and a "data" chunk; other
  // chunks are skipped. Answers nothing, with the reason, for anything else
  // (a pipe, a device, a folder or a file larger than kLargestFile).
  static std::optional<WavFile> read(const QString& path, QString* error = nullptr);
  static std::optional<WavFile> parse(const QByteArray& bytes, QString* error = nullptr);
  // Writes atomically; false with the reason when the file cannot be written.
  bool write(const QString& path, QString* error = nullptr) const;
  QByteArray serialize() const;
};

} // namespace kr
