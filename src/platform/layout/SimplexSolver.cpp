#include "platform/layout/SimplexSolver.h"

#include "platform/FatalError.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kr {

namespace {
constexpr double epsilon = 1.0e-8;
bool nearZero(double value) { return std::fabs(value) < epsilon; }
} // namespace

// --- Row ---------------------------------------------------------------------

double SimplexSolver::Row::coefficientFor(Symbol symbol) const {
  if (!(mask & bit(symbol)))
    return 0.0;
  auto it = std::lower_bound(terms.begin(), terms.end(), symbol,
                             [](const auto& term, Symbol s) { return term.first < s; });
  return it != terms.end() && it->first == symbol ? it->second : 0.0;
}

void SimplexSolver::Row::insert(Symbol symbol, double coefficient) {
  auto it = std::lower_bound(terms.begin(), terms.end(), symbol,
                             [](const auto& term, Symbol s) { return term.first < s; });
  if (it != terms.end() && it->first == symbol) {
    it->second += coefficient;
    if (nearZero(it->second))
      terms.erase(it);
  } else if (!nearZero(coefficient)) {
    terms.insert(it, {symbol, coefficient});
    mask |= bit(symbol);
  }
}

void SimplexSolver::Row::insertRow(const Row& other, double coefficient) {
  constant += other.constant * coefficient;
  if (other.terms.size() <= 4) {
    for (const auto& term : other.terms)
      insert(term.first, term.second * coefficient);
    return;
  }
  // Merge two sorted term lists.
  std::vector<std::pair<Symbol, double>> merged;
  merged.reserve(terms.size() + other.terms.size());
  auto a = terms.begin();
  auto b = other.terms.begin();
  while (a != terms.end() || b != other.terms.end()) {
    if (b == other.terms.end() || (a != terms.end() && a->first < b->first)) {
      merged.push_back(*a++);
    } else if (a == terms.end() || b->first < a->first) {
      merged.emplace_back(b->first, b->second * coefficient);
      ++b;
    } else {
      const double sum = a->second + b->second * coefficient;
      if (!nearZero(sum))
        merged.emplace_back(a->first, sum);
      ++a;
      ++b;
    }
  }
  terms.swap(merged);
  mask |= other.mask;
}

void SimplexSolver::Row::remove(Symbol symbol) {
  auto it = std::lower_bound(terms.begin(), terms.end(), symbol,
                             [](const auto& term, Symbol s) { return term.first < s; });
  if (it != terms.end() && it->first == symbol)
    terms.erase(it);
}

void SimplexSolver::Row::negate() {
  constant = -constant;
  for (auto& term : terms)
    term.second = -term.second;
}

// Rewrites `0 = row` as `symbol = row'`, dropping the symbol from the terms.
void SimplexSolver::Row::solveFor(Symbol symbol) {
  const double factor = -1.0 / coefficientFor(symbol);
  remove(symbol);
  constant *= factor;
  for (auto& term : terms)
    term.second *= factor;
}

// Rewrites `lhs = row` (row holding rhs) as `rhs = row'`.
void SimplexSolver::Row::solveFor(Symbol lhs, Symbol rhs) {
  insert(lhs, -1.0);
  solveFor(rhs);
}

bool SimplexSolver::Row::substitute(Symbol symbol, const Row& row) {
  const double coefficient = coefficientFor(symbol);
  if (coefficient == 0.0)
    return false;
  remove(symbol);
  insertRow(row, coefficient);
  return true;
}

// --- Public operations --------------------------------------------------------

SimplexSolver::Variable SimplexSolver::newVariable() {
  variableSymbols_.push_back(newSymbol(SymbolType::External));
  values_.push_back(0.0);
  return Variable(variableSymbols_.size() - 1);
}

SimplexSolver::Symbol SimplexSolver::newSymbol(SymbolType type) {
  types_.push_back(type);
  inTableau_.push_back(false);
  return Symbol(types_.size() - 1);
}

std::optional<SimplexSolver::ConstraintId>
SimplexSolver::addConstraint(const std::vector<Term>& terms, double constant, Relation relation,
                             double weight) {
  Constraint constraint{terms, constant, relation, weight, {}};
  if (!install(constraint))
    return std::nullopt;
  const ConstraintId id = nextConstraint_++;
  constraints_.emplace(id, std::move(constraint));
  return id;
}

