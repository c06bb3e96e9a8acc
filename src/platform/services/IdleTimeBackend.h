#pragma once

#include <QString>

#include <optional>

namespace kr {

// Reads the time since the user last touched the keyboard or mouse from one
// source of the desktop (X server, compositor, session service).
class IdleTimeBackend {
public:
  virtual ~IdleTimeBackend() = default;
  // Names the source in log lines.
  virtual QString name() const = 0;
  // Milliseconds since the last input, or none when the source cannot answer.
  virtual std::optional<quint64> idleMilliseconds() = 0;
};

} // namespace kr
