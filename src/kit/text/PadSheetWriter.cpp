#include "kit/text/PadSheetWriter.h"

#include "engine/BackingStoreManager.h"
#include "platform/OrderedWorker.h"
#include "platform/SharedWork.h"
#include "platform/richtext/RtfChunkCache.h"
#include "platform/richtext/RtfReader.h"
#include "platform/richtext/RtfWriter.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTextDocument>
#include <QThread>

namespace kr {

LeftDocument::LeftDocument(QTextDocument* document, double tabInterval, QObject* after)
    : document_(document), tabInterval_(tabInterval), after_(after) {
  // No thread owns it from here on: the one that encodes it takes it.
  document_->setParent(nullptr);
  document_->moveToThread(nullptr);
}

LeftDocument::~LeftDocument() { deleteDocument(); }

void LeftDocument::deleteDocument() {
  if (!document_)
    return;
  // Taken over by this thread, whose object it then is to delete.
  document_->moveToThread(QThread::currentThread());
  delete std::exchange(document_, nullptr);
  if (after_)
    std::exchange(after_, nullptr)->deleteLater();
}

EncodedRichText LeftDocument::encoded() {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (!encoded_) {
    if (document_) {
      document_->moveToThread(QThread::currentThread());
      encoded_ = RtfChunkCache::of(document_)->encoded(tabInterval_);
    } else {
      encoded_ = EncodedRichText(); // dropped: its write was overtaken, and nobody asks
    }
    deleteDocument();
  }
  return *encoded_;
}

std::shared_ptr<StreamedRichText> LeftDocument::stream() {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (encoded_ || !document_)
    return nullptr;
  document_->moveToThread(QThread::currentThread());
  RtfChunkCache* cache = RtfChunkCache::of(document_);
  if (cache->staleCharacters() < RtfChunkCache::kStreamFrom)
    return nullptr;
  return cache->stream(tabInterval_);
}

bool LeftDocument::encodeStream(StreamedRichText& stream) {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (encoded_ || !document_) {
    stream.abandon(QStringLiteral("the text was encoded already"));
    return false;
  }
  if (!RtfChunkCache::of(document_)->encodeInto(stream))
    return false;
  encoded_ = stream.whole();
  deleteDocument();
  return true;
}

void LeftDocument::drop() {
  const std::lock_guard<std::mutex> lock(mutex_);
  deleteDocument();
}

PadSheetWriter& PadSheetWriter::shared() {
  static PadSheetWriter writer;
  return writer;
}

PadSheetWriter::PadSheetWriter() = default;

PadSheetWriter::~PadSheetWriter() = default;

bool PadSheetWriter::writeNow(const QString& path, const QString& folder, const SheetText& text,
                              QString* error) {
  BackingStoreManager& store = BackingStoreManager::sharedManager();
  if (const auto* rich = std::get_if<RichText>(&text))
    return store.writeFile(*rich, path, folder, error);
  if (const auto* encoded = std::get_if<EncodedRichText>(&text))
    return store.writeFile(*encoded, path, folder, error);
  if (const auto* streamed = std::get_if<std::shared_ptr<StreamedRichText>>(&text))
    return store.writeFile(*streamed, path, folder, error);
  const std::shared_ptr<LeftDocument>& left = std::get<std::shared_ptr<LeftDocument>>(text);
  if (const std::shared_ptr<StreamedRichText> stream = left->stream()) {
    // What is left is encoded on this thread, which holds the document now,
    // while the file is written on another; without a second thread, one
    // after the other.
    QThread* const holder = QThread::currentThread();
    bool encoded = false;
    bool writing = false;
    bool written = false;
    shareAmongThreads(2, "sheetStreamer", [&] {
      if (QThread::currentThread() == holder) {
        encoded = left->encodeStream(*stream);
      } else {
        writing = true;
        written = store.writeFile(stream, path, folder, error);
      }
    });
    if (!writing)
      written = store.writeFile(stream, path, folder, error);
    if (encoded)
      return written;
    // The stream fell short and its write with it: the text is encoded again.
  }
  return store.writeFile(left->encoded(), path, folder, error);
}

RichText PadSheetWriter::richTextOf(const SheetText& text) {
  if (const auto* rich = std::get_if<RichText>(&text))
    return *rich;
  EncodedRichText encoded;
  if (const auto* left = std::get_if<std::shared_ptr<LeftDocument>>(&text))
    encoded = (*left)->encoded();
  else if (const auto* streamed = std::get_if<std::shared_ptr<StreamedRichText>>(&text))
    encoded = (*streamed)->whole().value_or(EncodedRichText());
  else
    encoded = std::get<EncodedRichText>(text);
  RichText read = RtfReader::read(RtfWriter::write(encoded)).text;
  const QMap<QString, QByteArray> files = encoded.attachmentData();
  for (auto it = files.cbegin(); it != files.cend(); ++it)
    read.setAttachmentData(it.key(), it.value());
  return read;
}

bool PadSheetWriter::writeAndWait(const QString& path, const QString& folder, const SheetText& text,
                                  QString* error, KeptBy keptBy) {
  const std::shared_ptr<const Outcome> outcome = write(path, folder, text, nullptr, {}, keptBy);
  drain();
  if (error)
    *error = outcome->error;
  return outcome->written;
}

std::shared_ptr<const PadSheetWriter::Outcome>
PadSheetWriter::write(const QString& path, const QString& folder, const SheetText& text,
                      QObject* context, Done done, KeptBy keptBy) {
  quint64 ticket = 0;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    ticket = ++lastTicket_;
    Entry& entry = entries_[path];
    entry.text = text;
    entry.folder = folder;
    entry.error.clear();
    entry.inFlight = true;
    entry.ticket = ticket;
  }
  auto outcome = std::make_shared<Outcome>();
  QPointer<QObject> receiver(context);
  // The thread starts with the first sheet left, not with the program.
  if (!worker_)
    worker_ = std::make_unique<OrderedWorker>("padSheetWriter");
  worker_->async(
      [this, path, folder, text, ticket, receiver, outcome, keptBy, done = std::move(done)] {
        QString error;
        // A later write of the same sheet, queued meanwhile, writes newer text:
        // this one is left to it.
        bool superseded = false;
        {
          const std::lock_guard<std::mutex> lock(mutex_);
          const auto it = entries_.find(path);
          superseded = it != entries_.end() && it->second.ticket != ticket;
        }
        // Nor is a document left encoded for it.
        const auto* left = std::get_if<std::shared_ptr<LeftDocument>>(&text);
        if (left && superseded)
          (*left)->drop();
        const bool written = superseded || writeNow(path, folder, text, &error);
        outcome->written = written;
        outcome->error = error;
        {
          const std::lock_guard<std::mutex> lock(mutex_);
          auto it = entries_.find(path);
          // A later write of the same sheet owns the entry from then on.
          if (it != entries_.end() && it->second.ticket == ticket) {
            if (written || keptBy == KeptBy::caller) {
              entries_.erase(it);
            } else {
              it->second.inFlight = false;
              it->second.error = error;
            }
          }
        }
        if (!done || !QCoreApplication::instance())
          return;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [receiver, done, written, error] {
              if (receiver)
                done(written, error);
            },
            Qt::QueuedConnection);
      });
  return outcome;
}