bool SimplexSolver::hasConstraint(ConstraintId id) const { return constraints_.count(id) != 0; }

bool SimplexSolver::install(Constraint& constraint) {
  Row row = createRow(constraint.terms, constraint.constant, constraint.relation, constraint.weight,
                      constraint.tag);
  Symbol subject = chooseSubject(row, constraint.tag);
  if (subject == invalid && allDummies(row)) {
    if (!nearZero(row.constant))
      return false; // a required equality that contradicts the others
    subject = constraint.tag.marker;
  }
  if (subject == invalid) {
    if (!addWithArtificialVariable(row)) {
      rebuild(); // restore the tableau of the constraints already accepted
      return false;
    }
  } else {
    row.solveFor(subject);
    substitute(subject, row);
    markInTableau(row);
    rows_.emplace(subject, std::move(row));
  }
  if (!optimize(objective_))
    KR_FATAL(QStringLiteral("layout solver: the objective is unbounded"));
  return true;
}

void SimplexSolver::removeConstraint(ConstraintId id) {
  auto it = constraints_.find(id);
  if (it == constraints_.end())
    return;
  const Constraint constraint = std::move(it->second);
  constraints_.erase(it);
  const Tag& tag = constraint.tag;
  if (constraint.weight < required) {
    if (types_[tag.marker] == SymbolType::Error)
      removeMarkerEffects(tag.marker, constraint.weight);
    if (tag.other != invalid && types_[tag.other] == SymbolType::Error)
      removeMarkerEffects(tag.other, constraint.weight);
  }
  if (rows_.erase(tag.marker) == 0) {
    const Symbol leaving = markerLeavingSymbol(tag.marker);
    KR_ASSERT(leaving != invalid, QStringLiteral("layout solver: constraint marker not found"));
    Row row = std::move(rows_.at(leaving));
    rows_.erase(leaving);
    row.solveFor(leaving, tag.marker);
    markInTableau(row);          // its symbols enter the rows that held the marker
    substitute(tag.marker, row); // the marker's row is the constraint itself: dropped
  }
  optimize(objective_);
}

void SimplexSolver::addEditVariable(Variable variable, double weight) {
  if (edits_.count(variable))
    return;
  const auto id =
      addConstraint({{variable, 1.0}}, 0.0, Relation::Equal, std::min(weight, required / 10));
  edits_.emplace(variable, Edit{*id, 0.0});
}

void SimplexSolver::removeEditVariable(Variable variable) {
  auto it = edits_.find(variable);
  if (it == edits_.end())
    return;
  removeConstraint(it->second.constraint);
  edits_.erase(it);
}

bool SimplexSolver::hasEditVariable(Variable variable) const { return edits_.count(variable) != 0; }

void SimplexSolver::suggestValue(Variable variable, double value) {
  auto it = edits_.find(variable);
  if (it == edits_.end())
    return;
  Edit& edit = it->second;
  const double delta = value - edit.value;
  edit.value = value;
  Constraint& constraint = constraints_.at(edit.constraint);
  constraint.constant = -value; // kept for a rebuild
  const Tag& tag = constraint.tag;
  if (auto row = rows_.find(tag.marker); row != rows_.end()) {
    row->second.constant -= delta;
    if (row->second.constant < 0.0)
      infeasible_.push_back(tag.marker);
  } else if (auto other = rows_.find(tag.other); other != rows_.end()) {
    other->second.constant += delta;
    if (other->second.constant < 0.0)
      infeasible_.push_back(tag.other);
  } else {
    for (auto& [basic, r] : rows_) {
      const double coefficient = r.coefficientFor(tag.marker);
      if (coefficient == 0.0)
        continue;
      r.constant += delta * coefficient;
      if (r.constant < 0.0 && isRestricted(basic))
        infeasible_.push_back(basic);
    }
  }
  dualOptimize();
}

void SimplexSolver::updateVariables() {
  for (size_t v = 0; v < variableSymbols_.size(); ++v) {
    auto row = rows_.find(variableSymbols_[v]);
    values_[v] = row == rows_.end() ? 0.0 : row->second.constant;
  }
}

double SimplexSolver::value(Variable variable) const { return values_.at(size_t(variable)); }

// --- Tableau work ---------------------------------------------------------------

