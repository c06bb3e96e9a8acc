#pragma once

#include "kit/walls/Wall.h"

#include <QPointer>

namespace kr {

class TagTokenField;

// The row that holds a page's tag field; `selectTagTokenField` puts the
// keyboard focus into that field.
class TagTokenFieldContainerView : public Wall {
  Q_OBJECT

public:
  explicit TagTokenFieldContainerView(QWidget* parent = nullptr);
  ~TagTokenFieldContainerView() override;

  TagTokenField* tagTokenField() const { return tagTokenField_; }
  void setTagTokenField(TagTokenField* field) { tagTokenField_ = field; }

  // Without a field it says so on the console and does nothing else.
  void selectTagTokenField();

private:
  QPointer<TagTokenField> tagTokenField_;
};

} // namespace kr
