#include "platform/files/WavFile.h"

#include "platform/files/FileOperations.h"

#include <QFile>
#include <QtEndian>

namespace kr {

namespace {
quint32 u32(const char* p) { return qFromLittleEndian<quint32>(p); }
quint16 u16(const char* p) { return qFromLittleEndian<quint16>(p); }

void putU32(QByteArray& out, quint32 v) {
  char b[4];
  qToLittleEndian(v, b);
  out.append(b, 4);
}
void putU16(QByteArray& out, quint16 v) {
  char b[2];
  qToLittleEndian(v, b);
  out.append(b, 2);
}

std::optional<WavFile> fail(QString* error, const QString& why) {
  if (error)
    *error = why;
  return std::nullopt;
}
} // namespace

std::optional<WavFile> WavFile::read(const QString& path, QString* error) {
  // Opened without blocking and bounded: a pipe or a device put where a sound
  // was expected must not stop the program, nor take all its memory.
  FileOperations::ReadOptions options;
  options.maximumSize = kLargestFile;
  QString why;
  const std::optional<QByteArray> bytes = FileOperations::readRegularFile(path, &why, options);
  if (!bytes)
    return fail(error, QStringLiteral("cannot open the sound: %1").arg(why));
  return parse(*bytes, error);
}

std::optional<WavFile> WavFile::parse(const QByteArray& bytes, QString* error) {
  const char* d = bytes.constData();
  const qsizetype size = bytes.size();
  if (size < 12 || bytes.left(4) != "RIFF" || bytes.mid(8, 4) != "WAVE")
    return fail(error, QStringLiteral("not a RIFF/WAVE file"));
  if (qsizetype(u32(d + 4)) + 8 > size)
    return fail(error, QStringLiteral("truncated file"));

  WavFile wav;
  bool haveFormat = false;
  qsizetype pos = 12;
  while (pos + 8 <= size) {
    const QByteArray id = bytes.mid(pos, 4);
    const qsizetype chunkSize = u32(d + pos + 4);
    const qsizetype body = pos + 8;
    if (chunkSize > size - body)
      return fail(error,
                  QStringLiteral("chunk \"%1\" runs past the end").arg(QString::fromLatin1(id)));
    if (id == "fmt ") {
      if (chunkSize < 16 || u16(d + body) != 1)
        return fail(error, QStringLiteral("not uncompressed PCM"));
      wav.channels = u16(d + body + 2);
      wav.sampleRate = int(u32(d + body + 4));
      wav.bitsPerSample = u16(d + body + 14);
      const quint32 byteRate = u32(d + body + 8);
      const quint16 blockAlign = u16(d + body + 12);
      if (wav.channels < 1 || wav.sampleRate <= 0 || wav.bitsPerSample != 16 ||
          blockAlign != wav.bytesPerFrame() ||
          byteRate != quint32(wav.sampleRate) * quint32(blockAlign))
        return fail(error, QStringLiteral("unsupported or inconsistent format"));
      haveFormat = true;
    } else if (id == "data") {
      if (!haveFormat)
        return fail(error, QStringLiteral("data before format"));
      if (chunkSize % wav.bytesPerFrame() != 0)
        return fail(error, QStringLiteral("partial frame in data"));
      wav.pcm = bytes.mid(body, chunkSize);
      return wav;
    }
    pos = body + chunkSize + (chunkSize & 1); // chunks are padded to even sizes
  }
  return fail(error, QStringLiteral("no data chunk"));
}

QByteArray WavFile::serialize() const {
  QByteArray out;
  out.reserve(44 + pcm.size());
  out.append("RIFF", 4);
  putU32(out, quint32(36 + pcm.size()));
  out.append("WAVEfmt ", 8);
  putU32(out, 16);
  putU16(out, 1);
  putU16(out, quint16(channels));
  putU32(out, quint32(sampleRate));
  putU32(out, quint32(sampleRate * bytesPerFrame()));
  putU16(out, quint16(bytesPerFrame()));
  putU16(out, quint16(bitsPerSample));
  out.append("data", 4);
  putU32(out, quint32(pcm.size()));
  out.append(pcm);
  return out;
}

bool WavFile::write(const QString& path, QString* error) const {
  QString why;
  if (FileOperations::writeRegularFile(path, serialize(), &why))
    return true;
  if (error)
    *error = QStringLiteral("cannot write %1: %2").arg(path, why);
  return false;
}

} // namespace kr
