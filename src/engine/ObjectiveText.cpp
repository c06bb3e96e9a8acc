#include "engine/ObjectiveText.h"

#include "engine/RTFHelper.h"
#include "platform/drawing/RgbColor.h"

namespace kr {

ObjectiveText ObjectiveText::fromPlainText(const QString& text, const Style& style) {
  return ObjectiveText(RTFHelper::sharedInstance().rtfdDataFrom(
      text, style.fontFamily, style.pointSize,
      RgbColor::fromHex(style.textColor).value_or(RgbColor{})));
}

RichText ObjectiveText::richText() const {
  return RTFHelper::sharedInstance().attributedStringFromData(data_);
}

QString ObjectiveText::plainText() const {
  QString text = richText().plainText();
  text.remove(QChar(RichText::kAttachmentCharacter));
  return text;
}

} // namespace kr
