#pragma once

#include "kit/BrickType.h"

#include <QList>
#include <QWidget>

#include <functional>

class QButtonGroup;
class QHBoxLayout;
class QToolButton;

namespace kr {

// A row of segments of which one is selected; each selection the user makes
// is reported with the index of the selected segment.
class SegmentedControlBrick : public QWidget, public BrickType {
  Q_OBJECT
  Q_PROPERTY(int selectedSegment READ selectedSegment WRITE setSelectedSegment NOTIFY
                 selectedSegmentChanged)

public:
  explicit SegmentedControlBrick(QWidget* parent = nullptr);

  std::function<void(int)> selectionChangedFunction;

  int segmentCount() const { return int(segments_.size()); }
  void setSegmentCount(int count);
  QString label(int segment) const;
  void setLabel(const QString& label, int segment);
  // -1 while nothing is selected.
  int selectedSegment() const;
  void setSelectedSegment(int segment);
  QToolButton* segment(int index) const { return segments_.value(index); }

  void small() override;
  void apply(const ControlSkin& skin) override;

Q_SIGNALS:
  void selectedSegmentChanged(int segment);

private:
  void selectionChangedCallBack(int segment);

  QHBoxLayout* row_;
  QButtonGroup* group_;
  QList<QToolButton*> segments_;
};

} // namespace kr
