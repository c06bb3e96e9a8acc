#pragma once

#include "engine/RawTimeSlice.h"
#include "platform/richtext/RichText.h"

#include <QByteArray>
#include <QStringList>
#include <QUuid>

#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

namespace kr {

// The character formats of the objectives of one log file, shared by its
// records: a day's objectives use a handful of fonts and colours between
// them. Links are kept by the records themselves. Filled while the file is
// read, only read afterwards.
class ObjectiveFormats {
public:
  // The index of the format, added when new.
  quint32 indexOf(const CharFormat& format);
  const CharFormat& at(quint32 index) const { return formats_[index]; }
  std::size_t size() const { return formats_.size(); }
  // Drops what finding formats needs once no more are added.
  void finish() {
    lookup_ = {};
    formats_.shrink_to_fit();
  }
  // A table with the same formats in the same order made for another file
  // and still in use, else `table` itself, kept for the files read next:
  // most days use the same few formats.
  static std::shared_ptr<const ObjectiveFormats>
  shared(const std::shared_ptr<const ObjectiveFormats>& table);

private:
  friend class DayCacheCodec;
  struct Hash {
    std::size_t operator()(const CharFormat& format) const;
  };
  std::vector<CharFormat> formats_;
  std::unordered_map<CharFormat, quint32, Hash> lookup_;
};

// What the log book needs of one logged time slice, on top of the raw record.
// The objective is kept in one block: its plain text in UTF-8 and the
// formatted stretches over it, with their links; its RTFD data and the
// document the log book draws are made only when asked for.
class FullTimeSlice : public RawTimeSlice {
public:
  FullTimeSlice();
  // A record whose fields are all set next by whoever may name the tag.
  class Unfilled {
    friend class DayCacheCodec;
    Unfilled() = default;
  };
  explicit FullTimeSlice(Unfilled) {}
  ~FullTimeSlice();
  FullTimeSlice(const FullTimeSlice& other);
  FullTimeSlice& operator=(const FullTimeSlice&) = delete;

  QString uuid() const;
  void setUuid(QStringView uuid);
  // An identifier as the records compare it, with its hash.
  struct UuidKey {
    QUuid uuid;
    QString text;
    bool binary = false;
    std::size_t hash = 0;
  };
  static UuidKey uuidKey(const QString& uuid);
  UuidKey uuidKey() const;
  bool hasUuid(const UuidKey& key) const;
  // Has the identifier brought near the processor, for a pass over many
  // records that reads it soon.
  void prefetchUuid() const {
    __builtin_prefetch(&uuid_);
    __builtin_prefetch(reinterpret_cast<const char*>(&uuid_ + 1) - 1);
  }
  QString objective() const;
  // Sets the plain objective alone; the rich text stays as it was.
  void setObjective(const QString& objective);
  // The objective as RTFD data. When it was given as rich text, the data is
  // made on the first request (the log book asks for few of many records).
  const QByteArray& objectiveAsRTFD() const;
  void setObjectiveAsRTFD(const QByteArray& data);
  // The objective's rich text, read from the RTFD data when it was given as
  // data; none when that data cannot be read.
  std::optional<RichText> objectiveRichText() const;
  // Sets the objective's rich text and, from it, its plain text. Records of
  // one file share `formats` (null: the record keeps its own).
  void setObjectiveText(const RichText& text,
                        const std::shared_ptr<ObjectiveFormats>& formats = nullptr);
  // The same for the part of `text` that text.mid(position, length) gives,
  // without making that part first.
  void setObjectiveText(const RichText& text, int position, int length,
                        const std::shared_ptr<ObjectiveFormats>& formats);
  // One stretch of an objective given as numbers: its length, its format in
  // the file's table and its link (null: none).
  struct Stretch {
    int length;
    quint32 format;
    const QString* link;
  };
  // The objective `plain`, formatted by `stretches` (neighbours differ, and
  // their lengths add up to the text's) with formats in `formats`: what
  // setObjectiveText() keeps of the same rich text.
  void setObjectiveStretches(QStringView plain, const Stretch* stretches, std::size_t count,
                             const std::shared_ptr<ObjectiveFormats>& formats);
  // Uses `same` in place of the formats table `filled`, which holds the same
  // formats in the same order; once the record is filled.
  void shareFormats(const std::shared_ptr<const ObjectiveFormats>& filled,
                    const std::shared_ptr<const ObjectiveFormats>& same);
  // The date as it was set (same time spec and zone).
  QDateTime endDate() const { return storedEndDate(); }
  // The end's instant without making the date; nothing when the end is not a
  // valid date.
  std::optional<qint64> endInstant() const { return storedEndInstant(); }
  void setEndDate(const QDateTime& date) { storeEndDate(date); }
  // As setStartInstant(): the end read in `zone` as its instant.
  void setEndInstant(qint64 msecs, int offsetSeconds, const QTimeZone& zone) {
    storeEndInstant(msecs, offsetSeconds, zone);
  }

