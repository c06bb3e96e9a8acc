#include "platform/richtext/RtfChunkCache.h"

#include "platform/SharedWork.h"
#include "platform/richtext/RichTextDocument.h"
#include "platform/richtext/RtfWriter.h"
#include "platform/richtext/StreamedRichText.h"

#include <QElapsedTimer>
#include <QTextBlock>
#include <QTextDocument>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <new>
#include <string>

namespace kr {

RtfChunkCache* RtfChunkCache::of(QTextDocument* document) {
  if (auto* cache = find(document))
    return cache;
  return new RtfChunkCache(document);
}

RtfChunkCache* RtfChunkCache::find(const QTextDocument* document) {
  return document->findChild<RtfChunkCache*>(QString(), Qt::FindDirectChildrenOnly);
}

RtfChunkCache::RtfChunkCache(QTextDocument* document) : QObject(document), document_(document) {
  // A document tells its changes only once it has a layout.
  document->documentLayout();
  resetAll();
  // Told at once, before anything reads the document again.
  connect(document, &QTextDocument::contentsChange, this, &RtfChunkCache::contentsChange,
          Qt::DirectConnection);
}

void RtfChunkCache::resetAll() {
  blockCount_ = document_->blockCount();
  slots_.assign(1, Slot{blockCount_, 0, nullptr});
}

void RtfChunkCache::contentsChange(int position, int removed, int added) {
  Q_UNUSED(removed);
  const int count = document_->blockCount();
  const int delta = count - blockCount_;
  blockCount_ = count;
  QTextBlock firstBlock = document_->findBlock(position);
  QTextBlock lastBlock = document_->findBlock(position + added);
  if (!firstBlock.isValid())
    firstBlock = document_->lastBlock();
  if (!lastBlock.isValid())
    lastBlock = document_->lastBlock();
  const int first = firstBlock.blockNumber();
  // The paragraphs from `first` to `lastOld` were replaced by those from
  // `first` to the last one changed; the ones after only moved.
  const int lastOld = std::max(first, lastBlock.blockNumber() - delta);
  std::size_t from = 0;
  int start = 0;
  while (from < slots_.size() && start + slots_[from].blocks <= first)
    start += slots_[from++].blocks;
  std::size_t to = from;
  int end = start;
  while (to < slots_.size() && end + slots_[to].blocks <= lastOld)
    end += slots_[to++].blocks;
  if (to >= slots_.size()) {
    resetAll();
    return;
  }
  const int blocks = end + slots_[to].blocks - start + delta;
  if (blocks <= 0) {
    resetAll();
    return;
  }
  slots_.erase(slots_.begin() + std::ptrdiff_t(from) + 1, slots_.begin() + std::ptrdiff_t(to) + 1);
  slots_[from] = Slot{blocks, 0, nullptr};
}

int RtfChunkCache::staleBlocks() const {
  int stale = 0;
  for (const Slot& slot : slots_) {
    if (!slot.chunk)
      stale += slot.blocks;
  }
  return stale;
}

qsizetype RtfChunkCache::staleCharacters() const {
  qsizetype encoded = 0;
  for (const Slot& slot : slots_) {
    if (slot.chunk)
      encoded += slot.characters;
  }
  return std::max<qsizetype>(0, document_->characterCount() - encoded);
}

int RtfChunkCache::internFormat(const CharFormat& format) {
  const auto it = std::find(formats_.begin(), formats_.end(), format);
  if (it != formats_.end())
    return int(it - formats_.begin());
  formats_.push_back(format);
  return int(formats_.size()) - 1;
}

bool RtfChunkCache::isImage(int documentIndex) {
  const auto known = imageFormats_.constFind(documentIndex);
  if (known != imageFormats_.constEnd())
    return known.value();
  const bool image = document_->allFormats().value(documentIndex).isImageFormat();
  imageFormats_.insert(documentIndex, image);
  return image;
}

int RtfChunkCache::formatId(int documentIndex) {
  const auto known = formatIds_.constFind(documentIndex);
  if (known != formatIds_.constEnd())
    return known.value();
  const QTextFormat format = document_->allFormats().value(documentIndex);
  const int id = internFormat(RichTextDocument::fromCharFormat(
      format.toCharFormat(), RichTextDocument::dotsPerInch(*document_)));
  formatIds_.insert(documentIndex, id);
  return id;
}

int RtfChunkCache::paragraphId(int documentIndex) {
  const auto known = paragraphIds_.constFind(documentIndex);
  if (known != paragraphIds_.constEnd())
    return known.value();
  const ParagraphFormat paragraph = RichTextDocument::fromBlockFormat(
      document_->allFormats().value(documentIndex).toBlockFormat(),
      RichTextDocument::dotsPerInch(*document_));
  auto it = std::find(paragraphs_.begin(), paragraphs_.end(), paragraph);
  if (it == paragraphs_.end())
    it = paragraphs_.insert(it, paragraph);
  const int id = int(it - paragraphs_.begin());
  paragraphIds_.insert(documentIndex, id);
  return id;
}

namespace {

using Chunk = EncodedRichText::Chunk;

// A chunk's bytes and pieces as they are added: neighbouring characters of
// one format (by value) are one piece.
class ChunkBuilder {
public:
  explicit ChunkBuilder(const std::vector<CharFormat>& formats)
      : formats_(formats), chunk_(std::make_shared<Chunk>()) {}
  // Paragraph formats are numbered by value.
  void add(QStringView text, int format, int paragraph) {
    const std::size_t before = bytes_.size();
    RtfWriter::encodeCharacters(text, formats_[std::size_t(format)], bytes_);
    const qsizetype length = qsizetype(bytes_.size() - before);
    if (length == 0)
      return;
    auto& pieces = chunk_->pieces;
    if (!pieces.empty() && pieces.back().paragraph == paragraph &&
        (pieces.back().format == format ||
         formats_[std::size_t(pieces.back().format)] == formats_[std::size_t(format)]))
      pieces.back().length += length;
    else
      pieces.push_back(EncodedRichText::Piece{format, length, paragraph});
  }
  Chunk& chunk() { return *chunk_; }
  std::shared_ptr<const Chunk> finish() {
    chunk_->bytes = QByteArray(bytes_.data(), qsizetype(bytes_.size()));
    return std::move(chunk_);
  }

private:
  const std::vector<CharFormat>& formats_; // may grow meanwhile, never on another thread
  std::string bytes_;
  std::shared_ptr<Chunk> chunk_;
};

// The text of `count` blocks from `block` as fromDocument() takes it: each
// block but the document's first after a paragraph end in the block's
// character format and the format of the paragraph before; images by
// `image`. Leaves `block` after the last one. `idOf` gives our format for a
// document's format index, or a negative number for one it leaves to
// `image`, which adds the fragment or says it cannot: then nothing is
// encoded. `paragraphOf` gives our paragraph format for a document's, or a
// negative number where it cannot: then nothing is encoded either.
template <typename IdOf, typename ParagraphOf, typename Image>
std::shared_ptr<const Chunk>
encodeRange(QTextBlock& block, int count, bool atStart, const std::vector<CharFormat>& formats,
            qsizetype* characters, IdOf idOf, ParagraphOf paragraphOf, Image image) {
  ChunkBuilder out(formats);
  *characters = 0;
  int before = atStart || !block.isValid() ? 0 : paragraphOf(block.previous().blockFormatIndex());
  for (int n = 0; n < count && block.isValid(); ++n, block = block.next()) {
    *characters += block.length();
    const int paragraph = paragraphOf(block.blockFormatIndex());
    if (paragraph < 0 || before < 0)
      return nullptr;
    // (A block's number is looked up, not kept: not asked here for each.)
    if (n > 0 || !atStart) {
      const int id = idOf(block.charFormatIndex());
      if (id < 0)
        return nullptr;
      out.add(u"\n", id, before);
    }
    before = paragraph;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      const int id = idOf(fragment.charFormatIndex());
      if (id >= 0)
        out.add(fragment.text(), id, paragraph);
      else if (!image(fragment, out, paragraph))
        return nullptr;
    }
  }
  return out.finish();
}

} // namespace

