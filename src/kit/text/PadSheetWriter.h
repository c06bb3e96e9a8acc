#pragma once

#include "platform/richtext/EncodedRichText.h"
#include "platform/richtext/RichText.h"
#include "platform/richtext/StreamedRichText.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <variant>
#include <vector>

class QObject;
class QTextDocument;

namespace kr {

class OrderedWorker;

// The document of a sheet the pad turned away from, its text still to be
// encoded for its file: the sheet writer encodes it on its own thread and
// deletes it there, so that a page turn from a long text costs the window
// neither. Made on the document's thread, which no longer owns it from then
// on and touches it no more. `after` (what may not go before the document)
// is deleted on its own thread once the document is gone.
class LeftDocument {
public:
  LeftDocument(QTextDocument* document, double tabInterval, QObject* after);
  ~LeftDocument();
  LeftDocument(const LeftDocument&) = delete;
  LeftDocument& operator=(const LeftDocument&) = delete;

  // The text for its file, encoded by the first call (on whichever thread),
  // which then deletes the document; later calls give the same text.
  EncodedRichText encoded();
  // The document goes unencoded: its write was overtaken by a later one of
  // the same sheet.
  void drop();
  // For a long text with much left to encode: its text as a stream, to be
  // written while encodeStream() encodes what it lacks; none otherwise.
  std::shared_ptr<StreamedRichText> stream();
  // Encodes what `stream` lacks (on one thread while another writes it);
  // then the document goes and encoded() gives the stream's text. False when
  // the stream fell short: encoded() encodes the text again.
  bool encodeStream(StreamedRichText& stream);

private:
  void deleteDocument();

  std::mutex mutex_;
  QTextDocument* document_;
  double tabInterval_;
  QObject* after_;
  std::optional<EncodedRichText> encoded_;
};

// Writes the sheets the pads turn away from on a thread of its own, one after
// another in the order given, so that a page turn never waits for a file.
// Until a sheet is on disk its text is kept here: a pad that comes back to it
// shows this text, never an older one from the disk, and a failed write keeps
// the text until a later write succeeds (unless its caller keeps it).
class PadSheetWriter {
public:
  static PadSheetWriter& shared();
  PadSheetWriter();
  ~PadSheetWriter();
  PadSheetWriter(const PadSheetWriter&) = delete;
  PadSheetWriter& operator=(const PadSheetWriter&) = delete;

  // A sheet's text as rich text, as an editor's encoded text, as the
  // document a pad let go of, or as encoded text still being encoded.
  using SheetText = std::variant<RichText, EncodedRichText, std::shared_ptr<LeftDocument>,
                                 std::shared_ptr<StreamedRichText>>;

  // Runs on the window's thread once the write is over, unless `context` is
  // gone by then.
  using Done = std::function<void(bool written, const QString& error)>;
  // Who keeps the text of a write that fails: this writer, until a later
  // write of the sheet succeeds (a sheet the pad left), or the caller, who
  // still has it (the sheet shown): then the failure leaves nothing here.
  enum class KeptBy { writer, caller };
  // How a write went; filled on the writer's thread, to be read once the
  // write is over (after drain()).
  struct Outcome {
    bool written = false;
    QString error;
  };
  // Queues the write of `text` to the sheet at `path` in `folder` (made
  // when missing). Writes of one sheet reach the disk in the order given; a
  // write overtaken by a later one of the same sheet is left to it.
  std::shared_ptr<const Outcome> write(const QString& path, const QString& folder,
                                       const SheetText& text, QObject* context = nullptr,
                                       Done done = {}, KeptBy keptBy = KeptBy::writer);
  // The same write, waited for (with every one queued before it).
  bool writeAndWait(const QString& path, const QString& folder, const SheetText& text,
                    QString* error, KeptBy keptBy = KeptBy::writer);

  // The text of the sheet at `path` when it is not on disk: a write in
  // flight is waited for first, so this is the text of a write that failed.
  std::optional<RichText> unwrittenText(const QString& path);
  // Whether a write of the sheet at `path` is queued or under way.
  bool isInFlight(const QString& path) const;
  // Whether a sheet of `folder` other than `except` failed to be written.
  bool hasFailures(const QString& folder, const QString& except = {}) const;
  // Writes the sheets of `folder` whose writes failed (but `except`) here
  // and now; the sheets that failed again, with the reasons.
  std::vector<std::pair<QString, QString>> retryFailed(const QString& folder,
                                                       const QString& except = {});
  // The sheet at `path` is on disk as the pad shows it, or gone: its kept
  // text goes (unless a write of it is in flight).
  void forget(const QString& path);
  // Deletes `left` unencoded on the writer's thread, after the writes
  // queued before.
  void dispose(std::shared_ptr<LeftDocument> left);
  // Waits for every write in flight.
  void drain();
  // Saves that the program quitting leaves until its window no longer needs
  // serving: finish() runs them, then waits for every write.
  void deferUntilFinish(std::function<void()> save);
  bool hasDeferredSaves() const { return !deferred_.empty(); }
  void finish();

private:
  struct Entry {
    SheetText text;
    QString folder;
    QString error;
    bool inFlight = false;
    quint64 ticket = 0;
  };
  // The file work, on whichever thread calls it.
  static bool writeNow(const QString& path, const QString& folder, const SheetText& text,
                       QString* error);
  static RichText richTextOf(const SheetText& text);

  mutable std::mutex mutex_;
  std::map<QString, Entry> entries_;
  quint64 lastTicket_ = 0;
  std::unique_ptr<OrderedWorker> worker_;       // made and used on the window's thread
  std::vector<std::function<void()>> deferred_; // the window's thread
};

} // namespace kr
