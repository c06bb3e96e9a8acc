#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <ctime>

namespace kr::test {

// Sets TZ for one scope and puts the old value back. With `CLibrary::Told`
// the C library reads the zone again at once (tzset), as a program started in
// that zone would have it; without, only readers that look at TZ themselves
// see the change.
class ZoneScope {
public:
  enum class CLibrary { Told, NotTold };

  explicit ZoneScope(const char* zone, CLibrary library = CLibrary::Told)
      : old_(qgetenv("TZ")), had_(qEnvironmentVariableIsSet("TZ")), library_(library) {
    set(zone);
  }
  ~ZoneScope() {
    if (had_)
      qputenv("TZ", old_);
    else
      qunsetenv("TZ");
    if (library_ == CLibrary::Told)
      tzset();
  }
  ZoneScope(const ZoneScope&) = delete;
  ZoneScope& operator=(const ZoneScope&) = delete;

  void set(const char* zone) {
    qputenv("TZ", zone);
    if (library_ == CLibrary::Told)
      tzset();
  }

private:
  QByteArray old_;
  bool had_;
  CLibrary library_;
};

} // namespace kr::test
