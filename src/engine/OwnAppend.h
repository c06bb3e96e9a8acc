#pragma once

#include "platform/files/FileStamp.h"
#include "platform/richtext/RichText.h"

#include <QString>

namespace kr {

// An entry this program added in place at the end of a day of the log: the
// day package's path (as the log store names it), the entry, and its text
// file as it was just before and just after. A reload may take the entry's
// records from it rather than read the day again, while the file is still
// exactly so.
struct OwnAppend {
  QString path;
  RichText entry;
  WrittenFile file;
};

} // namespace kr
