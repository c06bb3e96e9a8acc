#include "engine/LogTextDecoder.h"

#include "platform/richtext/RtfCodePage.h"

#include <QStringDecoder>

namespace kr {

QString LogTextDecoder::fromMacRoman(const QByteArray& bytes) {
  const RtfCodePage::Table& macRoman = RtfCodePage::table(RtfCodePage::kMacRoman);
  QString text(bytes.size(), Qt::Uninitialized);
  QChar* out = text.data();
  for (const char byte : bytes)
    *out++ = QChar(macRoman[static_cast<unsigned char>(byte)]);
  return text;
}

QString LogTextDecoder::decode(const QByteArray& bytes) {
  if (const auto bom = QStringConverter::encodingForData(bytes)) {
    QStringDecoder decoder(*bom);
    return decoder.decode(bytes);
  }
  QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
  QString text = utf8.decode(bytes);
  if (!utf8.hasError())
    return text;
  return fromMacRoman(bytes);
}

} // namespace kr
