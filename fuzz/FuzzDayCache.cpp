// Feeds arbitrary bytes to the reader of the log day cache, past its
// checksum: the bytes are the cache's body, made for empty inputs. Every day
// it accepts is unpacked and each record's values are read.
#include "engine/DayCache.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const QByteArray header = [] {
    std::atomic<bool> running{false};
    const QByteArray empty = *kr::DayCache::toBytes(QByteArray(), {}, running);
    return empty.left(24); // magic, version, byte order and checksum
  }();
  QByteArray bytes = header;
  bytes.append(reinterpret_cast<const char*>(data), qsizetype(size));
  const std::optional<kr::DayCache> cache =
      kr::DayCache::fromBytes(kr::DayCache::resealed(bytes), QByteArray());
  if (!cache)
    return 0;
  const QHash<QString, kr::FileStamp> stamps = cache->stamps();
  for (auto it = stamps.cbegin(); it != stamps.cend(); ++it) {
    if (const auto records = cache->records(it.key(), it.value())) {
      for (const kr::FullTimeSlicePtr& slice : records->timeSlices) {
        (void)slice->objectiveRichText();
        (void)slice->extractedLinks();
        (void)slice->startDate();
        (void)slice->endDate();
        (void)slice->uuid();
      }
    }
  }
  return 0;
}
