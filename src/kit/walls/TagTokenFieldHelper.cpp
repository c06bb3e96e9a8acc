#include "kit/walls/TagTokenFieldHelper.h"

#include "engine/TagManager.h"
#include "kit/EndOfLifeBag.h"
#include "kit/bricks/TagPullDownButtonBrick.h"
#include "kit/bricks/TagTokenField.h"
#include "kit/skins/StandardImages.h"
#include "kit/walls/LayoutConstraintMaker.h"
#include "kit/walls/Wall.h"
#include "platform/layout/ConstraintLayout.h"

#include <QPalette>
#include <QPointer>

namespace kr {

namespace {
using A = LayoutAttribute;

void addConstrained(Wall* fragment, QWidget* view,
                    const std::function<void(LayoutConstraintMaker&)>& constraints) {
  ConstraintLayout::addSubview(fragment, view);
  LayoutConstraintMaker make(view);
  constraints(make);
  ConstraintLayout::of(fragment)->addConstraints(make.constraints());
}
} // namespace

TagTokenField* TagTokenFieldHelper::installTagTokenFieldInsideFragment(Wall* fragment,
                                                                       const QString& storageKey,
                                                                       const FieldFunc& bindFunc,
                                                                       const FieldFunc& unbindFunc,
                                                                       bool forFilterView) {
  auto* field = new TagTokenField();
  field->setFrame(false);
  QPalette clear = field->palette();
  clear.setColor(QPalette::Base, Qt::transparent);
  field->setPalette(clear);
  field->setPlaceholderText(QObject::tr("No Tags."));
  field->setDelegate(&TagManager::sharedInstance());
  addConstrained(fragment, field, [&](LayoutConstraintMaker& make) {
    make.container()
        .pin(A::Top, A::Top, forFilterView ? 4.0 : 2.0)
        .place(A::Bottom, A::Bottom)
        .pin(A::Left, A::Left, forFilterView ? 16.0 : 10.0);
  });
  if (bindFunc)
    bindFunc(field);
  QPointer<TagTokenField> guarded(field);
  fragment->endOfLifeBag()->add([guarded, unbindFunc] {
    if (guarded && unbindFunc)
      unbindFunc(guarded);
  });

  auto* pullDown = new TagPullDownButtonBrick(StandardImages::addTemplate(), storageKey);
  addConstrained(fragment, pullDown, [&](LayoutConstraintMaker& make) {
    make.container().pin(A::Right, A::Right, forFilterView ? -16.0 : -8.0);
    make.and_(field).pin(A::Left, A::Right, 0).pin(A::FirstBaseline, A::FirstBaseline, 0);
  });
  pullDown->mini();
  pullDown->setBorderless(true);
  // With no tags known yet there is nothing to choose: the button puts the
  // caret in the field, where the first tags are typed.
  QObject::connect(pullDown, &PopUpButton::pressedWithNothingToChoose, field,
                   [field] { field->setFocus(Qt::OtherFocusReason); });
  return field;
}

} // namespace kr
