#pragma once

#include "platform/richtext/RichText.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>

namespace kr {

// Appending rich text to an RTF document that another program wrote, without
// reading the document into rich text or writing it again: the document is
// copied, a block at a time, into a new one that differs only in three places.
//   - Its font and colour tables gain the fonts and colours of the new text
//     that they lack (appended, so no number the document uses changes).
//   - Its closing brace gives way to the new text, in a group of its own that
//     ends the document's last paragraph where it has no end and then starts
//     with \pard\plain, so no format of the document reaches it.
//   - A new closing brace and a line end end it.
// Everything else (pictures, tables, objects, what no reader here knows) is
// copied byte for byte, and the document does not grow but by the new text.
//
// A document whose groups do not close, that has anything but white space
// after its end, or whose header cannot be read within its first block is
// declined: nothing is written.
class RtfSpliceAppend {
public:
  static constexpr qsizetype kBlockSize = 1024 * 1024;

  using ReadAt = std::function<bool(qint64 offset, char* buffer, qsizetype length)>;
  using Write = std::function<bool(const char* data, qsizetype length)>;

  enum class Outcome {
    Appended, // every byte of the new document was given to `write`
    Declined, // the document cannot take the text so
    Failed,   // a read or a write failed
    Cancelled // `cancelled` said so
  };
  struct Result {
    Outcome outcome = Outcome::Declined;
    QString reason;
  };

  // Writes the document of `size` bytes with `entry` added through `write`.
  // Holds about two blocks of the document at a time. `cancelled`, when
  // given, is asked before each block.
  static Result splice(const ReadAt& read, qint64 size, const RichText& entry, const Write& write,
                       const std::function<bool()>& cancelled = {},
                       qsizetype blockSize = kBlockSize);
  // The same in memory; none (with the reason) when declined.
  static std::optional<QByteArray> spliced(QByteArrayView document, const RichText& entry,
                                           QString* why = nullptr,
                                           qsizetype blockSize = kBlockSize);
};

} // namespace kr
