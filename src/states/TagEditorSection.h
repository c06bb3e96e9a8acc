#pragma once

class QString;
class QWidget;

namespace kr {

class TagTokenField;

// The tag row of a page: the tag field bound to the "tags" setting for the
// row's life, with the pull-down of known tags beside it.
class TagEditorSection {
public:
  TagEditorSection() = delete;
  // The row to add to the page; `field` receives its tag field.
  static QWidget* create(TagTokenField** field);
  // Shows the row if its key hid it and puts the caret in the field (when
  // the field is in a window).
  static void select(TagTokenField* field, const QString& hiddenKey);
};

} // namespace kr
