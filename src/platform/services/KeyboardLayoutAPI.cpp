#include "platform/services/KeyboardLayoutAPI.h"

namespace kr {

namespace {
const KeyboardLayoutAPI* current = nullptr;
}

const KeyboardLayoutAPI* KeyboardLayoutAPI::installed() { return current; }

void KeyboardLayoutAPI::install(const KeyboardLayoutAPI* layout) { current = layout; }

} // namespace kr
