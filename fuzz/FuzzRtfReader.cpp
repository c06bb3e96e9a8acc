// Feeds arbitrary bytes to the RTF reader and the RTFD data reader. Besides
// crashes it checks that what was read survives writing: reading the written
// RTF again gives the same rich text. The reader of the writer's own form
// must read whatever it takes, the input and the written text, as the
// general reader does, but for the paragraphs' formats, which it does not
// read.
#include "platform/richtext/RtfOwnFormReader.h"
#include "platform/richtext/RtfReader.h"
#include "platform/richtext/RtfWriter.h"
#include "platform/richtext/RtfdPackage.h"

#include <cstdio>
#include <cstdlib>

namespace {

void dump(const char* title, const kr::RichText& text) {
  std::fprintf(stderr, "--- %s\n", title);
  for (const kr::RichText::Run& run : text.runs()) {
    const kr::CharFormat& f = run.format;
    const kr::ParagraphFormat& p = *f.paragraph;
    std::fprintf(
        stderr,
        "[%s] font=%s size=%g b=%d i=%d u=%d s=%d s2=%d caps=%d sp=%d fg=%s bg=%s link=%s att=%s "
        "| q=%d dir=%d li=%d ri=%d fi=%d sb=%d sa=%d sl=%d%s tabs=%d\n",
        text.plainText().mid(run.start, run.length).toUtf8().toPercentEncoding(" ").constData(),
        qPrintable(f.fontFamily), f.fontSize, f.bold, f.italic, f.underline, f.strikeThrough,
        f.doubleStrike, f.capitals, f.letterSpacing,
        f.foreground ? qPrintable(f.foreground->toHex()) : "-",
        f.background ? qPrintable(f.background->toHex()) : "-", qPrintable(f.link),
        qPrintable(f.attachment), int(p.alignment), int(p.direction), p.leftIndent, p.rightIndent,
        p.firstLineIndent, p.spaceBefore, p.spaceAfter, p.lineSpacing,
        p.lineSpacingMultiple ? "x" : "", int(p.tabStops.size()));
  }
}

// The own-form reader's text and formats as rich text.
kr::RichText ownFormText(const kr::RtfOwnFormReader& reader) {
  kr::RichText text;
  const auto& runs = reader.runs();
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const qsizetype end = i + 1 < runs.size() ? runs[i + 1].start : reader.text().size();
    kr::CharFormat format = reader.formats()[runs[i].format];
    if (runs[i].link > 0)
      format.link = reader.links()[runs[i].link - 1];
    text.append(reader.text().mid(runs[i].start, end - runs[i].start), format);
  }
  return text;
}

void checkOwnForm(const QByteArray& rtf, kr::RichText general) {
  thread_local kr::RtfOwnFormReader reader;
  if (!reader.read(rtf))
    return;
  general.clearParagraphFormats();
  const kr::RichText own = ownFormText(reader);
  if (own.plainText() != general.plainText() || own.runs() != general.runs()) {
    std::fprintf(stderr, "own-form reading differs\n--- input:\n%.*s\n", int(rtf.size()),
                 rtf.constData());
    dump("general", general);
    dump("own form", own);
    std::abort();
  }
}

// The same text and formats; the bytes of attachments (pictures read from the
// RTF) are written into the package beside the text, not into it.
bool sameText(const kr::RichText& a, const kr::RichText& b) {
  return a.plainText() == b.plainText() && a.runs() == b.runs() &&
         a.tabInterval() == b.tabInterval();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray input =
      QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
  const kr::RichText first = kr::RtfReader::read(input).text;
  const QByteArray written = kr::RtfWriter::write(first);
  const kr::RtfReader::Result second = kr::RtfReader::read(written);
  if (!second.wellFormed || !sameText(second.text, first)) {
    std::fprintf(stderr, "round trip differs\n--- written:\n%.*s\n", int(written.size()),
                 written.constData());
    dump("first", first);
    dump("second", second.text);
    std::abort();
  }
  checkOwnForm(input, first);
  checkOwnForm(written, second.text);
  (void)kr::RtfdPackage::fromData(input);
  return 0;
}
