#pragma once

namespace kr {

// Hands the heap memory that was freed back to the system, where the C
// library keeps it otherwise (after a big parse the program should hold what
// it keeps, not the peak). Does nothing where the library offers no way.
void returnFreedMemoryToSystem();

} // namespace kr
