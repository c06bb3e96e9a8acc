// Reads an RTFD package from disk whose text and attachment are arbitrary
// bytes: the package reader must neither crash nor block, and it reads the
// same text with and without the attachment files.
#include "platform/richtext/RtfdPackage.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

namespace {
QString& package() {
  static QTemporaryDir dir;
  static QString path = dir.path() + QStringLiteral("/Day.rtfd");
  QDir().mkpath(path);
  return path;
}

void put(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
    std::abort();
  file.write(bytes);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
  // The text up to the first NUL; what follows it is the picture.
  const qsizetype split = input.indexOf('\0');
  put(package() + QStringLiteral("/TXT.rtf"), split < 0 ? input : input.left(split));
  put(package() + QStringLiteral("/picture.png"), split < 0 ? QByteArray() : input.mid(split + 1));
  const kr::RtfdPackage::ReadResult whole = kr::RtfdPackage::read(package());
  const kr::RtfdPackage::ReadResult text = kr::RtfdPackage::read(package(), false);
  if (whole.status != text.status || whole.wellFormed != text.wellFormed ||
      whole.text.plainText() != text.text.plainText())
    std::abort();
  return 0;
}
