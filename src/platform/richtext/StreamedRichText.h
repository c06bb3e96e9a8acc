#pragma once

#include "platform/richtext/EncodedRichText.h"
#include "platform/richtext/RtfWriter.h"

#include <QByteArrayView>
#include <QString>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace kr {

// Encoded rich text whose last chunks are still being encoded while a writer
// takes its bytes: each chunk is written as soon as it and every chunk before
// it are there, so that the writing of a long text and the encoding of what
// was left of it go on at once. The tables name every font and colour of its
// formats, known before any chunk is encoded. Made with the chunks already
// encoded; put() brings the others, from any thread.
class StreamedRichText {
public:
  using Chunk = EncodedRichText::Chunk;
  // `chunks`: the text's chunks in order, none where one is still to come.
  StreamedRichText(std::vector<CharFormat> formats, std::vector<ParagraphFormat> paragraphs,
                   double tabInterval, QString defaultFontFamily,
                   std::vector<std::shared_ptr<const Chunk>> chunks);
  ~StreamedRichText();
  StreamedRichText(const StreamedRichText&) = delete;
  StreamedRichText& operator=(const StreamedRichText&) = delete;

  // Chunks still to come.
  std::size_t missing() const;
  void put(std::size_t index, std::shared_ptr<const Chunk> chunk);
  // No more chunks come: a writer waiting for one fails with `reason`.
  void abandon(const QString& reason);

  // The next bytes of the text, in order, once their chunks are there: views
  // valid until the next call; `last` set with the last of them. None once
  // the text is abandoned, with the reason in `error`.
  std::optional<std::vector<QByteArrayView>> next(bool* last, QString* error);
  // The whole text once every chunk is there (waits for them); none when
  // abandoned.
  std::optional<EncodedRichText> whole();

private:
  mutable std::mutex mutex_;
  std::condition_variable put_;
  const std::vector<CharFormat> formats_;
  const std::vector<ParagraphFormat> paragraphs_;
  const double tabInterval_;
  const QString defaultFontFamily_;
  std::vector<std::shared_ptr<const Chunk>> chunks_;
  std::size_t missing_ = 0;
  std::optional<QString> abandoned_;
  // The writer's side.
  std::unique_ptr<RtfWriter::ChunkWriter> writer_;
  std::size_t written_ = 0; // chunks given to the writer
  bool ended_ = false;
};

} // namespace kr
