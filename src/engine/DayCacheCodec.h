#pragma once

#include "engine/BlockNumbers.h"
#include "engine/DayCacheStreams.h"
#include "engine/FullTimeSlice.h"

#include <QTimeZone>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace kr {

// Packs and unpacks one record; reaches into the records' packed form.
class DayCacheCodec {
public:
  struct Packing {
    std::unordered_map<const QString*, quint32> texts;
    std::vector<const QString*> textList;
    std::unordered_map<quint8, quint8> zones; // code to index of the zone kept
    std::vector<QByteArray> zoneIds;
    // The last texts and zone met, which the next record mostly has again.
    std::array<std::pair<const QString*, quint32>, 16> recentTexts{};
    std::size_t nextRecent = 0;
    quint8 lastZone = packed_date::kWhole;
    quint8 lastZoneIndex = 0;
  };

  static bool canKeep(const FullTimeSlice& slice) {
    // A zone's code is that of a zone met, which stays for the process.
    const auto codeFits = [](quint8 code) { return code != packed_date::kWhole; };
    return slice.kind_ != FullTimeSlice::Kind::Whole &&
           (slice.kind_ != FullTimeSlice::Kind::Stretches || slice.formats_) &&
           codeFits(slice.startCode_) && codeFits(slice.endCode_);
  }

  static const std::vector<CharFormat>& formatsOf(const ObjectiveFormats& table) {
    return table.formats_;
  }

  static std::shared_ptr<const ObjectiveFormats> tableOf(std::vector<CharFormat> formats) {
    auto table = std::make_shared<ObjectiveFormats>();
    table->formats_ = std::move(formats);
    return ObjectiveFormats::shared(table);
  }

  static const ObjectiveFormats* tableOf(const FullTimeSlice& slice) {
    return slice.formats_.get();
  }

  static quint32 textIndex(Packing& packing, const QString* text) {
    for (const auto& [recent, index] : packing.recentTexts) {
      if (recent == text && text)
        return index;
    }
    const auto [it, added] = packing.texts.try_emplace(text, quint32(packing.textList.size()));
    if (added)
      packing.textList.push_back(text);
    packing.recentTexts[packing.nextRecent] = {text, it->second};
    packing.nextRecent = (packing.nextRecent + 1) % packing.recentTexts.size();
    return it->second;
  }

  static quint8 zoneIndex(Packing& packing, quint8 code) {
    if (code < packed_date::kFirstZone)
      return code;
    if (code == packing.lastZone)
      return packing.lastZoneIndex;
    const auto [it, added] = packing.zones.try_emplace(code, quint8(packing.zoneIds.size()));
    if (added)
      packing.zoneIds.push_back(packed_date::unpack(0, code).timeZone().id());
    packing.lastZone = code;
    packing.lastZoneIndex = quint8(packed_date::kFirstZone + it->second);
    return packing.lastZoneIndex;
  }

  // The identifier's 16 bytes in the order QUuid::toRfc4122() gives them.
  static void putUuid(day_cache::Writer& out, const QUuid& uuid) {
    char bytes[16];
    for (int i = 0; i < 4; ++i)
      bytes[i] = char(uuid.data1 >> (24 - 8 * i));
    bytes[4] = char(uuid.data2 >> 8);
    bytes[5] = char(uuid.data2);
    bytes[6] = char(uuid.data3 >> 8);
    bytes[7] = char(uuid.data3);
    std::memcpy(bytes + 8, uuid.data4, 8);
    out.putBytes(QByteArrayView(bytes, 16));
  }

  static void write(day_cache::Writer& out, Packing& packing, const FullTimeSlice& slice,
                    const std::unordered_map<const ObjectiveFormats*, quint32>& tables) {
    out.put(slice.startMSecs_);
    out.put(slice.endMSecs_);
    out.put(slice.duration_);
    out.put(slice.actualDuration_);
    out.put(slice.actualDurationAsLogged_);
    out.put(textIndex(packing, slice.focusRating_));
    out.put(textIndex(packing, slice.tagString_));
    out.put(slice.dayString_ ? textIndex(packing, slice.dayString_) + 1 : 0u);
    out.put(zoneIndex(packing, slice.startCode_));
    out.put(zoneIndex(packing, slice.endCode_));
    out.put(quint8(slice.completed_ | slice.success_ << 1 | slice.uuidIsBinary_ << 2));
    out.put(quint8(slice.kind_));
    // The values made on request are left out: they are made again.
    const std::lock_guard<std::mutex> lock(FullTimeSlice::lazyValuesMutex());
    const FullTimeSlice::Rare* rare = slice.rare_.get();
    if (slice.uuidIsBinary_) {
      putUuid(out, slice.uuid_);
    } else {
      out.putText(rare && rare->uuidText ? *rare->uuidText : QString());
    }
    const auto table = slice.formats_ ? tables.find(slice.formats_.get()) : tables.end();
    out.put(table == tables.end() ? 0u : table->second + 1);
    out.putText(rare && rare->plain ? *rare->plain : QString());
    if (rare && rare->data) {
      out.put(quint32(rare->data->size() + 1));
      out.putBytes(*rare->data);
    } else {
      out.put(quint32(0));
    }
    out.putBytes(slice.objective_.view());
  }

