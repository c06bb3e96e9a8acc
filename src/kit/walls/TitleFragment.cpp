#include "kit/walls/TitleFragment.h"

#include "art/KorvaneStyleKit.h"
#include "kit/Label.h"
#include "kit/bricks/PullDownButtonBrick.h"
#include "kit/skins/KorvaneControlSkin.h"
#include "kit/skins/StandardImages.h"
#include "kit/walls/FragmentStackView.h"

namespace kr {

TitleFragment::TitleFragment(QWidget* parent) : LabelFragment(parent) {
  label()->setFont(KorvaneControlSkin::shared()->titleFont);
  label()->hide();
  setWheelIcon(wheelIcon());
}

TitleFragment* TitleFragment::titleFragment(const QString& title,
                                            FragmentStackView* addToStackView) {
  auto* fragment = new TitleFragment();
  fragment->setIdentifier(title + QStringLiteral(" Title Fragment"));
  fragment->label()->setText(title);
  fragment->wheelButton()->setToolTip(tr("Customize this view"));
  fragment->setStackView(addToStackView);
  addToStackView->addArrangedSubview(fragment);
  fragment->install(addToStackView);
  return fragment;
}

QIcon TitleFragment::wheelIcon() const {
  // The same image on every page's title: drawn once, shared by all.
  static const QIcon icon = StandardImages::icon(KorvaneStyleKit::imageOfStatePreferencesIcon());
  return icon;
}

void TitleFragment::drawBarShape(const QRectF& frame) {
  KorvaneStyleKit::drawTitleFragmentBar(frame);
}

QFont TitleFragment::barFont() const { return KorvaneControlSkin::shared()->titleFont; }

} // namespace kr
