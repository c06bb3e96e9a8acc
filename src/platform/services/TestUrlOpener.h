#pragma once

#include "platform/services/UrlOpenerAPI.h"

#include <QList>

namespace kr {

// Records every address it is asked to open and answers `answer`. Tests only.
class TestUrlOpener final : public UrlOpenerAPI {
public:
  bool open(const QUrl& url) override {
    opened.append(url);
    return answer;
  }
  bool openQuietly(const QUrl& url) override {
    openedQuietly.append(url);
    return open(url);
  }
  QList<QUrl> opened;
  // Those of `opened` whose failure would go to the console only.
  QList<QUrl> openedQuietly;
  bool answer = true;
};

// Installs an opener for the lifetime of a scope.
class ScopedUrlOpener {
public:
  explicit ScopedUrlOpener(UrlOpenerAPI& opener) : previous_(UrlOpenerAPI::installed()) {
    UrlOpenerAPI::install(&opener);
  }
  ~ScopedUrlOpener() { UrlOpenerAPI::install(previous_); }
  ScopedUrlOpener(const ScopedUrlOpener&) = delete;
  ScopedUrlOpener& operator=(const ScopedUrlOpener&) = delete;

private:
  UrlOpenerAPI* previous_;
};

} // namespace kr
