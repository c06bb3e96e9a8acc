#include "engine/RTFHelper.h"

#include "platform/richtext/RtfdPackage.h"

namespace kr {

namespace {

bool isLineEnd(char16_t c) {
  return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

} // namespace

RTFHelper& RTFHelper::sharedInstance() {
  static RTFHelper instance;
  return instance;
}

RichText RTFHelper::attributedStringFromData(const std::optional<QByteArray>& data) const {
  if (!data)
    return {};
  return RtfdPackage::fromData(*data).value_or(RichText());
}

QByteArray RTFHelper::rtfdDataFrom(const QString& text, const QString& fontFamily, double pointSize,
                                   const RgbColor& textColor) const {
  CharFormat format;
  format.fontFamily = fontFamily;
  format.fontSize = pointSize;
  format.foreground = textColor;
  return RtfdPackage::toData(RichText(text, format));
}

RichText RTFHelper::rtfdTextObjectFromFile(const std::optional<QString>& path) const {
  if (!path || path->isEmpty())
    return {};
  RtfdPackage::ReadResult result = RtfdPackage::read(*path);
  return result.status == RtfdPackage::Status::Ok ? std::move(result.text) : RichText();
}

QByteArray RTFHelper::rtfdDataFromFile(const QString& path) const {
  const RtfdPackage::ReadResult result = RtfdPackage::read(path);
  if (result.status != RtfdPackage::Status::Ok)
    return {};
  return RtfdPackage::toData(result.text);
}

QList<RichText>
RTFHelper::cutUpIntoAttributedStringLines(const std::optional<QByteArray>& data) const {
  QList<RichText> lines;
  if (!data)
    return lines;
  const std::optional<RichText> text = RtfdPackage::fromData(*data);
  if (!text)
    return lines;
  const QString& plain = text->plainText();
  int start = 0;
  for (int i = 0; i < plain.size(); ++i) {
    const char16_t c = plain[i].unicode();
    if (!isLineEnd(c))
      continue;
    lines.append(text->mid(start, i - start));
    if (c == u'\r' && i + 1 < plain.size() && plain[i + 1] == u'\n')
      ++i; // CR LF ends one line, not two
    start = i + 1;
  }
  lines.append(text->mid(start));
  return lines;
}

} // namespace kr
