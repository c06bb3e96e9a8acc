#pragma once

#include "engine/FullTimeSlice.h"
#include "engine/RawDataSet.h"
#include "platform/RichText.h"

#include <QHash>

namespace kr {

// Every time slice of the log folder as full records, newest first (entries
// with equal start dates keep the order of the folder and the file), with a
// map from identifier to record.
class FullDataSet : public RawDataSet {
public:
  struct FileContents {
    std::vector<FullTimeSlicePtr> timeSlices;
    QString problem; // why (part of) the file could not be read; empty when fine
  };

  // The per-file readers. An old plain-text log's objectives are set in the
  // given font and colour (the note pads' defaults).
  static FileContents loadRTFDFile(const QString& path);
  static FileContents loadPlainTextFile(const QString& path, const PlainTextStyle& style = {});
  // The records of a log package's "TXT.rtf".
  static FileContents createTimeSlicesFromRtf(const QByteArray& rtf);
  // The records of the rich text of a log.
  static FileContents createTimeSlicesFromRichText(const RichText& text);
  static FileContents createTimeSlicesFromText(const QString& text,
                                               const PlainTextStyle& style = {});

  const std::vector<FullTimeSlicePtr>& timeSlices() const { return fullTimeSlices_; }
  const QHash<QString, FullTimeSlicePtr>& uuidToFullTimeSliceMap() const { return uuidMap_; }

protected:
  void appendFile(const LogFile& file) override;
  void finishLoading() override;

private:
  void generateUUIDMap();

  std::vector<FullTimeSlicePtr> fullTimeSlices_;
  QHash<QString, FullTimeSlicePtr> uuidMap_;
};

} // namespace kr