std::shared_ptr<const EncodedRichText::Chunk>
RtfChunkCache::encodeBlocks(QTextBlock& block, int count, bool atStart, qsizetype* characters) {
  const auto idOf = [this](int index) { return isImage(index) ? kImageFormat : formatId(index); };
  const auto paragraphOf = [this](int index) { return paragraphId(index); };
  const auto image = [this](const QTextFragment& fragment, ChunkBuilder& out, int paragraph) {
    const QTextCharFormat format = fragment.charFormat();
    auto [name, data] = RichTextDocument::imageFile(*document_, format.toImageFormat());
    CharFormat attachment =
        RichTextDocument::fromCharFormat(format, RichTextDocument::dotsPerInch(*document_));
    attachment.attachment = name;
    const int id = internFormat(attachment);
    const QChar character(RichText::kAttachmentCharacter);
    for (int i = 0; i < fragment.length(); ++i) {
      out.add(QStringView(&character, 1), id, paragraph);
      out.chunk().attachments.emplace_back(name, data);
    }
    return true;
  };
  return encodeRange(block, count, atStart, formats_, characters, idOf, paragraphOf, image);
}

RtfChunkCache::Resolved RtfChunkCache::resolveAllFormats() {
  const QList<QTextFormat> all = document_->allFormats();
  Resolved ids{std::vector<int>(std::size_t(all.size()), kOtherFormat),
               std::vector<int>(std::size_t(all.size()), kOtherFormat)};
  for (int i = 0; i < int(all.size()); ++i) {
    if (isImage(i))
      ids.formats[std::size_t(i)] = kImageFormat;
    else if (all.at(i).isCharFormat())
      ids.formats[std::size_t(i)] = formatId(i);
    else if (all.at(i).isBlockFormat())
      ids.paragraphs[std::size_t(i)] = paragraphId(i);
  }
  return ids;
}

