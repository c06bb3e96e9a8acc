#include "states/TagEditorSection.h"

#include "engine/DataModel.h"
#include "kit/TagTokenField.h"
#include "kit/TagTokenFieldHelper.h"
#include "kit/Wall.h"
#include "platform/UserDefaults.h"

namespace kr {

QWidget* TagEditorSection::create(TagTokenField** field) {
  auto* fragment = new Wall;
  fragment->setObjectName(QStringLiteral("Tag Editor"));
  fragment->setFixedHeight(30);
  TagTokenField* tags = TagTokenFieldHelper::installTagTokenFieldInsideFragment(
      fragment, QStringLiteral("tags"), [](TagTokenField* f) { DataModel::shared().bindTags(f); },
      [](TagTokenField* f) { DataModel::shared().unbindTags(f); }, false);
  if (field)
    *field = tags;
  return fragment;
}

void TagEditorSection::select(TagTokenField* field, const QString& hiddenKey) {
  UserDefaults& defaults = UserDefaults::standard();
  if (defaults.boolValue(hiddenKey))
    defaults.setValue(hiddenKey, false);
  if (field && field->window() && field->window()->isVisible())
    field->setFocus(Qt::OtherFocusReason);
}

} // namespace kr
