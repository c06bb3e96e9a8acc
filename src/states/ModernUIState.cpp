#include "states/ModernUIState.h"

#include "states/SectionVisibility.h"
#include "states/UpdatedViewType.h"

#include "art/KorvaneStyleKit.h"
#include "engine/DataModel.h"
#include "kit/EndOfLifeBag.h"
#include "kit/Label.h"
#include "kit/bricks/PullDownButtonBrick.h"
#include "kit/text/BorderedBackgroundView.h"
#include "kit/text/ObjectiveTextView.h"
#include "kit/text/PadTextSettings.h"
#include "kit/text/TextIndicatorsView.h"
#include "kit/walls/BricksFactory.h"
#include "kit/walls/FragmentWall.h"
#include "kit/walls/LabelFragment.h"
#include "kit/walls/LayoutConstraintMaker.h"
#include "kit/walls/LayoutConstraintMakerWithRelation.h"
#include "kit/walls/TitleFragment.h"
#include "kit/walls/Wall.h"
#include "platform/FatalError.h"
#include "platform/layout/ConstraintLayout.h"
#include "platform/settings/UserDefaults.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace kr {

ModernUIState::ModernUIState() = default;

ModernUIState::~ModernUIState() = default;

void ModernUIState::addUpdatableView(UpdatedViewType& view) { updatableViewList_.push_back(&view); }

void ModernUIState::updateUpdatableViews() {
  // The list may not change while it is walked, so walk a copy.
  const std::vector<UpdatedViewType*> views = updatableViewList_;
  for (UpdatedViewType* view : views)
    view->updateState();
}

void ModernUIState::createStackView() {
  KR_ASSERT(infoWall() != nullptr, QStringLiteral("the page has no info wall"));
  fragmentStackView_ = new QWidget;
  fragmentStackView_->setObjectName(QStringLiteral("fragmentStackView"));
  QPalette palette = fragmentStackView_->palette();
  palette.setColor(QPalette::Window, KorvaneStyleKit::n4());
  fragmentStackView_->setPalette(palette);
  fragmentStackView_->setAutoFillBackground(true);
  fragmentLayout_ = new QVBoxLayout(fragmentStackView_);
  fragmentLayout_->setContentsMargins(0, 0, 0, 0);
  fragmentLayout_->setSpacing(0);
  fragmentLayout_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
  // The stack fills the info wall, at least 120 high.
  ConstraintLayout::addSubview(infoWall(), fragmentStackView_);
  LayoutConstraintMaker maker(fragmentStackView_);
  maker.fillContainer().minHeight(120);
  ConstraintLayout::of(infoWall())->addConstraints(maker.constraints());
}

void ModernUIState::createAndInstallTitleFragment(const QString& title) {
  titleFragment_ = new TitleFragment;
  titleFragment_->setObjectName(QStringLiteral("titleFragment"));
  titleFragment_->label()->setText(title);
  addSection(titleFragment_);
}

std::pair<LabelFragment*, TextIndicatorsView*>
ModernUIState::createAndInstallObjectiveLabelFragment() {
  using A = LayoutAttribute;
  LabelFragment* fragment = LabelFragment::labelFragment(QStringLiteral("Objective:"));
  fragment->isFirstLabel = true;
  addSection(fragment);
  auto* indicators = new TextIndicatorsView;
  fragment->factory()->internalAddBrick(indicators, [fragment](LayoutConstraintMaker& make) {
    make.width(TextIndicatorsView::kWidth).height(TextIndicatorsView::kHeight);
    make.and_(fragment->wheelButton()).place(A::Right, A::Left);
    make.container().place(A::CenterY, A::CenterY);
  });
  return {fragment, indicators};
}