  // Stores the worked seconds as the log gives them: actualDuration() holds
  // their absolute value, the raw record made by toRawTimeSlice() the sign.
  void setActualDurationAsLogged(double seconds);
  double actualDurationAsLogged() const { return actualDurationAsLogged_; }

  // The distinct link values of the objective's rich text, in order of first
  // appearance. Computed on the first call and kept.
  const QStringList& extractedLinks() const;

  // The raw record of the same entry (signed worked seconds, no success).
  RawTimeSlicePtr toRawTimeSlice() const;
  // Whether the raw record reads the same as this one, so that this record
  // may stand for it.
  bool readsAsRawTimeSlice() const;
  // Makes the raw record where it differs from this one (a negative worked
  // time, a success); once the record is filled.
  void prepareRawTimeSlice();
  // This record, or the raw record prepareRawTimeSlice() made.
  const RawTimeSlice& asRawTimeSlice() const;

private:
  friend class DayCacheCodec; // keeps records between runs in their packed form
  // Guards what records work out on first request.
  static std::mutex& lazyValuesMutex();

  // What few records need: an objective given as data or one that cannot be
  // kept as stretches, and what was made on request.
  struct Rare {
    std::optional<QByteArray> data;     // given as RTFD data
    std::optional<RichText> text;       // kept whole
    std::optional<QString> plain;       // a plain text that UTF-8 does not keep as it is
    std::optional<QByteArray> madeData; // RTFD data made from the rich text
    std::optional<QStringList> links;   // extractedLinks(), once asked for
    // Set while the record is filled, so that readers find the block made.
    std::optional<QString> uuidText; // an identifier not in the writer's form
  };
  enum class Kind : quint8 { Empty, Stretches, Data, Whole };

  Rare& rare() const;
  const QString& uuidText() const;
  RichText textFromStretches() const;
  QStringList linksOfStretches() const;
  static QStringList linksOf(const RichText& text);
  void dropObjectiveText();
  // Keeps the objective's plain text, followed in the block by `tail`.
  void storePlainObjective(QStringView objective, QByteArrayView tail = {});

  // Bytes kept behind one pointer: their count (4 bytes), then the bytes.
  class Block {
  public:
    Block() = default;
    explicit Block(QByteArrayView bytes);
    // `count` bytes left for the caller to write through data().
    explicit Block(quint32 count);
    char* data() { return bytes_ ? bytes_.get() + sizeof(quint32) : nullptr; }
    Block(const Block& other) : Block(other.view()) {}
    Block& operator=(Block&& other) = default;
    QByteArrayView view() const;

  private:
    std::unique_ptr<char[]> bytes_;
  };

  // The few flags first: they fill the end of the raw record.
  Kind kind_ = Kind::Empty;
  bool uuidIsBinary_ = false;
  // An identifier in the writer's form (upper-case hexadecimal in groups)
  // is kept as its 16 bytes; any other as its text, in the rare values
  // (none there: "dummy").
  QUuid uuid_;
  // The objective's plain text in UTF-8, as a count of bytes and the bytes;
  // for an objective kept as stretches, then the number of stretches, each
  // as its length, its format in formats_ and its link (0: none, n: the n-th
  // link), then each link as a count of bytes and its UTF-8. Counts are
  // unsigned numbers in 7-bit groups, the lowest first.
  Block objective_;
  double actualDurationAsLogged_ = 0.0;
  std::shared_ptr<const ObjectiveFormats> formats_;
  mutable std::unique_ptr<Rare> rare_;
  std::unique_ptr<const RawTimeSlice> raw_; // where the raw record reads otherwise
};

using FullTimeSlicePtr = std::shared_ptr<FullTimeSlice>;

} // namespace kr
