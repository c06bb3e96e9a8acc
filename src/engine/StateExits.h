#pragma once

#include <QString>

#include <initializer_list>
#include <vector>

namespace kr {

class StateBase;

// The named exits of a state class: each transition name maps to the member
// that holds the successor. A state class declares its table once, starting
// from the table of its base class, so inherited exits are found too.
class StateExits {
public:
  using Member = StateBase* StateBase::*;
  struct Entry {
    QString name;
    Member member;
  };

  // The entry of an exit held by a member of the state class S.
  template <class S> static Entry exit(const QString& name, StateBase* S::*member) {
    return {name, static_cast<Member>(member)};
  }

  StateExits() = default;
  StateExits(std::initializer_list<Entry> entries, const StateExits* inherited = nullptr);

  // None when the class declares no exit of that name.
  const Entry* find(const QString& name) const;
  const std::vector<Entry>& entries() const { return entries_; }

private:
  std::vector<Entry> entries_;
};

} // namespace kr
