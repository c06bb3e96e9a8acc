#pragma once

namespace kr {

// The older parts' place for small shared helpers; none has been needed.
class Util {};

} // namespace kr
