#include "kit/walls/LabelFragment.h"

#include "art/KorvaneStyleKit.h"
#include "kit/Label.h"
#include "kit/SmartMenuItem.h"
#include "kit/bricks/PullDownButtonBrick.h"
#include "kit/bricks/PushButtonBrick.h"
#include "kit/skins/KorvaneControlSkin.h"
#include "kit/skins/StandardImages.h"
#include "kit/walls/BricksFactory.h"
#include "kit/walls/LayoutConstraintMaker.h"
#include "platform/drawing/GraphicsContext.h"
#include "platform/layout/ConstraintLayout.h"
#include "platform/settings/DefaultsStorageAPI.h"

#include <QMenu>
#include <QPalette>

namespace kr {

namespace {
using A = LayoutAttribute;
StandardUserDefaultsStorage& storage() { return StandardUserDefaultsStorage::shared(); }
} // namespace

LabelFragment::LabelFragment(QWidget* parent) : HideableFragmentWall(parent) {
  BricksFactory& bricks = *factory();
  label_ = Label::standardLabel(QString());
  bricks.internalAddBrick(label_, [](LayoutConstraintMaker& make) {
    make.container().place(A::Left, A::Left).place(A::Top, A::Top);
  });
  wheelButton_ = new PullDownButtonBrick(wheelIcon());
  bricks.internalAddBrick(wheelButton_, [this](LayoutConstraintMaker& make) {
    make.container().place(A::Right, A::Right).place(A::Bottom, A::Bottom);
    make.and_(label_).pin(A::CenterY, A::CenterY, 0);
  });
  wheelButton_->setBorderless(true);
  hideWheelButton();
  wheelButton_->setToolTip(tr("Customize this section"));

  alternativeUIButton_ = new PushButtonBrick();
  alternativeUIButton_->makeBorderless();
  alternativeUIButton_->buttonPressFunction = [] {};
  bricks.internalAddBrick(alternativeUIButton_, [](LayoutConstraintMaker& make) {
    make.previous().pin(A::Right, A::Left, 0).pin(A::CenterY, A::CenterY, 0);
  });
  // Every section shows the same image: drawn once, shared by all.
  static const QIcon alternativeUIIcon =
      StandardImages::icon(KorvaneStyleKit::imageOfAlternativeUIIcon());
  alternativeUIButton_->setIcon(alternativeUIIcon);
  alternativeUIButton_->setToolTip(tr("Switch to next alternative control"));
  alternativeUIButton_->hide();
  label_->hide();
  setBackgroundDrawingFunc([this](const QRectF&) { drawBar(QRectF(0, 0, width(), height())); });
}

LabelFragment* LabelFragment::make(const QString& title) {
  auto* fragment = new LabelFragment();
  fragment->setIdentifier(title + QStringLiteral(" Fragment"));
  fragment->label_->setText(title);
  return fragment;
}

LabelFragment* LabelFragment::labelFragment(const QString& title) { return make(title); }

LabelFragment* LabelFragment::labelFragment(const QString& title, const QString& storageKey,
                                            bool hiddenByDefault) {
  LabelFragment* fragment = make(title);
  fragment->configure(storageKey, hiddenByDefault);
  return fragment;
}

LabelFragment* LabelFragment::labelFragment(const QString& title, const QStringList& storageKeys,
                                            std::vector<std::optional<bool>> initialValues,
                                            Expression shouldHideExpression) {
  LabelFragment* fragment = make(title);
  fragment->storageKeys = storageKeys;
  fragment->initialValues = std::move(initialValues);
  fragment->shouldHideExpression = std::move(shouldHideExpression);
  return fragment;
}

QIcon LabelFragment::wheelIcon() const { return StandardImages::actionTemplate(); }

void LabelFragment::setWheelIcon(const QIcon& icon) {
  if (QAction* face = wheelButton_->itemAt(0))
    face->setIcon(icon);
  wheelButton_->setIcon(icon);
}

void LabelFragment::unhideWheelButton() {
  wheelButton_->show();
  replaceWheelButtonWidth(40.0);
}

void LabelFragment::hideWheelButton() {
  wheelButton_->hide();
  replaceWheelButtonWidth(14.0);
}

void LabelFragment::replaceWheelButtonWidth(double width) {
  ConstraintLayout* layout = ConstraintLayout::of(this);
  if (wheelButtonWidthConstraint_)
    layout->removeConstraint(*wheelButtonWidthConstraint_);
  wheelButtonWidthConstraint_ = LayoutConstraint(wheelButton_, A::Width, LayoutRelation::Equal,
                                                 nullptr, A::NotAnAttribute, 1.0, width);
  layout->addConstraint(*wheelButtonWidthConstraint_);
}

SmartMenuItem* LabelFragment::addVisibilityManagedOption(const QString& menuItemTitle,
                                                         const QString& storageKey) {
  unhideWheelButton();
  auto* item = new SmartMenuItem(
      menuItemTitle,
      [storageKey] { storage().store(!storage().getBoolean(storageKey), storageKey); },
      [menuItemTitle, storageKey](SmartMenuItem* self) {
        self->setText(
            (storage().getBoolean(storageKey) ? QStringLiteral("Show ") : QStringLiteral("Hide ")) +
            menuItemTitle);
      });
  wheelButton_->addAction(item);
  return item;
}

void LabelFragment::addSeparatorItem() {
  auto* separator = new QAction(wheelButton_->itemMenu());
  separator->setSeparator(true);
  wheelButton_->addAction(separator);
}

SmartMenuItem* LabelFragment::addCheckedOption(const QString& menuItemTitle,
                                               const QString& storageKey,
                                               std::optional<bool> checkedByDefault) {
  if (checkedByDefault)
    storage().registerDefault(*checkedByDefault, storageKey);
  unhideWheelButton();
  // An unchecked option shows a faint check mark.
  const QIcon faintCheck = StandardImages::tintedMenuOnState(QColor::fromRgbF(1, 1, 1, 0.1));
  auto* item = new SmartMenuItem(
      menuItemTitle,
      [storageKey] { storage().store(!storage().getBoolean(storageKey), storageKey); },
      [storageKey, faintCheck](SmartMenuItem* self) {
        const bool on = storage().getBoolean(storageKey);
        self->setCheckable(true);
        self->setChecked(on);
        self->setIcon(on ? QIcon() : faintCheck);
      });
  wheelButton_->addAction(item);
  return item;
}

QRectF LabelFragment::textRect(const QRectF& frame) {
  return QRectF(frame.x() + 2 + 8, frame.y() + 2, frame.width() - 3, frame.height() - 2);
}

void LabelFragment::drawBarShape(const QRectF& frame) {
  if (isFirstLabel)
    KorvaneStyleKit::drawFirstLabelFragmentBar(frame);
  else
    KorvaneStyleKit::drawLabelFragmentBar(frame);
}

QFont LabelFragment::barFont() const { return KorvaneControlSkin::shared()->secondaryTitleFont; }

void LabelFragment::drawBar(const QRectF& frame) {
  GraphicsContext* context = GraphicsContext::current();
  if (!context)
    return;
  drawBarShape(frame);
  const QRectF box = textRect(frame);
  const QString text = label_->text();
  const QFont font = barFont();
  const double textHeight = GraphicsContext::measureText(text, font, box.width()).height();
  context->saveState();
  context->clipToRect(box);
  const QRectF textBox(box.x(), box.y() + (box.height() - textHeight) / 2 + 0.5, box.width(),
                       textHeight);
  context->drawText(text, textBox, font, palette().color(QPalette::WindowText), Qt::AlignLeft);
  context->restoreState();
}

} // namespace kr