SimplexSolver::Row SimplexSolver::createRow(const std::vector<Term>& terms, double constant,
                                            Relation relation, double weight, Tag& tag) {
  Row row;
  row.constant = constant;
  for (const Term& term : terms) {
    if (nearZero(term.coefficient))
      continue;
    const Symbol symbol = variableSymbols_.at(size_t(term.variable));
    if (auto basic = rows_.find(symbol); basic != rows_.end())
      row.insertRow(basic->second, term.coefficient);
    else
      row.insert(symbol, term.coefficient);
  }
  if (relation != Relation::Equal) {
    // expression <= 0 becomes expression + slack = 0 with slack >= 0.
    const double sign = relation == Relation::LessOrEqual ? 1.0 : -1.0;
    tag.marker = newSymbol(SymbolType::Slack);
    row.insert(tag.marker, sign);
    if (weight < required) {
      tag.other = newSymbol(SymbolType::Error);
      row.insert(tag.other, -sign);
      objective_.insert(tag.other, weight);
      inTableau_[size_t(tag.other)] = true;
    }
  } else if (weight >= required) {
    tag.marker = newSymbol(SymbolType::Dummy);
    row.insert(tag.marker, 1.0);
  } else {
    tag.marker = newSymbol(SymbolType::Error);
    tag.other = newSymbol(SymbolType::Error);
    row.insert(tag.marker, -1.0);
    row.insert(tag.other, 1.0);
    objective_.insert(tag.marker, weight);
    objective_.insert(tag.other, weight);
    inTableau_[size_t(tag.marker)] = inTableau_[size_t(tag.other)] = true;
  }
  if (row.constant < 0.0)
    row.negate();
  return row;
}

SimplexSolver::Symbol SimplexSolver::chooseSubject(const Row& row, const Tag& tag) const {
  for (const auto& term : row.terms) {
    if (types_[term.first] == SymbolType::External)
      return term.first;
  }
  for (Symbol candidate : {tag.marker, tag.other}) {
    if (candidate == invalid)
      continue;
    const SymbolType type = types_[candidate];
    if ((type == SymbolType::Slack || type == SymbolType::Error) &&
        row.coefficientFor(candidate) < 0.0)
      return candidate;
  }
  return invalid;
}

bool SimplexSolver::allDummies(const Row& row) const {
  return std::all_of(row.terms.begin(), row.terms.end(),
                     [this](const auto& term) { return types_[term.first] == SymbolType::Dummy; });
}

bool SimplexSolver::addWithArtificialVariable(const Row& row) {
  const Symbol art = newSymbol(SymbolType::Slack);
  markInTableau(row);
  rows_.emplace(art, row);
  artificial_ = row;
  optimize(*artificial_);
  const bool feasible = nearZero(artificial_->constant);
  artificial_.reset();
  if (auto it = rows_.find(art); it != rows_.end()) {
    Row artRow = std::move(it->second);
    rows_.erase(it);
    if (artRow.terms.empty())
      return feasible;
    Symbol entering = invalid;
    for (const auto& term : artRow.terms) {
      if (types_[term.first] == SymbolType::Slack || types_[term.first] == SymbolType::Error) {
        entering = term.first;
        break;
      }
    }
    if (entering == invalid)
      return false;
    artRow.solveFor(art, entering);
    substitute(entering, artRow);
    markInTableau(artRow);
    rows_.emplace(entering, std::move(artRow));
  }
  for (auto& [basic, r] : rows_)
    r.remove(art);
  objective_.remove(art);
  return feasible;
}

void SimplexSolver::markInTableau(const Row& row) {
  for (const auto& term : row.terms)
    inTableau_[size_t(term.first)] = true;
}

void SimplexSolver::substitute(Symbol symbol, const Row& row) {
  // A symbol no row has ever held needs no substitution (a variable's first constraint).
  if (!inTableau_[size_t(symbol)])
    return;
  for (auto& [basic, r] : rows_) {
    if (r.substitute(symbol, row) && isRestricted(basic) && r.constant < 0.0)
      infeasible_.push_back(basic);
  }
  objective_.substitute(symbol, row);
  if (artificial_)
    artificial_->substitute(symbol, row);
}

void SimplexSolver::pivot(Symbol leaving, Symbol entering) {
  Row row = std::move(rows_.at(leaving));
  rows_.erase(leaving);
  row.solveFor(leaving, entering);
  substitute(entering, row);
  markInTableau(row);
  rows_.emplace(entering, std::move(row));
}

