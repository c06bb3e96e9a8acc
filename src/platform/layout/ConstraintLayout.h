#pragma once

#include "platform/layout/LayoutConstraint.h"
#include "platform/layout/SimplexSolver.h"

#include <QHash>
#include <QLayout>
#include <QSet>

#include <memory>
#include <vector>

namespace kr {

// Places the direct children of one container widget by layout constraints,
// solved incrementally. Constraints may relate a child to the container or to a
// sibling. A child's sizeHint (or the length its minimum and maximum fix) is its intrinsic size,
// held with its content hugging and compression-resistance priorities; a container's own sizeHint
// is its fitting size (as small as its constraints allow), so nested containers size themselves to
// their content. A required constraint that contradicts the others is left out and reported once on
// the console.
class ConstraintLayout : public QLayout {
  Q_OBJECT

public:
  explicit ConstraintLayout(QWidget* container);
  ~ConstraintLayout() override;

  // The container's constraint layout, made on first use.
  static ConstraintLayout* of(QWidget* container);
  // Makes `child` a child of `container`, managed by its constraint layout.
  static void addSubview(QWidget* container, QWidget* child);
  // Lays out `root` and every container below it now, top down.
  static void layoutSubtreeIfNeeded(QWidget* root);

  void addConstraint(const LayoutConstraint& constraint);
  void addConstraints(const LayoutConstraints& constraints);
  void removeConstraint(const LayoutConstraint& constraint);
  void removeConstraints(const LayoutConstraints& constraints);
  const LayoutConstraints& constraints() const { return constraints_; }

  static void setContentHuggingPriority(QWidget* view, Qt::Orientation orientation, float priority);
  static float contentHuggingPriority(const QWidget* view, Qt::Orientation orientation);
  static void setContentCompressionResistancePriority(QWidget* view, Qt::Orientation orientation,
                                                      float priority);
  static float contentCompressionResistancePriority(const QWidget* view,
                                                    Qt::Orientation orientation);

  // The size a child asks for: its sizeHint, except along an axis where its
  // minimum and maximum fix its length (setFixedSize, setFixedWidth).
  static QSize intrinsicSize(const QWidget* widget);

  // Forgets the solver; the next layout pass builds it again from the constraints.
  void discardSolver();

  void addItem(QLayoutItem* item) override;
  QLayoutItem* itemAt(int index) const override;
  QLayoutItem* takeAt(int index) override;
  int count() const override;
  QSize sizeHint() const override;
  QSize minimumSize() const override;
  void setGeometry(const QRect& rect) override;
  void invalidate() override;
  Qt::Orientations expandingDirections() const override;

private:
  struct Item {
    QWidget* widget = nullptr;
    SimplexSolver::Variable x = 0, y = 0, width = 0, height = 0;
    QSize hint = QSize(-2, -2); // not yet read
    std::vector<SimplexSolver::ConstraintId> intrinsic;
  };
  struct Expression {
    std::vector<SimplexSolver::Term> terms;
    double constant = 0.0;
    bool valid = true;
  };

  QWidget* container() const { return parentWidget(); }
  void ensureSolver() const;
  void editContainerSize() const;
  Item* itemFor(QWidget* widget) const;
  Expression expressionFor(QWidget* view, LayoutAttribute attribute) const;
  void install(const LayoutConstraint& constraint) const;
  void refreshIntrinsicSizes() const;
  void reportConflict(const LayoutConstraint& constraint) const;
  void forgetWidget(QWidget* widget);
  void adopt(QWidget* view);

  QList<QLayoutItem*> items_;
  LayoutConstraints constraints_;
  mutable std::unique_ptr<SimplexSolver> solver_;
  mutable std::vector<Item> solverItems_;
  mutable QHash<const QWidget*, size_t> itemIndex_;
  mutable SimplexSolver::Variable containerWidth_ = 0, containerHeight_ = 0;
  mutable QHash<quint64, SimplexSolver::ConstraintId> installed_;
  mutable QSet<quint64> reported_;
  mutable bool hintsStale_ = true;
  mutable bool fittingValid_ = false;
  mutable QSize fitting_;
  mutable QSize lastSize_ = QSize(0, 0);
};

} // namespace kr
