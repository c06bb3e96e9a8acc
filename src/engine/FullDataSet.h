#pragma once

#include "engine/FullTimeSlice.h"
#include "engine/RawDataSet.h"

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

  // The per-file readers.
  static FileContents loadRTFDFile(const QString& path);
  static FileContents loadPlainTextFile(const QString& path);
  // The records of a plain log text; the objective's rich text is the
  // objective set in the default note-pad font.
  static FileContents createTimeSlicesFromText(const QString& text);

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
