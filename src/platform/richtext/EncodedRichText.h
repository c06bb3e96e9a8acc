#pragma once

#include "platform/richtext/CharFormat.h"
#include "platform/richtext/ParagraphFormat.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

#include <memory>
#include <utility>
#include <vector>

namespace kr {

// Rich text whose characters are already encoded as RTF, in chunks that a
// writer keeps from one save to the next: only the chunks whose text changed
// are encoded again, and RtfWriter::write() puts the groups, fonts and
// colours around the bytes. A plain value: the chunks are shared and never
// change, so a copy may be handed to another thread.
struct EncodedRichText {
  // Encoded characters of one format; neighbouring pieces of a chunk differ
  // in format (pieces of neighbouring chunks may share one).
  struct Piece {
    int format = 0; // index into `formats`
    qsizetype length = 0;
    int paragraph = 0; // index into `paragraphs`
  };
  struct Chunk {
    QByteArray bytes; // the pieces' bytes, one after another
    std::vector<Piece> pieces;
    // The attachment files its characters name, in text order, with their bytes.
    std::vector<std::pair<QString, QByteArray>> attachments;
  };

  // The characters' formats, each in the default paragraph format; the
  // paragraphs' formats apart (none: every paragraph has the default).
  std::vector<CharFormat> formats;
  std::vector<ParagraphFormat> paragraphs;
  std::vector<std::shared_ptr<const Chunk>> chunks;
  double tabInterval = 0;
  QString defaultFontFamily; // as RichText::defaultFontFamily()

  // File names of the attachment characters, in text order, without repeats.
  QStringList attachmentNames() const;
  // Bytes of the attachment files by name (a name used twice keeps its last bytes).
  QMap<QString, QByteArray> attachmentData() const;
  qsizetype byteCount() const;
  // The format of `paragraphs` numbered `index`, the default beyond them.
  static const ParagraphFormat& paragraphAt(const std::vector<ParagraphFormat>& paragraphs,
                                            int index);
};

} // namespace kr
