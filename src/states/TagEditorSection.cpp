#include "states/TagEditorSection.h"

#include "engine/DataModel.h"
#include "kit/bricks/TagTokenField.h"
#include "kit/walls/TagTokenFieldContainerView.h"
#include "kit/walls/TagTokenFieldHelper.h"
#include "platform/settings/UserDefaults.h"

namespace kr {

QWidget* TagEditorSection::create(TagTokenField** field) {
  auto* fragment = new TagTokenFieldContainerView;
  fragment->setObjectName(QStringLiteral("Tag Editor"));
  fragment->setFixedHeight(30);
  TagTokenField* tags = TagTokenFieldHelper::installTagTokenFieldInsideFragment(
      fragment, QStringLiteral("tags"), [](TagTokenField* f) { DataModel::shared().bindTags(f); },
      [](TagTokenField* f) { DataModel::shared().unbindTags(f); }, false);
  fragment->setTagTokenField(tags);
  if (field)
    *field = tags;
  return fragment;
}

void TagEditorSection::select(TagTokenField* field, const QString& hiddenKey) {
  UserDefaults& defaults = UserDefaults::standard();
  if (defaults.boolValue(hiddenKey))
    defaults.setValue(hiddenKey, false);
  if (!field || !field->window() || !field->window()->isVisible())
    return;
  if (auto* row = qobject_cast<TagTokenFieldContainerView*>(field->parentWidget()))
    row->selectTagTokenField();
  else
    field->setFocus(Qt::OtherFocusReason);
}

} // namespace kr
