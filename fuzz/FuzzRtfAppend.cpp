// Feeds arbitrary documents to the in-place append. The first byte picks the
// text to append, the rest is the document. Whenever the append takes a
// document, the document must read in full at every step of the append: as
// before until the closing brace goes, then as the old text followed by the
// new one, which takes the tab stops in effect at the end. Documents read a
// block at a time must give the same plan as read at once (when the header is
// within the first block).
#include "platform/richtext/RtfInPlaceAppend.h"
#include "platform/richtext/RtfReader.h"
#include "platform/richtext/RtfWriter.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

kr::RichText added(quint8 choice) {
  kr::CharFormat format;
  switch (choice % 5) {
  case 0:
    return kr::RichText(QStringLiteral("#TimeSlice\nplain\n"));
  case 1:
    format.fontFamily = QStringLiteral("Helvetica");
    format.fontSize = 12;
    format.bold = true;
    format.foreground = kr::RgbColor{0, 0, 0};
    return kr::RichText(QStringLiteral("#objective\n"), format);
  case 2:
    format.link = QStringLiteral("https://example.org/");
    return kr::RichText(QStringLiteral("\u00ac a link \U0001F600\t"), format);
  case 3:
    return kr::RichText(QStringLiteral("\uFFFC\u2028x"));
  default:
    format.italic = true;
    format.underline = true;
    format.foreground = kr::RgbColor{255, 0, 0};
    return kr::RichText(QStringLiteral("{\\}"), format);
  }
}

[[noreturn]] void fail(const char* what, const QByteArray& document) {
  std::fprintf(stderr, "%s\n--- document:\n%s\n", what, document.constData());
  std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0)
    return 0;
  const kr::RichText entry = added(data[0]);
  const QByteArray document(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
  const auto plan = kr::RtfInPlaceAppend::plan(document, entry);
  const qsizetype block = 128 + data[0];
  const auto inBlocks = kr::RtfInPlaceAppend::plan(
      [&document](qint64 offset, char* buffer, qsizetype length) {
        std::memcpy(buffer, document.constData() + offset, size_t(length));
        return true;
      },
      document.size(), entry, nullptr, block);
  // A header is looked for in the first block only.
  const auto header = kr::RtfWriter::readHeader(document.first(std::min(document.size(), block)));
  if (header && (bool(plan) != bool(inBlocks) ||
                 (plan && (plan->closingBrace != inBlocks->closingBrace ||
                           plan->size != inBlocks->size || plan->tail != inBlocks->tail))))
    fail("reading in blocks differs", document);
  if (!plan)
    return 0;

  const kr::RtfReader::Result before = kr::RtfReader::read(document);
  if (!before.wellFormed)
    fail("took a document that does not read in full", document);
  using Step = kr::RtfInPlaceAppend::Step;
  for (qsizetype cut : {qsizetype(0), plan->tail.size() / 2, plan->tail.size()}) {
    const kr::RtfReader::Result cutShort =
        kr::RtfReader::read(kr::RtfInPlaceAppend::applied(document, *plan, Step::Tail, cut));
    if (!cutShort.wellFormed || cutShort.text != before.text)
      fail("an append cut short changes the document", document);
  }
  for (Step step : {Step::Brace, Step::Finished}) {
    const kr::RtfReader::Result after =
        kr::RtfReader::read(kr::RtfInPlaceAppend::applied(document, *plan, step));
    if (!after.wellFormed)
      fail("the appended document does not read in full", document);
    // Tab stops set outside a group hold on past the document's last
    // paragraph, as in any RTF reader: the appended text takes them and no
    // other paragraph format.
    kr::ParagraphFormat taken = *after.text.formatAt(before.text.length()).paragraph;
    const QList<kr::ParagraphFormat::TabStop> stops = std::exchange(taken.tabStops, {});
    if (!taken.isDefault())
      fail("the appended text takes a paragraph format of the document", document);
    kr::RichText newText = entry;
    newText.updateFormat(0, newText.length(), [&stops](kr::CharFormat& format) {
      kr::ParagraphFormat paragraph = *format.paragraph;
      paragraph.tabStops = stops;
      format.paragraph = paragraph;
    });
    kr::RichText expected = before.text;
    expected.append(newText);
    if (after.text != expected)
      fail("the appended document does not read as the old text and the new", document);
  }
  return 0;
}
