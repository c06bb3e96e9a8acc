#include "stats/StatsViewController.h"

#include "art/KorvaneStyleKit.h"
#include "engine/DataModel.h"
#include "kit/EndOfLifeBag.h"
#include "kit/Label.h"
#include "kit/bricks/DatePickerBrick.h"
#include "kit/bricks/PopUpButtonBrick.h"
#include "kit/bricks/PushButtonBrick.h"
#include "kit/bricks/TagTokenField.h"
#include "kit/walls/BricksFactory.h"
#include "kit/walls/FragmentStackView.h"
#include "kit/walls/LayoutConstraintMaker.h"
#include "kit/walls/TagTokenFieldHelper.h"
#include "kit/walls/Wall.h"
#include "platform/layout/ConstraintLayout.h"
#include "platform/services/HtmlView.h"
#include "platform/settings/DefaultsBinding.h"
#include "platform/settings/UserDefaults.h"
#include "platform/settings/ValueTransformer.h"
#include "stats/FilterFragmentWall.h"
#include "stats/FullFeaturedStatisticsManager.h"
#include "stats/Statistic.h"

#include <QEvent>
#include <QPointer>

namespace kr {

namespace {

using A = LayoutAttribute;

const QString kRadioKey = QStringLiteral("statsRadioButtonChoice");
const QString kFromDateKey = QStringLiteral("statsFromDate");
const QString kToDateKey = QStringLiteral("statsToDate");

DefaultsBinding* bind(QObject* control, const char* property, const QString& key,
                      const ValueTransformer& transformer = {}) {
  return DefaultsBinding::bind(control, property, key, transformer, &UserDefaults::standard());
}

// A fresh day-text transformer for each date binding.
ValueTransformer stringToDateTransformer() {
  const QString name = QStringLiteral("StringToDateTransformer");
  return ValueTransformer::isRegistered(name) ? ValueTransformer::named(name)
                                              : transformers::stringToDate();
}

// The preset radio is on while the choice is 0 and stores 0 when clicked;
// "From" is on for any other choice and stores 1.
ValueTransformer radioTransformer(bool presetRadio) {
  ValueTransformer transformer;
  transformer.forward = [presetRadio](const QVariant& stored) {
    const bool isPreset = UserDefaults::toInteger(stored) == 0;
    return QVariant(presetRadio ? isPreset : !isPreset);
  };
  transformer.reverse = [presetRadio](const QVariant& shown) {
    const bool on = shown.toBool();
    return QVariant(qint64(presetRadio ? (on ? 0 : 1) : (on ? 1 : 0)));
  };
  return transformer;
}

void addDirectly(Wall* row, QWidget* view,
                 const std::function<void(LayoutConstraintMaker&)>& constraints) {
  ConstraintLayout::addSubview(row, view);
  LayoutConstraintMaker make(view);
  constraints(make);
  ConstraintLayout::of(row)->addConstraints(make.constraints());
}

bool currentStatisticSupports(StatsViewController* controller, bool dates) {
  if (!controller || !controller->fullFeaturedStatsManager)
    return false;
  const std::unique_ptr<Statistic> statistic =
      controller->fullFeaturedStatsManager->getCurrentStatistic();
  if (!statistic)
    return false;
  return dates ? statistic->supportsTimeBasedFiltering : statistic->supportsTagBasedFiltering;
}

} // namespace

const QList<QPair<QString, int>>& StatsViewController::statisticItems() {
  static const QList<QPair<QString, int>> items = {
      {QStringLiteral("Overview of last 7 Days"), 0},
      {QStringLiteral("Overview of last 14 Days"), 5},
      {QStringLiteral("Overview of last 28 Days"), 6},
      {QString(), -1},
      {QStringLiteral("Day of Week Analysis"), 1},
      {QStringLiteral("Hour of Day Analysis"), 3},
      {QString(), -1},
      {QStringLiteral("Report"), 4},
  };
  return items;
}

const QList<QPair<QString, int>>& StatsViewController::presetItems() {
  static const QList<QPair<QString, int>> items = {
      {QStringLiteral("All Time"), 0},      {QStringLiteral("Today"), 1},
      {QStringLiteral("Yesterday"), 2},     {QStringLiteral("Week-to-Date"), 3},
      {QStringLiteral("Last 7 Days"), 4},   {QStringLiteral("Last Week"), 5},
      {QStringLiteral("Month-to-Date"), 6}, {QStringLiteral("Last 30 Days"), 7},
  };
  return items;
}

StatsViewController::StatsViewController(bool delayed, LogFileManager* logFiles)
    : NiblessViewController(delayed), logFiles_(logFiles) {
  if (!delayedBuild)
    build();
}

StatsViewController::~StatsViewController() {
  // The page goes before the manager that shows into it.
  if (QWidget* root = view(); root && !root->parent())
    setView(nullptr);
}

void StatsViewController::build() {
  // 1. The root.
  auto* root = new Wall;
  root->setIdentifier(QStringLiteral("Stats View"));
  setView(root);

  // 2. The stack of the four sections.
  fragmentStackView = new FragmentStackView(Qt::Vertical);
  fragmentStackView->setSpacing(4.0);
  // Each section spans the pad: its controls sit at its left and right edges.
  fragmentStackView->setAlignment({});
  addDirectly(root, fragmentStackView, [](LayoutConstraintMaker& make) {
    make.container()
        .pin(A::Left, A::Left, 1.0)
        .pin(A::Right, A::Right, 0.0)
        .pin(A::Bottom, A::Bottom, 0.0)
        .pin(A::Top, A::Top, 33.0);
  });

  // 3. The statistic chooser.
  buildChooser();
  // 4. The manager.
  fullFeaturedStatsManager = std::make_unique<FullFeaturedStatisticsManager>(logFiles_);
  // 5. and 6. The filter rows.
  buildDateRow();
  buildTagRow();
  // 7. The web view; the manager becomes the shared one.
  buildWebView();
  // 8. The statistic pop-up follows "currentlyDisplayedStatistic".
  DataModel::shared().bindStatsMode(statisticPopUp_);
  QPointer<PopUpButtonBrick> popUp = statisticPopUp_;
  root->endOfLifeBag()->add([popUp] {
    if (popUp)
      DataModel::shared().unbindStatsMode(popUp);
  });
  // 9. The first page, once the pad shows.
  fullFeaturedStatsManager->setPageShown(root->isVisible());
  root->installEventFilter(this);
  fullFeaturedStatsManager->load();
}

bool StatsViewController::eventFilter(QObject* watched, QEvent* event) {
  if (watched == view() && fullFeaturedStatsManager &&
      (event->type() == QEvent::Show || event->type() == QEvent::Hide))
    fullFeaturedStatsManager->setPageShown(view()->isVisible());
  return NiblessViewController::eventFilter(watched, event);
}

void StatsViewController::buildChooser() {
  auto* chooser = new FragmentWall;
  chooser->setIdentifier(QStringLiteral("Statistic Chooser"));
  fragmentStackView->addArrangedSubview(chooser);
  chooser->install(fragmentStackView);
  const std::shared_ptr<BricksFactory> factory = chooser->factory();

  statisticPopUp_ = factory->popupButton([](LayoutConstraintMaker& make) {
    make.container()
        .pin(A::Bottom, A::Bottom, 0.0)
        .pin(A::Left, A::Left, 4.0)
        .place(A::Top, A::Top);
  });
  statisticPopUp_->small();
  statisticPopUp_->setObjectName(QStringLiteral("statisticPopUp"));

  PopUpButtonBrick* popUp = statisticPopUp_;
  filterButton_ = factory->pushButton(
      QStringLiteral("Filter"), [] {},
      [popUp](LayoutConstraintMaker& make) {
        make.and_(popUp).pin(A::FirstBaseline, A::FirstBaseline, 0.0);
        make.container().pin(A::Right, A::Right, -4.0);
      });
  filterButton_->small();
  filterButton_->setObjectName(QStringLiteral("filterButton"));
  filterButton_->setButtonType(PushButtonBrick::ButtonType::onOff);
  const DrawnImage icon = KorvaneStyleKit::imageOfFilterIcon();
  const double scale = filterButton_->devicePixelRatioF();
  QImage image = icon.toImage(scale);
  image.setDevicePixelRatio(scale);
  filterButton_->setImage(image, true);
  filterButton_->setLayoutDirection(Qt::LeftToRight); // the image left of the title
  bind(filterButton_, DataModel::kButtonValueProperty, QStringLiteral("filtering"));
  QPointer<PushButtonBrick> filter = filterButton_;
  chooser->endOfLifeBag()->add([filter] {
    if (!filter)
      return;
    for (DefaultsBinding* binding :
         filter->findChildren<DefaultsBinding*>(Qt::FindDirectChildrenOnly)) {
      if (binding->key() == QLatin1String("filtering"))
        binding->unbind();
    }
  });

  for (const auto& [title, tag] : statisticItems()) {
    if (tag < 0)
      statisticPopUp_->addSeparatorItem();
    else
      statisticPopUp_->addItemWithTag(title, tag);
  }
}

void StatsViewController::buildDateRow() {
  dateRow_ = new FilterFragmentWall(this);
  dateRow_->setIdentifier(QStringLiteral("Date Filter"));
  dateRow_->queryFunc = [](StatsViewController* controller) {
    return currentStatisticSupports(controller, true);
  };
  Wall* row = dateRow_;
  const std::shared_ptr<BricksFactory> factory = row->factory();

  presetRadio_ = factory->pushButton(QString(), {}, [](LayoutConstraintMaker& make) {
    make.container().pin(A::Left, A::Left, 0.0).pin(A::Top, A::Top, 4.0);
  });
  presetRadio_->small();
  presetRadio_->setObjectName(QStringLiteral("presetRadioButton"));
  presetRadio_->setButtonType(PushButtonBrick::ButtonType::radio);
  bind(presetRadio_, DataModel::kButtonValueProperty, kRadioKey, radioTransformer(true));

  PushButtonBrick* radio = presetRadio_;
  presetPopUp_ = factory->popupButton([radio](LayoutConstraintMaker& make) {
    make.previous().pin(A::CenterY, A::CenterY, 0.0);
    make.and_(radio).pin(A::Left, A::Right, 0.0);
  });
  presetPopUp_->small();
  presetPopUp_->setObjectName(QStringLiteral("presetPopUp"));
  for (const auto& [title, tag] : presetItems())
    presetPopUp_->addItemWithTag(title, tag);
  bind(presetPopUp_, DataModel::kPopUpTagProperty, QStringLiteral("statsDateMode"));

  PopUpButtonBrick* presets = presetPopUp_;
  fromRadio_ =
      factory->pushButton(QStringLiteral("From"), {}, [presets](LayoutConstraintMaker& make) {
        make.and_(presets).pin(A::Left, A::Right, 6.0).pin(A::CenterY, A::CenterY, 0.0);
      });
  fromRadio_->small();
  fromRadio_->setObjectName(QStringLiteral("fromRadioButton"));
  fromRadio_->setButtonType(PushButtonBrick::ButtonType::radio);
  bind(fromRadio_, DataModel::kButtonValueProperty, kRadioKey, radioTransformer(false));

  fromDate_ = new DatePickerBrick;
  fromDate_->setObjectName(QStringLiteral("fromDatePicker"));
  bind(fromDate_, "maxDateValue", kToDateKey, stringToDateTransformer());
  bind(fromDate_, "dateValue", kFromDateKey, stringToDateTransformer());
  PushButtonBrick* from = fromRadio_;
  addDirectly(row, fromDate_, [from](LayoutConstraintMaker& make) {
    make.and_(from).pin(A::FirstBaseline, A::FirstBaseline, 0.0).pin(A::Left, A::Right, 0.0);
  });

  DatePickerBrick* fromPicker = fromDate_;
  Label* to = factory->label(QStringLiteral("to"), [fromPicker](LayoutConstraintMaker& make) {
    make.and_(fromPicker).pin(A::Left, A::Right, 2.0).pin(A::FirstBaseline, A::FirstBaseline, 0.0);
  });
  to->small();

  toDate_ = new DatePickerBrick;
  toDate_->setObjectName(QStringLiteral("toDatePicker"));
  bind(toDate_, "minDateValue", kFromDateKey, stringToDateTransformer());
  bind(toDate_, "dateValue", kToDateKey, stringToDateTransformer());
  addDirectly(row, toDate_, [to](LayoutConstraintMaker& make) {
    make.and_(to).pin(A::FirstBaseline, A::FirstBaseline, 0.0).pin(A::Left, A::Right, 0.0);
    make.container().pin(A::Right, A::Right, 0.0).pin(A::Bottom, A::Bottom, 0.0);
  });

  fragmentStackView->addArrangedSubview(dateRow_);
  dateRow_->update();
}

void StatsViewController::buildTagRow() {
  tagRow_ = new FilterFragmentWall(this);
  tagRow_->setIdentifier(QStringLiteral("Tag Filter"));
  tagField_ = TagTokenFieldHelper::installTagTokenFieldInsideFragment(
      tagRow_, QStringLiteral("tagFilter"),
      [](TagTokenField* field) { DataModel::shared().bindTagFilter(field); },
      [](TagTokenField* field) { DataModel::shared().unbindTagFilter(field); }, true);
  tagRow_->queryFunc = [](StatsViewController* controller) {
    return currentStatisticSupports(controller, false);
  };
  fragmentStackView->addArrangedSubview(tagRow_);
  tagRow_->update();
}

void StatsViewController::buildWebView() {
  webView = HtmlView::create();
  webView->setObjectName(QStringLiteral("Stats Web View"));
  fullFeaturedStatsManager->setStatisticsWebView(webView);
  fullFeaturedStatsManager->awakeFromNib();
  webFragment_ = new FragmentWall;
  webFragment_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  webFragment_->setIdentifier(QStringLiteral("Stats Web View Fragment"));
  addDirectly(webFragment_, webView, [](LayoutConstraintMaker& make) { make.fillContainer(); });
  fragmentStackView->addArrangedSubview(webFragment_);
  webFragment_->install(fragmentStackView);
}

} // namespace kr
