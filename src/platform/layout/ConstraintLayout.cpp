#include "platform/layout/ConstraintLayout.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QVariant>

#include <cmath>

namespace kr {

Q_LOGGING_CATEGORY(lcLayout, "kr.platform.layout")

namespace {

// Optional priorities become objective weights that grow geometrically, so a
// higher priority outweighs many errors of a lower one.
double weightFor(float priority) {
  if (priority >= LayoutPriority::required)
    return SimplexSolver::required;
  return std::pow(2.0, double(std::max(priority, 1.0f)) / 50.0);
}

// The container's given size beats every optional constraint, never a required one.
const double containerSizeWeight = std::pow(2.0, 21.0);

const char* const huggingKeys[] = {"krContentHuggingH", "krContentHuggingV"};
const char* const resistanceKeys[] = {"krCompressionResistanceH", "krCompressionResistanceV"};

int orientationIndex(Qt::Orientation orientation) { return orientation == Qt::Horizontal ? 0 : 1; }

float priorityProperty(const QWidget* view, const char* key, float fallback) {
  const QVariant value = view->property(key);
  return value.isValid() ? value.toFloat() : fallback;
}

bool horizontal(LayoutAttribute a) {
  return a == LayoutAttribute::Left || a == LayoutAttribute::Right ||
         a == LayoutAttribute::Leading || a == LayoutAttribute::Trailing ||
         a == LayoutAttribute::Width || a == LayoutAttribute::CenterX;
}
bool vertical(LayoutAttribute a) { return a != LayoutAttribute::NotAnAttribute && !horizontal(a); }

// Where a view's text baseline lies: top + factor * height + offset. Text
// controls centre their line vertically; other views put it at their bottom.
std::pair<double, double> baselineOf(const QWidget* view) {
  const bool textControl =
      qobject_cast<const QLabel*>(view) || qobject_cast<const QAbstractButton*>(view) ||
      qobject_cast<const QLineEdit*>(view) || qobject_cast<const QComboBox*>(view) ||
      qobject_cast<const QAbstractSpinBox*>(view);
  if (!textControl)
    return {1.0, 0.0};
  const QFontMetricsF metrics(view->font());
  if (auto label = qobject_cast<const QLabel*>(view); label && (label->alignment() & Qt::AlignTop))
    return {0.0, label->contentsMargins().top() + metrics.ascent()};
  return {0.5, metrics.ascent() - metrics.height() / 2.0};
}

SimplexSolver::Relation solverRelation(LayoutRelation relation) {
  switch (relation) {
  case LayoutRelation::LessThanOrEqual:
    return SimplexSolver::Relation::LessOrEqual;
  case LayoutRelation::GreaterThanOrEqual:
    return SimplexSolver::Relation::GreaterOrEqual;
  case LayoutRelation::Equal:
    break;
  }
  return SimplexSolver::Relation::Equal;
}

} // namespace

ConstraintLayout::ConstraintLayout(QWidget* container) : QLayout(container) {
  setContentsMargins(0, 0, 0, 0);
  setSizeConstraint(QLayout::SetNoConstraint);
}

ConstraintLayout::~ConstraintLayout() {
  while (!items_.isEmpty())
    delete items_.takeLast();
}

ConstraintLayout* ConstraintLayout::of(QWidget* container) {
  if (auto existing = qobject_cast<ConstraintLayout*>(container->layout()))
    return existing;
  Q_ASSERT(!container->layout());
  return new ConstraintLayout(container);
}

void ConstraintLayout::addSubview(QWidget* container, QWidget* child) {
  ConstraintLayout* layout = of(container);
  for (QLayoutItem* item : std::as_const(layout->items_)) {
    if (item->widget() == child)
      return;
  }
  layout->addWidget(child);
}

void ConstraintLayout::layoutSubtreeIfNeeded(QWidget* root) {
  if (auto layout = qobject_cast<ConstraintLayout*>(root->layout()))
    layout->setGeometry(root->contentsRect());
  for (QObject* child : root->children()) {
    if (auto widget = qobject_cast<QWidget*>(child); widget && !widget->isWindow())
      layoutSubtreeIfNeeded(widget);
  }
}

// --- Constraints --------------------------------------------------------------------------

// A child named by a constraint is managed from then on, so that its
// constraints leave with it when it is deleted or moved elsewhere.
void ConstraintLayout::adopt(QWidget* view) {
  if (!view || view == container() || view->parentWidget() != container())
    return;
  for (QLayoutItem* item : std::as_const(items_)) {
    if (item->widget() == view)
      return;
  }
  addWidget(view);
}

void ConstraintLayout::addConstraint(const LayoutConstraint& constraint) {
  adopt(constraint.firstItem());
  adopt(constraint.secondItem());
  constraints_.append(constraint);
  if (solver_)
    install(constraint);
  invalidate();
}

void ConstraintLayout::addConstraints(const LayoutConstraints& constraints) {
  for (const LayoutConstraint& constraint : constraints) {
    adopt(constraint.firstItem());
    adopt(constraint.secondItem());
    constraints_.append(constraint);
    if (solver_)
      install(constraint);
  }
  invalidate();
}

void ConstraintLayout::removeConstraint(const LayoutConstraint& constraint) {
  removeConstraints({constraint});
}

void ConstraintLayout::removeConstraints(const LayoutConstraints& constraints) {
  bool leftOutOne = false;
  for (const LayoutConstraint& constraint : constraints) {
    const quint64 identity = constraint.identity();
    const auto removed = constraints_.removeIf(
        [identity](const LayoutConstraint& c) { return c.identity() == identity; });
    if (removed == 0)
      continue;
    if (solver_ && installed_.contains(identity))
      solver_->removeConstraint(installed_.take(identity));
  }
  // A constraint left out for a conflict may fit now: build again to retry it.
  for (const LayoutConstraint& constraint : std::as_const(constraints_)) {
    if (solver_ && !installed_.contains(constraint.identity()))
      leftOutOne = true;
  }
  if (leftOutOne)
    discardSolver();
  invalidate();
}

void ConstraintLayout::discardSolver() {
  solver_.reset();
  solverItems_.clear();
  itemIndex_.clear();
  installed_.clear();
  hintsStale_ = true;
  fittingValid_ = false;
}

// --- Priorities of intrinsic sizes ---------------------------------------------------------

void ConstraintLayout::setContentHuggingPriority(QWidget* view, Qt::Orientation orientation,
                                                 float priority) {
  view->setProperty(huggingKeys[orientationIndex(orientation)], priority);
  view->updateGeometry();
}

float ConstraintLayout::contentHuggingPriority(const QWidget* view, Qt::Orientation orientation) {
  return priorityProperty(view, huggingKeys[orientationIndex(orientation)],
                          LayoutPriority::defaultLow);
}

void ConstraintLayout::setContentCompressionResistancePriority(QWidget* view,
                                                               Qt::Orientation orientation,
                                                               float priority) {
  view->setProperty(resistanceKeys[orientationIndex(orientation)], priority);
  view->updateGeometry();
}

float ConstraintLayout::contentCompressionResistancePriority(const QWidget* view,
                                                             Qt::Orientation orientation) {
  return priorityProperty(view, resistanceKeys[orientationIndex(orientation)],
                          LayoutPriority::defaultHigh);
}

// --- Solver ----------------------------------------------------------------------------------

void ConstraintLayout::ensureSolver() const {
  if (solver_)
    return;
  solver_ = std::make_unique<SimplexSolver>();
  containerWidth_ = solver_->newVariable();
  containerHeight_ = solver_->newVariable();
  for (QLayoutItem* item : items_) {
    if (item->widget())
      itemFor(item->widget());
  }
  for (const LayoutConstraint& constraint : constraints_)
    install(constraint);
  editContainerSize();
  hintsStale_ = true;
}

// Lets the container's size follow the size it was last given.
void ConstraintLayout::editContainerSize() const {
  solver_->addEditVariable(containerWidth_, containerSizeWeight);
  solver_->addEditVariable(containerHeight_, containerSizeWeight);
  solver_->suggestValue(containerWidth_, lastSize_.width());
  solver_->suggestValue(containerHeight_, lastSize_.height());
}

ConstraintLayout::Item* ConstraintLayout::itemFor(QWidget* widget) const {
  if (auto it = itemIndex_.constFind(widget); it != itemIndex_.constEnd())
    return &solverItems_[*it];
  if (!widget || widget->parentWidget() != container())
    return nullptr;
  Item item;
  item.widget = widget;
  item.x = solver_->newVariable();
  item.y = solver_->newVariable();
  item.width = solver_->newVariable();
  item.height = solver_->newVariable();
  itemIndex_.insert(widget, solverItems_.size());
  solverItems_.push_back(item);
  hintsStale_ = true;
  return &solverItems_.back();
}

ConstraintLayout::Expression ConstraintLayout::expressionFor(QWidget* view,
                                                             LayoutAttribute attribute) const {
  Expression e;
  if (attribute == LayoutAttribute::NotAnAttribute || !view)
    return e;
  SimplexSolver::Variable x = 0, y = 0, w = containerWidth_, h = containerHeight_;
  bool origin = false; // the container's own left and top are 0
  if (view == container()) {
    origin = true;
  } else if (const Item* item = itemFor(view)) {
    x = item->x;
    y = item->y;
    w = item->width;
    h = item->height;
  } else {
    e.valid = false;
    return e;
  }
  auto add = [&](SimplexSolver::Variable v, double c, bool isOrigin) {
    if (!isOrigin)
      e.terms.push_back({v, c});
  };
  // Every attribute lies on one axis: the view's leading edge there (0 for the
  // container), a share of its extent, or both.
  const bool alongX = horizontal(attribute);
  const SimplexSolver::Variable position = alongX ? x : y;
  const SimplexSolver::Variable extent = alongX ? w : h;
  switch (attribute) {
  case LayoutAttribute::Left:
  case LayoutAttribute::Leading:
  case LayoutAttribute::Top:
    add(position, 1.0, origin);
    break;
  case LayoutAttribute::Right:
  case LayoutAttribute::Trailing:
  case LayoutAttribute::Bottom:
    add(position, 1.0, origin);
    add(extent, 1.0, false);
    break;
  case LayoutAttribute::Width:
  case LayoutAttribute::Height:
    add(extent, 1.0, false);
    break;
  case LayoutAttribute::CenterX:
  case LayoutAttribute::CenterY:
    add(position, 1.0, origin);
    add(extent, 0.5, false);
    break;
  case LayoutAttribute::LastBaseline:
  case LayoutAttribute::FirstBaseline: {
    const auto [factor, offset] = origin ? std::pair{1.0, 0.0} : baselineOf(view);
    add(position, 1.0, origin);
    add(extent, factor, false);
    e.constant = offset;
    break;
  }
  case LayoutAttribute::NotAnAttribute:
    break;
  }
  return e;
}

void ConstraintLayout::install(const LayoutConstraint& constraint) const {
  const Expression first = expressionFor(constraint.firstItem(), constraint.firstAttribute());
  const Expression second = expressionFor(constraint.secondItem(), constraint.secondAttribute());
  if (!first.valid || !second.valid || !constraint.firstItem()) {
    if (!reported_.contains(constraint.identity())) {
      reported_.insert(constraint.identity());
      qCWarning(lcLayout).noquote()
          << "Ignoring a constraint on a view that is not in its container:"
          << constraint.description(container());
    }
    return;
  }
  // first - multiplier * second - constant <relation> 0
  std::vector<SimplexSolver::Term> terms = first.terms;
  for (const auto& term : second.terms)
    terms.push_back({term.variable, -constraint.multiplier() * term.coefficient});
  const double constant =
      first.constant - constraint.multiplier() * second.constant - constraint.constant();
  const auto id = solver_->addConstraint(terms, constant, solverRelation(constraint.relation()),
                                         weightFor(constraint.priority()));
  if (id)
    installed_.insert(constraint.identity(), *id);
  else
    reportConflict(constraint);
}

namespace {
// Whether two constraints can bear on each other: they share an axis.
bool shareAxis(const LayoutConstraint& a, const LayoutConstraint& b) {
  const bool ah = horizontal(a.firstAttribute()) || horizontal(a.secondAttribute());
  const bool av = vertical(a.firstAttribute()) || vertical(a.secondAttribute());
  const bool bh = horizontal(b.firstAttribute()) || horizontal(b.secondAttribute());
  const bool bv = vertical(b.firstAttribute()) || vertical(b.secondAttribute());
  return (ah && bh) || (av && bv);
}
} // namespace

// Names the required constraints on the same views and axis as the one left out.
void ConstraintLayout::reportConflict(const LayoutConstraint& constraint) const {
  if (reported_.contains(constraint.identity()))
    return;
  reported_.insert(constraint.identity());
  QStringList involved;
  for (const LayoutConstraint& other : constraints_) {
    if (other.identity() == constraint.identity() || !other.isRequired() ||
        !installed_.contains(other.identity()) || !shareAxis(constraint, other))
      continue;
    const bool shares = [&] {
      for (QWidget* a : {constraint.firstItem(), constraint.secondItem()}) {
        if (a && (a == other.firstItem() || a == other.secondItem()))
          return true;
      }
      return false;
    }();
    if (shares)
      involved << QStringLiteral("    ") + other.description(container());
  }
  qCWarning(lcLayout).noquote() << "Unable to satisfy the required constraints; leaving out"
                                << constraint.description(container())
                                << "\n  which contradicts:\n" + involved.join(QLatin1Char('\n'));
}

QSize ConstraintLayout::intrinsicSize(const QWidget* widget) {
  // A length fixed by the widget's minimum and maximum is what it asks for,
  // whatever its content would like.
  QSize size = widget->sizeHint();
  const QSize minimum = widget->minimumSize();
  const QSize maximum = widget->maximumSize();
  if (minimum.width() == maximum.width())
    size.setWidth(minimum.width());
  if (minimum.height() == maximum.height())
    size.setHeight(minimum.height());
  return size;
}

void ConstraintLayout::refreshIntrinsicSizes() const {
  if (!hintsStale_)
    return;
  hintsStale_ = false;
  for (Item& item : solverItems_) {
    const QSize hint = intrinsicSize(item.widget);
    if (hint == item.hint)
      continue;
    for (auto id : item.intrinsic)
      solver_->removeConstraint(id);
    item.intrinsic.clear();
    item.hint = hint;
    const std::pair<Qt::Orientation, SimplexSolver::Variable> axes[] = {
        {Qt::Horizontal, item.width}, {Qt::Vertical, item.height}};
    for (const auto& [orientation, variable] : axes) {
      const int length = orientation == Qt::Horizontal ? hint.width() : hint.height();
      if (length < 0)
        continue; // no intrinsic size along this axis
      const float resistance = contentCompressionResistancePriority(item.widget, orientation);
      const float hugging = contentHuggingPriority(item.widget, orientation);
      for (const auto& [relation, priority] :
           {std::pair{SimplexSolver::Relation::GreaterOrEqual, resistance},
            std::pair{SimplexSolver::Relation::LessOrEqual, hugging}}) {
        if (auto id =
                solver_->addConstraint({{variable, 1.0}}, -length, relation, weightFor(priority)))
          item.intrinsic.push_back(*id);
      }
    }
  }
}

// --- QLayout ---------------------------------------------------------------------------------

void ConstraintLayout::addItem(QLayoutItem* item) {
  items_.append(item);
  invalidate();
}

QLayoutItem* ConstraintLayout::itemAt(int index) const { return items_.value(index); }

QLayoutItem* ConstraintLayout::takeAt(int index) {
  if (index < 0 || index >= items_.size())
    return nullptr;
  QLayoutItem* item = items_.takeAt(index);
  if (item->widget())
    forgetWidget(item->widget());
  invalidate();
  return item;
}

// A view that leaves its container takes its constraints with it.
void ConstraintLayout::forgetWidget(QWidget* widget) {
  LayoutConstraints gone;
  for (const LayoutConstraint& c : std::as_const(constraints_)) {
    if (c.firstItem() == widget || c.secondItem() == widget)
      gone.append(c);
  }
  removeConstraints(gone);
  discardSolver();
}

int ConstraintLayout::count() const { return int(items_.size()); }

QSize ConstraintLayout::sizeHint() const {
  if (fittingValid_)
    return fitting_;
  ensureSolver();
  refreshIntrinsicSizes();
  solver_->removeEditVariable(containerWidth_);
  solver_->removeEditVariable(containerHeight_);
  const double weight = weightFor(LayoutPriority::fittingSizeCompression);
  const auto w =
      solver_->addConstraint({{containerWidth_, 1.0}}, 0.0, SimplexSolver::Relation::Equal, weight);
  const auto h = solver_->addConstraint({{containerHeight_, 1.0}}, 0.0,
                                        SimplexSolver::Relation::Equal, weight);
  solver_->updateVariables();
  fitting_ = QSize(int(std::ceil(solver_->value(containerWidth_) - 1e-6)),
                   int(std::ceil(solver_->value(containerHeight_) - 1e-6)))
                 .expandedTo(QSize(0, 0));
  solver_->removeConstraint(*w);
  solver_->removeConstraint(*h);
  editContainerSize();
  fittingValid_ = true;
  return fitting_;
}

// A container cannot usefully be smaller than its fitting size (scroll views rely on it).
QSize ConstraintLayout::minimumSize() const { return sizeHint(); }

void ConstraintLayout::setGeometry(const QRect& rect) {
  QLayout::setGeometry(rect);
  ensureSolver();
  refreshIntrinsicSizes();
  lastSize_ = rect.size();
  solver_->suggestValue(containerWidth_, rect.width());
  solver_->suggestValue(containerHeight_, rect.height());
  solver_->updateVariables();
  for (const Item& item : solverItems_) {
    const double x = solver_->value(item.x), y = solver_->value(item.y);
    const int left = int(std::lround(x)), top = int(std::lround(y));
    const int right = int(std::lround(x + solver_->value(item.width)));
    const int bottom = int(std::lround(y + solver_->value(item.height)));
    item.widget->setGeometry(rect.x() + left, rect.y() + top, std::max(0, right - left),
                             std::max(0, bottom - top));
  }
}

void ConstraintLayout::invalidate() {
  hintsStale_ = true;
  fittingValid_ = false;
  QLayout::invalidate();
  // The container's fitting size may have changed: tell the layout around it.
  if (QWidget* w = container(); w && w->parentWidget()) {
    if (auto outer = qobject_cast<ConstraintLayout*>(w->parentWidget()->layout()))
      outer->invalidate();
    else
      w->updateGeometry();
  }
}

// Sizes come from the constraints; a window shows at its fitting size.
Qt::Orientations ConstraintLayout::expandingDirections() const { return {}; }

} // namespace kr
