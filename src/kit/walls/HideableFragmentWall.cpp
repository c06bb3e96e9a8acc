#include "kit/walls/HideableFragmentWall.h"

#include "kit/KVOResponder.h"
#include "kit/walls/BricksFactory.h"
#include "kit/walls/FragmentStackView.h"
#include "kit/walls/LayoutConstraintMaker.h"
#include "platform/FatalError.h"
#include "platform/settings/DefaultsStorageAPI.h"
#include "platform/settings/UserDefaults.h"

namespace kr {

namespace {
bool readBool(const QString& key) { return StandardUserDefaultsStorage::shared().getBoolean(key); }
} // namespace

bool HideableFragmentWall::And(const QStringList& keys) {
  for (const QString& key : keys) {
    if (!readBool(key))
      return false;
  }
  return true;
}

bool HideableFragmentWall::Or(const QStringList& keys) {
  for (const QString& key : keys) {
    if (readBool(key))
      return true;
  }
  return false;
}

bool HideableFragmentWall::OrNot(const QStringList& keys) {
  if (keys.size() != 2)
    return false;
  return readBool(keys[0]) || !readBool(keys[1]);
}

bool HideableFragmentWall::NeverHide(const QStringList&) { return false; }

HideableFragmentWall::HideableFragmentWall(QWidget* parent) : FragmentWall(parent) {}

HideableFragmentWall::HideableFragmentWall(const QString& storageKey, bool isHiddenByDefault,
                                           QWidget* parent)
    : FragmentWall(parent) {
  configure(storageKey, isHiddenByDefault);
}

HideableFragmentWall::~HideableFragmentWall() = default;

void HideableFragmentWall::configure(const QString& storageKey, bool initialValue) {
  storageKeys = {storageKey};
  initialValues = {initialValue};
  shouldHideExpression = &HideableFragmentWall::And;
}

HideableFragmentWall* HideableFragmentWall::embedViewInHideableFragment(QWidget* view,
                                                                        const QString& storageKey,
                                                                        bool isHiddenByDefault,
                                                                        bool withOffset) {
  auto* fragment = new HideableFragmentWall(storageKey, isHiddenByDefault);
  fragment->factory()->internalAddBrick(view, [withOffset](LayoutConstraintMaker& make) {
    if (!withOffset) {
      make.fillContainer();
      return;
    }
    make.container()
        .place(LayoutAttribute::Top, LayoutAttribute::Top)
        .place(LayoutAttribute::Bottom, LayoutAttribute::Bottom)
        .place(LayoutAttribute::Left, LayoutAttribute::Left)
        .place(LayoutAttribute::Right, LayoutAttribute::Right);
  });
  return fragment;
}

HideableFragmentWall*
HideableFragmentWall::embedViewInHideableFragment(QWidget* view, const QStringList& storageKeys,
                                                  std::vector<std::optional<bool>> initialValues,
                                                  Expression shouldHideWhen) {
  auto* fragment = new HideableFragmentWall();
  fragment->shouldHideExpression = std::move(shouldHideWhen);
  fragment->initialValues = std::move(initialValues);
  fragment->storageKeys = storageKeys;
  fragment->factory()->internalAddBrick(view,
                                        [](LayoutConstraintMaker& make) { make.fillContainer(); });
  return fragment;
}

void HideableFragmentWall::install(FragmentStackView* parentStackView) {
  KR_ASSERT(parentStackView, QStringLiteral("install called without a stack view"));
  KR_ASSERT(initialValues.size() >= size_t(storageKeys.size()),
            QStringLiteral("HideableFragmentWall: fewer initial values than storage keys"));
  parentStackView_ = parentStackView;
  UserDefaults& defaults = UserDefaults::standard();
  for (qsizetype i = 0; i < storageKeys.size(); ++i) {
    const QString& key = storageKeys[i];
    if (const std::optional<bool>& initial = initialValues[size_t(i)])
      StandardUserDefaultsStorage::shared().registerDefault(*initial, key);
    kvoResponders_.push_back(std::make_unique<KVOResponder>(
        key, &defaults, [this](UserDefaults*, const QString&) { update(); }));
  }
  if (shouldHideExpression(storageKeys))
    parentStackView->setVisibilityPriority(this, FragmentStackView::visibilityPriorityNotVisible);
}

void HideableFragmentWall::update() {
  KR_ASSERT(parentStackView_, QStringLiteral("HideableFragmentWall updated before installed"));
  parentStackView_->setVisibilityPriority(
      this, shouldHideExpression(storageKeys) ? FragmentStackView::visibilityPriorityNotVisible
                                              : shownVisibilityPriority);
}

} // namespace kr