std::pair<ObjectiveTextView*, Wall*>
ModernUIState::createAndInstallObjectiveTextViewFragment(TextIndicatorsView* textIndicatorsView) {
  using A = LayoutAttribute;
  auto* wall = new Wall;
  wall->setIdentifier(QStringLiteral("Objective Text View Fragment"));
  wall->setFixedSize(436, 108);
  addSection(wall);

  // The editor sits inside the background's one-point frame.
  auto* background =
      BorderedBackgroundView::createForColorKey(QStringLiteral("objectiveBackgroundColor"));
  background->setObjectName(QStringLiteral("objectiveBackground"));
  background->setFixedSize(420, 100);
  auto* textView = new ObjectiveTextView(background);
  textView->setGeometry(1, 1, 418, 98);
  textView->setFrameShape(QFrame::NoFrame);
  textView->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  ConstraintLayout::addSubview(wall, background);
  LayoutConstraintMaker maker(background);
  maker.container().place(A::Top, A::Top).place(A::Left, A::Left);
  ConstraintLayout::of(wall)->addConstraints(maker.constraints());

  DataModel::shared().bindObjective(textView);
  wall->endOfLifeBag()->add([view = QPointer<ObjectiveTextView>(textView)] {
    if (view)
      DataModel::shared().unbindObjective(view);
  });
  textView->awakeFromNib();
  showObjectiveColours(textView);
  textView->setTextIndicatorsView(textIndicatorsView);
  return {textView, wall};
}

void ModernUIState::showObjectiveColours(ObjectiveTextView* textView) {
  // The objective is written in the pads' text colour, dark by default, on
  // the background view under the editor, which shows the objective's own
  // light colour: the editor itself is clear. Values that cannot be read
  // give the registered colours.
  const QString kText = QStringLiteral("textColor");
  const auto apply = [textView] {
    const QColor text = PadTextSettings::textColor(UserDefaults::standard());
    QPalette palette = textView->palette();
    for (int group = 0; group < QPalette::NColorGroups; ++group) {
      const auto g = static_cast<QPalette::ColorGroup>(group);
      palette.setColor(g, QPalette::Base, Qt::transparent);
      palette.setColor(g, QPalette::Text, text);
    }
    textView->setPalette(palette);
  };
  apply();
  textView->setAutoFillBackground(false);
  textView->viewport()->setAutoFillBackground(false);
  QObject::connect(&UserDefaults::standard(), &UserDefaults::changed, textView,
                   [apply, kText](const QString& key) {
                     if (key == kText)
                       apply();
                   });
}

void ModernUIState::addSection(QWidget* section) {
  KR_ASSERT(fragmentLayout_ != nullptr, QStringLiteral("the page has no section stack"));
  fragmentLayout_->addWidget(section);
}

QWidget* ModernUIState::embedWithSectionInset(QWidget* view) {
  auto* section = new QWidget();
  auto* layout = new QHBoxLayout(section);
  layout->setContentsMargins(kSectionInset, 0, kSectionInset, 0);
  layout->addWidget(view);
  return section;
}

QWidget* ModernUIState::addContentWidget(Wall* wall) {
  auto* content = new QWidget();
  ConstraintLayout::addSubview(wall, content);
  LayoutConstraintMaker fill(content);
  fill.fillContainer();
  ConstraintLayout::of(wall)->addConstraints(fill.constraints());
  return content;
}

QWidget* ModernUIState::createOptionFragment(const QString& key, QWidget* content) {
  auto* fragment = new FragmentWall();
  fragment->setBackgroundDrawingFunc([fragment](const QRectF&) {
    KorvaneStyleKit::drawOptionFragmentBar(QRectF(0, 0, fragment->width(), fragment->height()));
  });
  QWidget* column = addContentWidget(fragment);
  auto* layout = new QVBoxLayout(column);
  layout->setContentsMargins(0, 4, 0, 4);
  layout->addWidget(new QLabel(QStringLiteral("- OR -"), column), 0, Qt::AlignHCenter);
  layout->addWidget(content, 0, Qt::AlignHCenter);
  UserDefaults::standard().registerDefault(key, false);
  addSection(fragment);
  SectionVisibility::hideWhileSet(fragment, key);
  return fragment;
}

void ModernUIState::activate() {
  BaseState::activate();
  updateUpdatableViews();
  // On the whole seconds, after the running state's own tick.
  refresh_ = SecondTicker::shared().subscribe(SecondTicker::Rank::views,
                                              [this] { updateUpdatableViews(); });
}

void ModernUIState::deactivate() {
  refresh_.reset();
  BaseState::deactivate();
}

} // namespace kr
