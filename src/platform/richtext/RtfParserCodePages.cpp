// The code pages that bytes of text are read in.
#include "platform/richtext/RtfParser.h"

#include <utility>

namespace kr {

int RtfParser::textCodePage() const {
  if (fontCodePages_.isEmpty() && fontTableCodePage_ == 0)
    return codePage_;
  const Group& group = groups_.back();
  if (group.destination == Destination::FontTable)
    return fontTableCodePage_ ? fontTableCodePage_ : codePage_;
  const int font = group.fontNumber >= 0 ? group.fontNumber : defaultFont_;
  return fontCodePages_.value(font, codePage_);
}

void RtfParser::setCodePage(int codePage) {
  codePage_ = codePage;
  table_ = &RtfCodePage::table(codePage);
}

void RtfParser::byteText(quint8 byte, bool literal) {
  const int page = textCodePage();
  if (leadByte_) {
    const quint8 lead = std::exchange(leadByte_, quint8(0));
    if (page == leadPage_) {
      for (const QChar unit : RtfCodePage::decodePair(page, lead, byte))
        unicodeUnit(unit.unicode());
      return;
    }
    unicodeUnit(0xFFFD);
  }
  if (RtfCodePage::isLeadByte(page, byte)) {
    leadByte_ = byte;
    leadPage_ = page;
    return;
  }
  character(page == codePage_ ? (*table_)[byte] : RtfCodePage::table(page)[byte], literal);
}

} // namespace kr
