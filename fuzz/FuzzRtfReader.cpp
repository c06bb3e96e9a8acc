// Feeds arbitrary bytes to the RTF reader and the RTFD data reader. Besides
// crashes it checks that what was read survives writing: reading the written
// RTF again gives the same rich text.
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
    std::fprintf(
        stderr, "[%s] font=%s size=%g b=%d i=%d u=%d s=%d fg=%s link=%s att=%s\n",
        text.plainText().mid(run.start, run.length).toUtf8().toPercentEncoding(" ").constData(),
        qPrintable(f.fontFamily), f.fontSize, f.bold, f.italic, f.underline, f.strikeThrough,
        f.foreground ? qPrintable(f.foreground->toHex()) : "-", qPrintable(f.link),
        qPrintable(f.attachment));
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray input =
      QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
  const kr::RichText first = kr::RtfReader::read(input).text;
  const QByteArray written = kr::RtfWriter::write(first);
  const kr::RtfReader::Result second = kr::RtfReader::read(written);
  if (!second.wellFormed || second.text != first) {
    std::fprintf(stderr, "round trip differs\n--- written:\n%s\n", written.constData());
    dump("first", first);
    dump("second", second.text);
    std::abort();
  }
  (void)kr::RtfdPackage::fromData(input);
  return 0;
}
