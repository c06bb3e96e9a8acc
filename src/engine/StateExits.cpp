#include "engine/StateExits.h"

#include "platform/FatalError.h"

namespace kr {

StateExits::StateExits(std::initializer_list<Entry> entries, const StateExits* inherited) {
  if (inherited)
    entries_ = inherited->entries_;
  for (const Entry& entry : entries) {
    KR_ASSERT(find(entry.name) == nullptr,
              QStringLiteral("exit '%1' is declared twice").arg(entry.name));
    entries_.push_back(entry);
  }
}

const StateExits::Entry* StateExits::find(const QString& name) const {
  for (const Entry& entry : entries_) {
    if (entry.name == name)
      return &entry;
  }
  return nullptr;
}

} // namespace kr
