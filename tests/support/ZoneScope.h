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

// The zone a whole test program runs in, as if it had been started there:
// defined at namespace scope in the test's file, it is set before main() and
// before anything reads the clock, whoever starts the program.
class ProgramZone {
public:
  explicit ProgramZone(const char* zone) {
    qputenv("TZ", zone);
    tzset();
  }
};

} // namespace kr::test