bool PadSheetWriter::isInFlight(const QString& path) const {
  const std::lock_guard<std::mutex> lock(mutex_);
  const auto it = entries_.find(path);
  return it != entries_.end() && it->second.inFlight;
}

std::optional<RichText> PadSheetWriter::unwrittenText(const QString& path) {
  if (isInFlight(path))
    drain();
  const std::lock_guard<std::mutex> lock(mutex_);
  const auto it = entries_.find(path);
  if (it == entries_.end())
    return std::nullopt;
  return richTextOf(it->second.text);
}

bool PadSheetWriter::hasFailures(const QString& folder, const QString& except) const {
  const std::lock_guard<std::mutex> lock(mutex_);
  for (const auto& [path, entry] : entries_) {
    if (entry.folder == folder && path != except && !entry.inFlight && !entry.error.isEmpty())
      return true;
  }
  return false;
}

std::vector<std::pair<QString, QString>> PadSheetWriter::retryFailed(const QString& folder,
                                                                     const QString& except) {
  std::map<QString, SheetText> failed;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& [path, entry] : entries_) {
      if (entry.folder == folder && path != except && !entry.inFlight && !entry.error.isEmpty())
        failed[path] = entry.text;
    }
  }
  std::vector<std::pair<QString, QString>> failures;
  for (const auto& [path, text] : failed) {
    QString error;
    const bool written = writeNow(path, folder, text, &error);
    const std::lock_guard<std::mutex> lock(mutex_);
    auto it = entries_.find(path);
    if (it == entries_.end() || it->second.inFlight)
      continue;
    if (written) {
      entries_.erase(it);
    } else {
      it->second.error = error;
      failures.emplace_back(path, error);
    }
  }
  return failures;
}

void PadSheetWriter::forget(const QString& path) {
  const std::lock_guard<std::mutex> lock(mutex_);
  const auto it = entries_.find(path);
  if (it != entries_.end() && !it->second.inFlight)
    entries_.erase(it);
}

void PadSheetWriter::deferUntilFinish(std::function<void()> save) {
  deferred_.push_back(std::move(save));
}

void PadSheetWriter::finish() {
  std::vector<std::function<void()>> saves;
  saves.swap(deferred_);
  for (const auto& save : saves)
    save();
  drain();
}

void PadSheetWriter::dispose(std::shared_ptr<LeftDocument> left) {
  if (!worker_)
    worker_ = std::make_unique<OrderedWorker>("padSheetWriter");
  worker_->async([left = std::move(left)] { left->drop(); });
}

void PadSheetWriter::drain() {
  if (worker_)
    worker_->drain();
}

} // namespace kr
