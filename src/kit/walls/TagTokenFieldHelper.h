#pragma once

#include <QString>

#include <functional>

namespace kr {

class TagTokenField;
class Wall;

// Builds the tag row of a page section: the tag field, bound to the key for
// the section's life, and the add button that appends known tags.
class TagTokenFieldHelper {
public:
  TagTokenFieldHelper() = delete;

  using FieldFunc = std::function<void(TagTokenField*)>;

  // `forFilterView` chooses the statistics filter's insets over the work
  // pages' ones.
  static TagTokenField* installTagTokenFieldInsideFragment(Wall* fragment,
                                                           const QString& storageKey,
                                                           const FieldFunc& bindFunc,
                                                           const FieldFunc& unbindFunc,
                                                           bool forFilterView);
};

} // namespace kr
