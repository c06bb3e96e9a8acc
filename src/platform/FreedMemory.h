#pragma once

#include <initializer_list>
#include <string_view>

namespace kr {

// Hands the heap memory that was freed back to the system, where the C
// library keeps it otherwise (after a big parse the program should hold what
// it keeps, not the peak). Does nothing where the library offers no way.
void returnFreedMemoryToSystem();

// Long enough for a change of page to have settled (its repaints, the
// window's new size).
constexpr int kPageSettledMs = 3000;

// The same a few seconds from now, once for any number of calls meanwhile:
// after the window changed its page or hid, when what it dropped is freed,
// or once start-up's first page is up.
void returnFreedMemoryToSystemSoon(int afterMs = kPageSettledMs);

// Large blocks (a window's picture, a decoded image) get pages of their own,
// given back to the system as soon as they are freed. Otherwise the C library
// puts a large block in the heap once one of that size was freed, where its
// pages stay with the program after it is gone. Called once at start.
void keepLargeBlocksOutOfTheHeap();

// Asks the system to take back the pages of the program's read-only
// mappings of files whose paths hold one of `names`: the code and constant
// data of libraries it no longer uses. Pages used again are read back from
// the file (or the file cache); writable mappings, whose pages may hold the
// program's data, are left alone. Returns the kilobytes of the mappings
// given back; none where the system offers no way.
long pageOutMappedFiles(std::initializer_list<std::string_view> names);

// The size from which a block gets pages of its own.
constexpr int kLargeBlockBytes = 128 * 1024;

} // namespace kr