void RtfChunkCache::splitStale(std::size_t index) {
  const int blocks = slots_[index].blocks;
  if (blocks <= kBlocksPerChunk)
    return;
  std::vector<Slot> parts(std::size_t((blocks - 1) / kBlocksPerChunk),
                          Slot{kBlocksPerChunk, 0, nullptr});
  parts.back().blocks = blocks - kBlocksPerChunk * int(parts.size());
  slots_[index].blocks = kBlocksPerChunk;
  slots_.insert(slots_.begin() + std::ptrdiff_t(index) + 1, parts.begin(), parts.end());
}

bool RtfChunkCache::encodeFor(qint64 budgetMs) { return encodeFor(budgetMs, {}); }

bool RtfChunkCache::encodeFor(qint64 budgetMs, const Encoded& encoded) {
  QElapsedTimer timer;
  timer.start();
  int start = 0;
  QTextBlock next; // the block after the last one encoded
  bool encodedOne = false;
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    if (!slots_[i].chunk) {
      // At least one chunk a call.
      if (encodedOne && budgetMs >= 0 && timer.elapsed() >= budgetMs)
        return false;
      encodedOne = true;
      // A stale stretch longer than a chunk becomes chunks.
      splitStale(i);
      Slot& stale = slots_[i];
      QTextBlock block = next.isValid() && next.blockNumber() == start
                             ? next
                             : document_->findBlockByNumber(start);
      stale.chunk = encodeBlocks(block, stale.blocks, start == 0, &stale.characters);
      next = block;
      if (encoded)
        encoded(i);
    }
    start += slots_[i].blocks;
  }
  return true;
}

int RtfChunkCache::encodingThreads() {
  // Past eight the threads gain little: they contend for the allocator.
  constexpr int maximumThreads = 8;
  return std::clamp(QThread::idealThreadCount(), 1, maximumThreads);
}

void RtfChunkCache::encodeAll() {
  encodeSharedFor(-1);
  // Whatever a helper could not encode (out of memory) is encoded here.
  encodeFor(-1);
}

bool RtfChunkCache::encodeSharedFor(qint64 budgetMs) { return encodeSharedFor(budgetMs, {}); }

