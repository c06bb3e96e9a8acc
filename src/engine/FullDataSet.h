#pragma once

#include "engine/FullTimeSlice.h"
#include "engine/RawDataSet.h"
#include "platform/richtext/RichText.h"

namespace kr {

// Every time slice of the log folder as full records, newest first (entries
// with equal start dates keep the order of the folder and the file), with a
// map from identifier to record.
class FullDataSet : public RawDataSet {
public:
  struct FileContents {
    std::vector<FullTimeSlicePtr> timeSlices;
    QString problem; // why (part of) the file could not be read; empty when fine
    // Whether records read from text added after this text's end follow
    // these unchanged (see LogFile::takeOwnAppend()).
    bool endsCleanly = false;
  };

  // The per-file readers. An old plain-text log's objectives are set in the
  // given font and colour (the note pads' defaults).
  static FileContents loadRTFDFile(const QString& path);
  static FileContents loadPlainTextFile(const QString& path, const PlainTextStyle& style = {});
  // The records of a log package's "TXT.rtf". The bytes are let go as soon
  // as they are read into rich text, so a large day is not held twice. A
  // text in the form this program writes is read by a reader of that form
  // alone, unless `generalOnly`; both give the same records.
  static FileContents createTimeSlicesFromRtf(QByteArray rtf, bool generalOnly = false);
  // The records of the rich text of a log.
  static FileContents createTimeSlicesFromRichText(const RichText& text);
  static FileContents createTimeSlicesFromText(const QString& text,
                                               const PlainTextStyle& style = {});

  // The records stay valid while the data set lives.
  const std::vector<const FullTimeSlice*>& timeSlices() const { return fullTimeSlices_; }
  // The record logged under an identifier (of several, the oldest); null
  // when there is none.
  const FullTimeSlice* timeSliceWithUuid(const QString& uuid) const;
  // How many identifiers the map from identifier to record holds.
  int uuidCount() const { return uuidCount_; }

protected:
  void beginLoading(std::size_t records) override;
  void appendFile(const LogFile& file) override;
  void finishLoading() override;
  void makeRawView() const override;

private:
  void generateUUIDMap();

  std::vector<const FullTimeSlice*> fullTimeSlices_;
  // Open addressing over a power-of-two table: each slot holds a position in
  // fullTimeSlices_ plus one, or 0 when empty.
  std::vector<quint32> uuidTable_;
  int uuidCount_ = 0;
};

} // namespace kr
