#pragma once

#include <QString>

#include <atomic>
#include <vector>

namespace kr {

class FullTimeSlice;
class LocalClockTimes;

// The log as comma-separated values: a header line, then one record per
// slice in the order given, each line ended by a line feed.
namespace csvexport {

QString header();
QString record(const FullTimeSlice& slice);
// The same, with the local zone's offsets looked up in `clock` (records in
// order of time share its stretches).
QString record(const FullTimeSlice& slice, LocalClockTimes& clock);
// `cancelled`, where given, is looked at between records: once it is set the
// text is left unfinished.
QString text(const std::vector<const FullTimeSlice*>& slices,
             const std::atomic<bool>* cancelled = nullptr);
// The text, quoted (inner quotes doubled) when it holds a comma, a quote, a
// line feed or a carriage return.
QString quotedWhereNeeded(const QString& text);
// The objective trimmed at both ends, quoted where needed.
QString objectiveField(const QString& objective);
// Seconds truncated towards zero and held within a 32-bit count.
int wholeSeconds(double seconds);

// Replaces the file at `path` with `text` in UTF-8 in one step: either the
// whole new file is there or the old one is untouched. False with the
// system's reason in `error` when it could not be written.
// Set `cancelled` before the new file is put in place, the old one stays.
bool writeFile(const QString& path, const QString& text, QString* error,
               const std::atomic<bool>* cancelled = nullptr);

} // namespace csvexport

} // namespace kr
