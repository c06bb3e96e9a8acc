#pragma once

#include <QList>
#include <QUrl>

namespace kr {

// Hands an address to whatever the desktop opens it with (a browser, a task
// manager, the file manager). Start-up installs the desktop's opener; until
// then, and when nothing takes the address, one console line says so and the
// answer is false.
class UrlOpenerAPI {
public:
  virtual ~UrlOpenerAPI() = default;

  // Whether something took the address.
  virtual bool open(const QUrl& url) = 0;

  static UrlOpenerAPI& shared();
  // Not owned; nullptr restores the console opener.
  static void install(UrlOpenerAPI* opener);
  // The console line for an address nothing took.
  static QString notOpenedLine(const QUrl& url);
};

// Records every address it is given and answers `answer`. Tests only.
class TestUrlOpener final : public UrlOpenerAPI {
public:
  bool open(const QUrl& url) override {
    opened.append(url);
    return answer;
  }
  QList<QUrl> opened;
  bool answer = true;
};

} // namespace kr
