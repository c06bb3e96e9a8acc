#pragma once

#include "platform/richtext/CharFormat.h"
#include "platform/richtext/EncodedRichText.h"

#include <QHash>
#include <QObject>

#include <functional>
#include <memory>
#include <vector>

class QTextBlock;
class QTextDocument;

namespace kr {

class StreamedRichText;

// The RTF of a document's paragraphs, kept in chunks of paragraphs and
// encoded again only where the text changed since (the document's
// contentsChange tells where). Writing a long text then costs the encoding
// of the paragraphs edited since the last write, not of all of them; the
// bytes are those RtfWriter::write() gives for
// RichTextDocument::fromDocument() of the same document.
//
// A child of its document, on the document's thread, and used there only
// (encodeAll()'s helpers read the document while that thread waits for them).
class RtfChunkCache : public QObject {
  Q_OBJECT

public:
  static constexpr int kBlocksPerChunk = 256;

  // The document's cache, made on first use with nothing encoded yet.
  static RtfChunkCache* of(QTextDocument* document);
  // The document's cache if it has one.
  static RtfChunkCache* find(const QTextDocument* document);

  // The whole text, encoding the chunks that changed since the last call;
  // many of them are encoded by helper threads while the caller waits.
  EncodedRichText encoded(double tabInterval);
  // Paragraphs to be encoded before the next encoded() is ready.
  int staleBlocks() const;
  // The characters of those paragraphs.
  qsizetype staleCharacters() const;
  // Encodes stale chunks, in document order, until none is left or about
  // `budgetMs` milliseconds have passed (at least one chunk; no limit when
  // negative); true when none is left.
  bool encodeFor(qint64 budgetMs);
  // Encodes every stale chunk: with more than one, shared among helper
  // threads that read the document while this thread waits (nothing else may
  // change or read it meanwhile). The chunks are those encodeFor() gives.
  void encodeAll();
  // Encodes stale chunks as encodeFor() does, shared among helper threads in
  // the same way; true when none is left.
  bool encodeSharedFor(qint64 budgetMs);
  // Threads (this one among them) that encodeAll() shares its chunks among.
  static int encodingThreads();

  // From this many characters still to encode, a text is written as a
  // stream, its chunks encoded while the file is written.
  static constexpr qsizetype kStreamFrom = 1 << 20;
  // The whole text as a stream, for a writer to take while encodeInto()
  // encodes the stale chunks: the chunks encoded so far, the others to come.
  // None when nothing is stale, when the document holds pictures (their
  // formats are only known once encoded) or when the chunks no longer match
  // its paragraphs: encoded() then gives the text.
  std::shared_ptr<StreamedRichText> stream(double tabInterval);
  // Encodes every stale chunk as encodeAll() does, handing each to `stream`
  // (made by stream(), nothing changed since) as soon as it is encoded. False
  // when the chunks turn out not to hold the document's characters: the
  // stream is abandoned and encoded() starts over.
  bool encodeInto(StreamedRichText& stream);

private:
  explicit RtfChunkCache(QTextDocument* document);
  // Called with a slot's index once it is encoded (on whichever thread).
  using Encoded = std::function<void(std::size_t slot)>;
  bool encodeFor(qint64 budgetMs, const Encoded& encoded);
  bool encodeSharedFor(qint64 budgetMs, const Encoded& encoded);
  qsizetype encodedCharacters() const;
  struct Slot {
    int blocks = 0;
    qsizetype characters = 0;                            // the blocks' lengths; valid when encoded
    std::shared_ptr<const EncodedRichText::Chunk> chunk; // none while stale
  };
  void contentsChange(int position, int removed, int added);
  void resetAll();
  // A stale slot longer than a chunk becomes stale slots of a chunk each.
  void splitStale(std::size_t index);
  // `atStart`: `block` is the document's first (no paragraph end before it).
  std::shared_ptr<const EncodedRichText::Chunk> encodeBlocks(QTextBlock& block, int count,
                                                             bool atStart, qsizetype* characters);
  // Our format for each of the document's formats, all of them interned
  // first: kImageFormat for images, kOtherFormat for what is no character
  // format; and our paragraph format for each of them, kOtherFormat for
  // what is no block format.
  static constexpr int kImageFormat = -1;
  static constexpr int kOtherFormat = -2;
  struct Resolved {
    std::vector<int> formats;
    std::vector<int> paragraphs;
  };
  Resolved resolveAllFormats();
  bool isImage(int documentIndex);
  int formatId(int documentIndex);
  int paragraphId(int documentIndex);
  int internFormat(const CharFormat& format);

  QTextDocument* document_;
  std::vector<Slot> slots_;
  int blockCount_ = 0;
  std::vector<CharFormat> formats_;
  QHash<int, int> formatIds_; // the document's format index to ours
  std::vector<ParagraphFormat> paragraphs_{ParagraphFormat()};
  QHash<int, int> paragraphIds_;
  QHash<int, bool> imageFormats_;
};

} // namespace kr
