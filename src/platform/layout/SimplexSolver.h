#pragma once

#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

namespace kr {

// An incremental linear-constraint solver in the Cassowary manner: a simplex
// tableau kept in solved form, required constraints that must hold and weighted
// optional ones whose errors are minimised, and edit variables whose suggested
// values are re-solved with the dual simplex method.
class SimplexSolver {
public:
  using Variable = int;
  using ConstraintId = int;

  enum class Relation { LessOrEqual, Equal, GreaterOrEqual };

  struct Term {
    Variable variable;
    double coefficient;
  };

  // A weight at or above `required` makes a constraint required.
  static constexpr double required = 1.0e9;

  Variable newVariable();

  // Adds `sum(terms) + constant <relation> 0`. Answers no value when a required
  // constraint cannot be satisfied together with those already present; the
  // solver is then unchanged.
  std::optional<ConstraintId> addConstraint(const std::vector<Term>& terms, double constant,
                                            Relation relation, double weight);
  void removeConstraint(ConstraintId id);
  bool hasConstraint(ConstraintId id) const;

  // An edit variable is held at its suggested value with the given (optional)
  // weight; suggesting a new value re-solves incrementally.
  void addEditVariable(Variable variable, double weight);
  void removeEditVariable(Variable variable);
  bool hasEditVariable(Variable variable) const;
  void suggestValue(Variable variable, double value);

  // Copies the solution into the variables' values.
  void updateVariables();
  double value(Variable variable) const;

  int constraintCount() const { return int(constraints_.size()); }

private:
  enum class SymbolType { External, Slack, Error, Dummy };
  using Symbol = int;
  static constexpr Symbol invalid = -1;

  // A row of the tableau: constant + sum(coefficient * symbol), terms sorted by symbol.
  struct Row {
    double constant = 0.0;
    std::vector<std::pair<Symbol, double>> terms;
    // One bit per symbol modulo 64: a clear bit proves the symbol absent.
    unsigned long long mask = 0;
    static unsigned long long bit(Symbol s) { return 1ull << (unsigned(s) & 63u); }

    double coefficientFor(Symbol symbol) const;
    void insert(Symbol symbol, double coefficient);
    void insertRow(const Row& other, double coefficient);
    void remove(Symbol symbol);
    void negate();
    void solveFor(Symbol symbol);
    void solveFor(Symbol lhs, Symbol rhs);
    bool substitute(Symbol symbol, const Row& row);
  };

  struct Tag {
    Symbol marker = invalid;
    Symbol other = invalid;
  };

  struct Constraint {
    std::vector<Term> terms;
    double constant = 0.0;
    Relation relation = Relation::Equal;
    double weight = 0.0;
    Tag tag;
  };

  struct Edit {
    ConstraintId constraint;
    double value;
  };

  Symbol newSymbol(SymbolType type);
  bool install(Constraint& constraint);
  void rebuild();
  Row createRow(const std::vector<Term>& terms, double constant, Relation relation, double weight,
                Tag& tag);
  Symbol chooseSubject(const Row& row, const Tag& tag) const;
  bool allDummies(const Row& row) const;
  bool addWithArtificialVariable(const Row& row);
  void substitute(Symbol symbol, const Row& row);
  void markInTableau(const Row& row);
  bool optimize(Row& objective);
  void dualOptimize();
  Symbol enteringSymbol(const Row& objective, bool bland) const;
  Symbol dualEnteringSymbol(const Row& row) const;
  Symbol leavingSymbol(Symbol entering) const;
  Symbol markerLeavingSymbol(Symbol marker) const;
  void removeMarkerEffects(Symbol marker, double weight);
  void pivot(Symbol leaving, Symbol entering);
  bool isRestricted(Symbol s) const { return types_[s] != SymbolType::External; }

  std::vector<SymbolType> types_;
  std::vector<bool> inTableau_; // whether any row has held the symbol
  std::vector<Symbol> variableSymbols_;
  std::vector<double> values_;
  std::unordered_map<Symbol, Row> rows_;
  std::unordered_map<ConstraintId, Constraint> constraints_;
  std::unordered_map<Variable, Edit> edits_;
  std::vector<Symbol> infeasible_;
  Row objective_;
  std::optional<Row> artificial_;
  ConstraintId nextConstraint_ = 1;
};

} // namespace kr
