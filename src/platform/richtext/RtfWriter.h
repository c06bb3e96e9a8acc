#pragma once

#include "platform/drawing/RgbColor.h"
#include "platform/richtext/EncodedRichText.h"
#include "platform/richtext/RichText.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kr {

// Writes rich text as plain RTF that other readers accept: a font table and
// a colour table, each run in a group of its own carrying its attributes,
// links as HYPERLINK fields, attachments as \NeXTGraphic groups naming their
// file. Non-ASCII characters are written as \uN followed by a Windows-1252
// fallback byte, or "?" where that code page has none.
class RtfWriter {
public:
  // The fonts and colours a document's runs refer to by number.
  struct Tables {
    QStringList fonts;
    std::vector<RgbColor> colors; // numbered from 1: 0 is the automatic colour
    // The document's default font (\deff), for other readers: an entry
    // after `fonts` that no run refers to, marked so that this program's
    // reader gives it to no run either.
    QString defaultFont;
  };

  static QByteArray write(const RichText& text);
  // The same bytes as write() gives for the rich text that `text` encodes.
  static QByteArray write(const EncodedRichText& text);
  // Bytes of encoded chunks, each with its place in the markup around them.
  using Inserts = std::vector<std::pair<std::size_t, QByteArrayView>>;
  // The same bytes as pieces to be written one after another: the markup
  // around the text's chunks, and the chunks' own bytes, not copied.
  struct Pieces {
    EncodedRichText text; // keeps the chunks the pieces show
    std::string markup;
    Inserts inserts;
    std::vector<QByteArrayView> views() const;
    qsizetype size() const;
  };
  static Pieces writePieces(const EncodedRichText& text);
  // The fonts and colours the runs of `text` use, as write() numbers them.
  static Tables usedTables(const EncodedRichText& text);
  // The fonts and colours of every one of `formats`, in their order.
  static Tables tablesOf(const std::vector<CharFormat>& formats);

  // Writes encoded text chunk by chunk, so that its first chunks can be
  // written out while the last are still being encoded: the tables are
  // given first and must hold every font and colour the chunks' formats use.
  // With usedTables() of the whole text, the bytes are those of write().
  class ChunkWriter {
  public:
    // Begins with the header and the paragraph style.
    ChunkWriter(std::vector<CharFormat> formats, std::vector<ParagraphFormat> paragraphs,
                const Tables& tables, double tabInterval);
    ~ChunkWriter();
    ChunkWriter(const ChunkWriter&) = delete;
    ChunkWriter& operator=(const ChunkWriter&) = delete;
    // The next chunk's runs; its bytes are shown, not copied.
    void add(const EncodedRichText::Chunk& chunk);
    // Closes the text after the last chunk.
    void end();
    // What was written since the last take(): views of this writer's markup
    // (valid until the next add() or end()) and of the chunks' bytes.
    std::vector<QByteArrayView> take();
    // Everything written, when nothing was taken.
    void release(std::string* markup, Inserts* inserts);

  private:
    void startPart();
    struct State;
    std::unique_ptr<State> state_;
  };
  // Appends the characters of a run of `format` as write() writes them
  // inside the run's group. Each character is encoded on its own, so the
  // encoding of a text is that of its parts one after another.
  static void encodeCharacters(QStringView text, const CharFormat& format, std::string& out);

  // The header write() puts before the runs of a text with these tables.
  static QByteArray header(const Tables& tables);
  // The tables of a document that begins with a header exactly as header()
  // writes it, and the header's length; none for any other beginning.
  static std::optional<std::pair<Tables, qsizetype>> readHeader(QByteArrayView document);
  // The runs of `text` as write() writes them after the header, numbered by
  // `tables`; none when the text uses a font or colour they lack.
  static std::optional<QByteArray> body(const RichText& text, const Tables& tables);
};

} // namespace kr
