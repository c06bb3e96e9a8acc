#include "platform/richtext/StreamedRichText.h"

#include <algorithm>

namespace kr {

namespace {
// Chunks taken at one call at most: enough for large writes, few enough to
// start writing early.
constexpr std::size_t kChunksPerPart = 64;
} // namespace

StreamedRichText::StreamedRichText(std::vector<CharFormat> formats,
                                   std::vector<ParagraphFormat> paragraphs, double tabInterval,
                                   QString defaultFontFamily,
                                   std::vector<std::shared_ptr<const Chunk>> chunks)
    : formats_(std::move(formats)), paragraphs_(std::move(paragraphs)), tabInterval_(tabInterval),
      defaultFontFamily_(std::move(defaultFontFamily)), chunks_(std::move(chunks)),
      missing_(std::size_t(std::count(chunks_.begin(), chunks_.end(), nullptr))) {}

StreamedRichText::~StreamedRichText() = default;

std::size_t StreamedRichText::missing() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return missing_;
}

void StreamedRichText::put(std::size_t index, std::shared_ptr<const Chunk> chunk) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (index >= chunks_.size() || chunks_[index] || !chunk)
      return;
    chunks_[index] = std::move(chunk);
    --missing_;
  }
  put_.notify_all();
}

void StreamedRichText::abandon(const QString& reason) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!abandoned_)
      abandoned_ = reason;
  }
  put_.notify_all();
}

std::optional<std::vector<QByteArrayView>> StreamedRichText::next(bool* last, QString* error) {
  *last = false;
  std::vector<std::shared_ptr<const Chunk>> ready;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!writer_) {
      // The header first: its tables need no chunk.
      RtfWriter::Tables tables = RtfWriter::tablesOf(formats_);
      tables.defaultFont = defaultFontFamily_;
      writer_ =
          std::make_unique<RtfWriter::ChunkWriter>(formats_, paragraphs_, tables, tabInterval_);
      return writer_->take();
    }
    if (ended_) {
      *last = true;
      return std::vector<QByteArrayView>{};
    }
    put_.wait(lock, [this] {
      return abandoned_ || written_ == chunks_.size() || chunks_[written_] != nullptr;
    });
    if (abandoned_) {
      if (error)
        *error = *abandoned_;
      return std::nullopt;
    }
    while (written_ < chunks_.size() && chunks_[written_] && ready.size() < kChunksPerPart)
      ready.push_back(chunks_[written_++]);
  }
  for (const auto& chunk : ready)
    writer_->add(*chunk);
  if (written_ == chunks_.size()) {
    writer_->end();
    ended_ = true;
    *last = true;
  }
  return writer_->take();
}

std::optional<EncodedRichText> StreamedRichText::whole() {
  std::unique_lock<std::mutex> lock(mutex_);
  put_.wait(lock, [this] { return abandoned_ || missing_ == 0; });
  if (abandoned_)
    return std::nullopt;
  EncodedRichText text;
  text.formats = formats_;
  text.paragraphs = paragraphs_;
  text.tabInterval = tabInterval_;
  text.defaultFontFamily = defaultFontFamily_;
  text.chunks = chunks_;
  return text;
}

} // namespace kr
