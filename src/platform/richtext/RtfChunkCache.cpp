#include "platform/richtext/RtfChunkCache.h"

#include "platform/richtext/RichTextDocument.h"
#include "platform/richtext/RtfWriter.h"

#include <QElapsedTimer>
#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>
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
  const int id = internFormat(RichTextDocument::fromCharFormat(format.toCharFormat()));
  formatIds_.insert(documentIndex, id);
  return id;
}

// The text of `count` blocks from `block` as fromDocument() takes it: each
// block but the document's first after a paragraph end in the block's
// character format; images as attachment characters. Leaves `block` after
// the last one.
std::shared_ptr<const EncodedRichText::Chunk>
RtfChunkCache::encodeBlocks(QTextBlock& block, int count, bool atStart, qsizetype* characters) {
  auto chunk = std::make_shared<EncodedRichText::Chunk>();
  std::string bytes;
  const auto add = [&](QStringView text, int format) {
    const std::size_t before = bytes.size();
    RtfWriter::encodeCharacters(text, formats_[std::size_t(format)], bytes);
    const qsizetype length = qsizetype(bytes.size() - before);
    if (length == 0)
      return;
    if (!chunk->pieces.empty() &&
        (chunk->pieces.back().format == format ||
         formats_[std::size_t(chunk->pieces.back().format)] == formats_[std::size_t(format)]))
      chunk->pieces.back().length += length;
    else
      chunk->pieces.push_back(EncodedRichText::Piece{format, length});
  };
  *characters = 0;
  for (int n = 0; n < count && block.isValid(); ++n, block = block.next()) {
    *characters += block.length();
    // (A block's number is looked up, not kept: not asked here for each.)
    if (n > 0 || !atStart)
      add(u"\n", formatId(block.charFormatIndex()));
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (isImage(fragment.charFormatIndex())) {
        const QTextCharFormat format = fragment.charFormat();
        auto [name, data] = RichTextDocument::imageFile(*document_, format.toImageFormat());
        CharFormat attachment = RichTextDocument::fromCharFormat(format);
        attachment.attachment = name;
        const int id = internFormat(attachment);
        const QChar character(RichText::kAttachmentCharacter);
        for (int i = 0; i < fragment.length(); ++i) {
          add(QStringView(&character, 1), id);
          chunk->attachments.emplace_back(name, data);
        }
      } else {
        add(fragment.text(), formatId(fragment.charFormatIndex()));
      }
    }
  }
  chunk->bytes = QByteArray(bytes.data(), qsizetype(bytes.size()));
  return chunk;
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

bool RtfChunkCache::encodeFor(qint64 budgetMs) {
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
    }
    start += slots_[i].blocks;
  }
  return true;
}

EncodedRichText RtfChunkCache::encoded(double tabInterval) {
  // Every paragraph is in one chunk, and the chunks hold the document's
  // characters: a change that was not told about starts over.
  int blocks = 0;
  for (const Slot& slot : slots_)
    blocks += slot.blocks;
  if (blocks != document_->blockCount())
    resetAll();
  encodeFor(-1);
  qsizetype characters = 0;
  for (const Slot& slot : slots_)
    characters += slot.characters;
  if (characters != document_->characterCount()) {
    resetAll();
    encodeFor(-1);
  }
  EncodedRichText text;
  text.formats = formats_;
  text.tabInterval = tabInterval;
  text.chunks.reserve(slots_.size());
  for (const Slot& slot : slots_)
    text.chunks.push_back(slot.chunk);
  return text;
}

} // namespace kr