bool SimplexSolver::optimize(Row& objective) {
  for (int pivots = 0;; ++pivots) {
    // The steepest coefficient first; Bland's rule after many pivots rules out cycling.
    const Symbol entering = enteringSymbol(objective, pivots > 1000);
    if (entering == invalid)
      return true;
    const Symbol leaving = leavingSymbol(entering);
    if (leaving == invalid)
      return false;
    pivot(leaving, entering);
  }
}

void SimplexSolver::dualOptimize() {
  while (!infeasible_.empty()) {
    const Symbol leaving = infeasible_.back();
    infeasible_.pop_back();
    auto it = rows_.find(leaving);
    if (it == rows_.end() || nearZero(it->second.constant) || it->second.constant >= 0.0)
      continue;
    const Symbol entering = dualEnteringSymbol(it->second);
    KR_ASSERT(entering != invalid, QStringLiteral("layout solver: dual optimisation failed"));
    pivot(leaving, entering);
  }
}

SimplexSolver::Symbol SimplexSolver::enteringSymbol(const Row& objective, bool bland) const {
  Symbol entering = invalid;
  double steepest = -epsilon;
  for (const auto& term : objective.terms) {
    if (types_[term.first] == SymbolType::Dummy || term.second >= steepest)
      continue;
    if (bland)
      return term.first; // the lowest symbol with a negative coefficient
    steepest = term.second;
    entering = term.first;
  }
  return entering;
}

SimplexSolver::Symbol SimplexSolver::dualEnteringSymbol(const Row& row) const {
  Symbol entering = invalid;
  double best = std::numeric_limits<double>::max();
  for (const auto& term : row.terms) {
    if (term.second <= 0.0 || types_[term.first] == SymbolType::Dummy)
      continue;
    const double ratio = objective_.coefficientFor(term.first) / term.second;
    if (ratio < best) {
      best = ratio;
      entering = term.first;
    }
  }
  return entering;
}

SimplexSolver::Symbol SimplexSolver::leavingSymbol(Symbol entering) const {
  Symbol leaving = invalid;
  double best = std::numeric_limits<double>::max();
  for (const auto& [basic, row] : rows_) {
    if (!isRestricted(basic))
      continue;
    const double coefficient = row.coefficientFor(entering);
    if (coefficient >= 0.0)
      continue;
    const double ratio = -row.constant / coefficient;
    if (ratio < best || (ratio == best && basic < leaving)) {
      best = ratio;
      leaving = basic;
    }
  }
  return leaving;
}

SimplexSolver::Symbol SimplexSolver::markerLeavingSymbol(Symbol marker) const {
  const double dmax = std::numeric_limits<double>::max();
  double r1 = dmax, r2 = dmax;
  Symbol first = invalid, second = invalid, third = invalid;
  for (const auto& [basic, row] : rows_) {
    const double c = row.coefficientFor(marker);
    if (c == 0.0)
      continue;
    if (!isRestricted(basic)) {
      third = basic;
    } else if (c < 0.0) {
      const double r = -row.constant / c;
      if (r < r1) {
        r1 = r;
        first = basic;
      }
    } else {
      const double r = row.constant / c;
      if (r < r2) {
        r2 = r;
        second = basic;
      }
    }
  }
  return first != invalid ? first : second != invalid ? second : third;
}

void SimplexSolver::removeMarkerEffects(Symbol marker, double weight) {
  if (auto row = rows_.find(marker); row != rows_.end())
    objective_.insertRow(row->second, -weight);
  else
    objective_.insert(marker, -weight);
}

// Builds the tableau again from the accepted constraints, in the order of their
// ids, after an attempt to add a contradicting one has disturbed it.
void SimplexSolver::rebuild() {
  rows_.clear();
  objective_ = Row();
  std::fill(inTableau_.begin(), inTableau_.end(), false);
  artificial_.reset();
  infeasible_.clear();
  std::vector<ConstraintId> ids;
  ids.reserve(constraints_.size());
  for (const auto& [id, constraint] : constraints_)
    ids.push_back(id);
  std::sort(ids.begin(), ids.end());
  for (ConstraintId id : ids) {
    Constraint& constraint = constraints_.at(id);
    constraint.tag = Tag();
    const bool installed = install(constraint);
    KR_ASSERT(installed,
              QStringLiteral("layout solver: accepted constraints became contradictory"));
  }
}

} // namespace kr
