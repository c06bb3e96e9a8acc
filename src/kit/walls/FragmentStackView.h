#pragma once

#include <QColor>
#include <QHash>
#include <QList>
#include <QMargins>
#include <QPointer>
#include <QRectF>
#include <QWidget>

#include <functional>
#include <optional>

class QBoxLayout;

namespace kr {

class FragmentWall;

// A page's sections stacked in a row or column. Each arranged view has a
// visibility priority: 1000 (must hold) when added, 0 detaches it from the
// stack (it keeps its place in the arranged list and comes back there).
class FragmentStackView : public QWidget {
  Q_OBJECT

public:
  static constexpr float visibilityPriorityMustHold = 1000.0f;
  static constexpr float visibilityPriorityNotVisible = 0.0f;

  explicit FragmentStackView(Qt::Orientation orientation = Qt::Vertical, QWidget* parent = nullptr);
  ~FragmentStackView() override;

  std::function<void(const QRectF&)> backgroundDrawingFunc;
  std::optional<QColor> backgroundColor;
  bool inheritsFlipped = false;

  Qt::Orientation orientation() const { return orientation_; }
  void setOrientation(Qt::Orientation orientation);
  void setSpacing(double spacing);
  void setEdgeInsets(const QMargins& insets);
  // How arranged views sit across the stack (e.g. Qt::AlignLeft); 0 stretches them.
  void setAlignment(Qt::Alignment alignment);

  void addArrangedSubview(QWidget* view);
  const QList<QPointer<QWidget>>& arrangedSubviews() const { return arranged_; }
  // The arranged views that are not detached, in order.
  QList<QWidget*> views() const;
  bool isDetached(QWidget* view) const;

  float visibilityPriority(QWidget* view) const;
  void setVisibilityPriority(QWidget* view, float priority);

  // Adds the fragment as an arranged view and installs it.
  void addFragment(FragmentWall* fragment);
  void hideFragment(FragmentWall* fragment);
  void showFragment(FragmentWall* fragment);

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  void rebuild();

  Qt::Orientation orientation_;
  QBoxLayout* layout_;
  Qt::Alignment alignment_;
  QList<QPointer<QWidget>> arranged_;
  QHash<QWidget*, float> priorities_;
};

} // namespace kr
