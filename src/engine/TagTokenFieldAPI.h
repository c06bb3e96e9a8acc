#pragma once

#include <QStringList>

namespace kr {

// A tag entry field that shows the known tags. A field registers itself with
// TagManager::registerTokenField() and is told whenever the tag list grows;
// it leaves the registration when it is destroyed.
class TagTokenFieldAPI {
public:
  TagTokenFieldAPI() = default;
  TagTokenFieldAPI(const TagTokenFieldAPI&) = delete;
  TagTokenFieldAPI& operator=(const TagTokenFieldAPI&) = delete;
  virtual ~TagTokenFieldAPI();

  virtual void updateWithTagList(const QStringList& tags) = 0;
};

} // namespace kr
