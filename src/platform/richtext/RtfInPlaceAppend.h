#pragma once

#include "platform/richtext/RichText.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>
#include <optional>

namespace kr {

// Appending rich text at the end of an RTF document that RtfWriter wrote,
// without reading the document into rich text or writing it again.
//
// The document is read once, front to back, a block at a time: its header
// must be byte for byte what RtfWriter writes, its body may use only the
// writer's own control words, its groups must close, with nothing but line
// ends after the last one (and what step 1 below left of an append cut
// short), and its tables must hold every font and colour of the new text.
// Such a document reads the same when the new text, in a group of its own,
// takes the place of its closing brace; any other document is declined, and
// the caller finds another way (see RtfSpliceAppend).
//
// The file is changed in three steps, each of which leaves a document that
// reads in full:
//   1. The new text and a new closing brace go after the end of the file.
//      Readers stop at the document's first closing brace, so until step 2
//      the file reads as before; a file left this way by a kill has a group
//      after its end, which the next append's tail takes the place of.
//   2. The old closing brace becomes a line end, which RTF ignores: one
//      byte, written at once. From here the file holds the new text.
//   3. A final line end: the file's size changes with the text, so a reader
//      that looked at the file between steps 1 and 2 sees it has changed.
class RtfInPlaceAppend {
public:
  static constexpr qsizetype kBlockSize = 1024 * 1024;

  // Reads `length` bytes at `offset` into `buffer`; false when it cannot.
  using ReadAt = std::function<bool(qint64 offset, char* buffer, qsizetype length)>;
  // Reads from the file open as `fd`, through short reads and interruptions.
  static ReadAt readerOf(int fd);

  struct Plan {
    qint64 closingBrace = -1; // the document's closing brace, which becomes a line end
    qint64 size = 0;          // where the tail goes: the end, before any tail cut short
    QByteArray tail;          // the new text in a group, and the new closing brace
  };

  // How a document of `size` bytes takes `entry`; none, with the reason,
  // when it cannot take it in place.
  static std::optional<Plan> plan(const ReadAt& read, qint64 size, const RichText& entry,
                                  QString* why = nullptr, qsizetype blockSize = kBlockSize);
  static std::optional<Plan> plan(QByteArrayView document, const RichText& entry,
                                  QString* why = nullptr);

  // The document as each step leaves it: after `tailBytes` of the tail
  // (step 1), after the brace became a line end (step 2), after the final
  // line end (step 3, the finished append).
  enum class Step { Tail, Brace, Finished };
  static QByteArray applied(const QByteArray& document, const Plan& plan, Step step,
                            qsizetype tailBytes = -1);

  enum class Outcome {
    Appended, // the file holds the entry
    Declined, // nothing was written: the document cannot take the entry in place
    Failed    // a write failed; the file reads as it did before
  };
  struct Result {
    Outcome outcome = Outcome::Declined;
    QString reason; // why it was declined or failed; a warning for Appended
  };
  // Appends `entry` to the regular file open for reading and writing as
  // `fd`, when that can be done in place and the file stays within
  // `maximumSize` bytes.
  // `mayFinish`, when given, is asked before step 2: when it says no, the
  // tail is taken off again and the append is Declined as "cancelled".
  static Result appendToFile(int fd, const RichText& entry, qint64 maximumSize,
                             const std::function<bool()>& mayFinish = {});
};

} // namespace kr