bool RtfChunkCache::encodeSharedFor(qint64 budgetMs, const Encoded& encoded) {
  QElapsedTimer timer;
  timer.start();
  struct Job {
    std::size_t slot;
    int start; // the number of the slot's first block
    bool failed = false;
  };
  std::vector<Job> jobs;
  int start = 0;
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    if (!slots_[i].chunk) {
      splitStale(i);
      jobs.push_back(Job{i, start});
    }
    start += slots_[i].blocks;
  }
  const int threads = std::min(encodingThreads(), int(jobs.size()));
  if (threads <= 1)
    return encodeFor(budgetMs, encoded);
  // Every format the helpers meet is ours before they start: they only read
  // the tables. A chunk with an image (its file is read from the document's
  // resources) is left to this thread.
  const Resolved ids = resolveAllFormats();
  const auto idOf = [&ids](int index) {
    return index >= 0 && std::size_t(index) < ids.formats.size() ? ids.formats[std::size_t(index)]
                                                                 : kOtherFormat;
  };
  const auto paragraphOf = [&ids](int index) {
    return index >= 0 && std::size_t(index) < ids.paragraphs.size()
               ? ids.paragraphs[std::size_t(index)]
               : kOtherFormat;
  };
  const auto noImage = [](const QTextFragment&, ChunkBuilder&, int) { return false; };
  std::atomic<std::size_t> next{0};
  const auto work = [&] {
    for (std::size_t j = next++; j < jobs.size(); j = next++) {
      // The first chunk at least, whatever the budget.
      if (j > 0 && budgetMs >= 0 && timer.elapsed() >= budgetMs)
        return;
      Slot& slot = slots_[jobs[j].slot];
      QTextBlock block = document_->findBlockByNumber(jobs[j].start);
      try {
        slot.chunk = encodeRange(block, slot.blocks, jobs[j].start == 0, formats_, &slot.characters,
                                 idOf, paragraphOf, noImage);
        jobs[j].failed = !slot.chunk;
        if (slot.chunk && encoded)
          encoded(jobs[j].slot);
      } catch (const std::bad_alloc&) {
        // Left stale, for a later call.
      }
    }
  };
  shareAmongThreads(threads, "sheetEncoder", work);
  bool left = false;
  for (const Job& job : jobs) {
    Slot& slot = slots_[job.slot];
    if (job.failed) {
      QTextBlock block = document_->findBlockByNumber(job.start);
      slot.chunk = encodeBlocks(block, slot.blocks, job.start == 0, &slot.characters);
      if (encoded)
        encoded(job.slot);
    }
    left = left || !slot.chunk;
  }
  return !left;
}

EncodedRichText RtfChunkCache::encoded(double tabInterval) {
  // Every paragraph is in one chunk, and the chunks hold the document's
  // characters: a change that was not told about starts over.
  int blocks = 0;
  for (const Slot& slot : slots_)
    blocks += slot.blocks;
  if (blocks != document_->blockCount())
    resetAll();
  encodeAll();
  if (encodedCharacters() != document_->characterCount()) {
    resetAll();
    encodeAll();
  }
  EncodedRichText text;
  text.formats = formats_;
  text.paragraphs = paragraphs_;
  text.tabInterval = tabInterval;
  text.defaultFontFamily = RichTextDocument::defaultFontFamily(*document_);
  text.chunks.reserve(slots_.size());
  for (const Slot& slot : slots_)
    text.chunks.push_back(slot.chunk);
  return text;
}

qsizetype RtfChunkCache::encodedCharacters() const {
  qsizetype characters = 0;
  for (const Slot& slot : slots_)
    characters += slot.characters;
  return characters;
}

std::shared_ptr<StreamedRichText> RtfChunkCache::stream(double tabInterval) {
  int blocks = 0;
  for (const Slot& slot : slots_)
    blocks += slot.blocks;
  if (blocks != document_->blockCount() || staleBlocks() == 0)
    return nullptr;
  // Every format is ours before a chunk is encoded, so the tables are known.
  const Resolved ids = resolveAllFormats();
  if (std::find(ids.formats.begin(), ids.formats.end(), kImageFormat) != ids.formats.end())
    return nullptr;
  // The slots as encodeInto() will encode them.
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    if (!slots_[i].chunk)
      splitStale(i);
  }
  std::vector<std::shared_ptr<const EncodedRichText::Chunk>> chunks;
  chunks.reserve(slots_.size());
  for (const Slot& slot : slots_)
    chunks.push_back(slot.chunk);
  return std::make_shared<StreamedRichText>(formats_, paragraphs_, tabInterval,
                                            RichTextDocument::defaultFontFamily(*document_),
                                            std::move(chunks));
}

bool RtfChunkCache::encodeInto(StreamedRichText& stream) {
  // However this ends, a writer waiting for a chunk is not left waiting.
  struct Abandon {
    StreamedRichText& stream;
    bool done = false;
    ~Abandon() {
      if (!done)
        stream.abandon(QStringLiteral("the text could not be encoded"));
    }
  } abandon{stream};
  const auto put = [this, &stream](std::size_t slot) { stream.put(slot, slots_[slot].chunk); };
  encodeSharedFor(-1, put);
  encodeFor(-1, put);
  if (encodedCharacters() != document_->characterCount() || stream.missing() != 0) {
    resetAll();
    return false;
  }
  abandon.done = true;
  return true;
}

} // namespace kr