  // Whether the stretches of an objective block lie over `plainLength`
  // units of text with formats of the table and links of the block.
  static bool stretchesFit(QByteArrayView block, qsizetype plainLength, std::size_t formatCount) {
    const char* at = block.data();
    const char* const end = at + block.size();
    quint64 number = 0;
    if (!block_number::read(at, end, number) || number > quint64(end - at))
      return false;
    at += number;
    quint64 count = 0;
    if (!block_number::read(at, end, count) || count > quint64(end - at))
      return false;
    quint64 covered = 0;
    quint64 lastLink = 0;
    for (quint64 i = 0; i < count; ++i) {
      quint64 length = 0;
      quint64 format = 0;
      quint64 link = 0;
      if (!block_number::read(at, end, length) || !block_number::read(at, end, format) ||
          !block_number::read(at, end, link) || format >= formatCount ||
          length > quint64(plainLength))
        return false;
      covered += length;
      lastLink = std::max(lastLink, link);
    }
    quint64 links = 0;
    while (at < end) {
      if (!block_number::read(at, end, number) || number > quint64(end - at))
        return false;
      at += number;
      ++links;
    }
    return covered == quint64(plainLength) && lastLink <= links;
  }

  // The length in UTF-16 units of the record's plain objective.
  static qsizetype plainLengthOf(const FullTimeSlice& slice, QByteArrayView block) {
    if (slice.rare_ && slice.rare_->plain)
      return slice.rare_->plain->size();
    const char* at = block.data();
    const char* const end = at + block.size();
    quint64 length = 0;
    if (!block_number::read(at, end, length) || length > quint64(end - at))
      return -1;
    const char* const textEnd = at + length;
    // Mostly ASCII, whose bytes are its units.
    if (std::all_of(at, textEnd, [](char c) { return quint8(c) < 0x80; }))
      return qsizetype(length);
    return slice.objective().size();
  }

  using TextOf = std::function<const QString*(quint32)>;

  static FullTimeSlicePtr read(day_cache::Reader& in, const TextOf& textOf,
                               const std::vector<quint8>& zoneCodes,
                               const std::vector<std::shared_ptr<const ObjectiveFormats>>& tables) {
    auto slice = std::make_shared<FullTimeSlice>(FullTimeSlice::Unfilled());
    FullTimeSlice& s = *slice;
    s.startMSecs_ = in.get<qint64>();
    s.endMSecs_ = in.get<qint64>();
    s.duration_ = in.get<double>();
    s.actualDuration_ = in.get<double>();
    s.actualDurationAsLogged_ = in.get<double>();
    s.focusRating_ = textOf(in.get<quint32>());
    s.tagString_ = textOf(in.get<quint32>());
    const auto day = in.get<quint32>();
    s.dayString_ = day == 0 ? nullptr : textOf(day - 1);
    const auto codeOf = [&](quint8 kept) -> quint8 {
      if (kept < packed_date::kFirstZone)
        return kept;
      const std::size_t index = kept - packed_date::kFirstZone;
      if (index >= zoneCodes.size()) {
        in.fail();
        return packed_date::kUtc;
      }
      return zoneCodes[index];
    };
    s.startCode_ = codeOf(in.get<quint8>());
    s.endCode_ = codeOf(in.get<quint8>());
    const auto flags = in.get<quint8>();
    s.completed_ = flags & 1;
    s.success_ = flags & 2;
    s.uuidIsBinary_ = flags & 4;
    const auto kind = in.get<quint8>();
    if (kind > quint8(FullTimeSlice::Kind::Data) || !s.focusRating_ || !s.tagString_ ||
        (day != 0 && !s.dayString_)) {
      in.fail();
      return nullptr;
    }
    s.kind_ = FullTimeSlice::Kind(kind);
    if (s.uuidIsBinary_) {
      const QByteArrayView uuid = in.bytes();
      if (uuid.size() != 16) {
        in.fail();
        return nullptr;
      }
      s.uuid_ = QUuid::fromRfc4122(uuid);
    } else if (QString uuidText = in.text(); !uuidText.isNull()) {
      s.rare().uuidText = std::move(uuidText);
    }
    const auto table = in.get<quint32>();
    if (table > tables.size()) {
      in.fail();
      return nullptr;
    }
    if (table > 0)
      s.formats_ = tables[table - 1];
    if (QString plain = in.text(); !plain.isNull())
      s.rare().plain = std::move(plain);
    if (const auto data = in.get<quint32>(); data > 0) {
      const QByteArrayView bytes = in.bytes();
      if (qsizetype(data - 1) != bytes.size()) {
        in.fail();
        return nullptr;
      }
      s.rare().data = bytes.toByteArray();
    }
    const QByteArrayView block = in.bytes();
    if (in.failed())
      return nullptr;
    s.objective_ = FullTimeSlice::Block(block);
    switch (s.kind_) {
    case FullTimeSlice::Kind::Stretches:
      if (!s.formats_ || !stretchesFit(block, plainLengthOf(s, block),
                                       DayCacheCodec::formatsOf(*s.formats_).size()))
        return nullptr;
      break;
    case FullTimeSlice::Kind::Data:
      if (!s.rare_ || !s.rare_->data)
        return nullptr;
      break;
    case FullTimeSlice::Kind::Empty:
    case FullTimeSlice::Kind::Whole:
      break;
    }
    return slice;
  }
};

} // namespace kr
