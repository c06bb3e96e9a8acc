#pragma once

#include "platform/drawing/RgbColor.h"
#include "platform/richtext/EncodedRichText.h"
#include "platform/richtext/RichText.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>

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
  };

  static QByteArray write(const RichText& text);
  // The same bytes as write() gives for the rich text that `text` encodes.
  static QByteArray write(const EncodedRichText& text);
  // The same bytes as pieces to be written one after another: the markup
  // around the text's chunks, and the chunks' own bytes, not copied.
  struct Pieces {
    EncodedRichText text; // keeps the chunks the pieces show
    std::string markup;
    // Bytes of the chunks, each with its place in the markup.
    std::vector<std::pair<std::size_t, QByteArrayView>> inserts;
    std::vector<QByteArrayView> views() const;
    qsizetype size() const;
  };
  static Pieces writePieces(const EncodedRichText& text);
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
