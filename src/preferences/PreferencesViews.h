#pragma once

#include <QComboBox>
#include <QScrollArea>
#include <QStackedWidget>
#include <QStyledItemDelegate>

class QListWidget;
class QPushButton;

namespace kr {

// The grey panel of the preferences' boxes in the light appearance: filled
// grey 0.88, framed grey 0.75, with a grey 0.56 line along the bottom edge.
// In the dark appearance the platform draws.
void paintPreferencesPanel(QPainter& painter, const QRect& bounds);

// Lays out a pane that edits a list: the intro text above the list in its
// bordered frame, Add (and a second add button, where given) and Remove
// below; Remove is enabled while something is selected.
void layOutListPane(QWidget& pane, const QString& intro, QListWidget& list, QPushButton& add,
                    QPushButton& remove, QPushButton* addMore = nullptr);

// A stack of pages without tabs on the grey panel.
class PreferencesTablessTabView final : public QStackedWidget {
  Q_OBJECT

public:
  explicit PreferencesTablessTabView(QWidget* parent = nullptr);

protected:
  void paintEvent(QPaintEvent* event) override;
};

// A scroll view on the grey panel.
class PreferencesBorderedScrollView final : public QScrollArea {
  Q_OBJECT

public:
  explicit PreferencesBorderedScrollView(QWidget* parent = nullptr);

protected:
  void paintEvent(QPaintEvent* event) override;
};

// Draws a table's group rows as a thin line across the middle of the row.
class DividerCell final : public QStyledItemDelegate {
  Q_OBJECT

public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  // The strip the line fills: 4 in from each side, one high, at half height.
  static QRect dividerRect(const QRect& cell);
};

// A flat pop-up for the sound lists: white, framed, its title at the left and
// a small right-facing arrow at the right.
class PreferencesPanePullDownButton : public QComboBox {
  Q_OBJECT

public:
  explicit PreferencesPanePullDownButton(QWidget* parent = nullptr);
  virtual bool isBottom() const { return false; }
  QSize sizeHint() const override;

protected:
  void paintEvent(QPaintEvent* event) override;
};

class PreferencesPanePullDownBottomButton final : public PreferencesPanePullDownButton {
  Q_OBJECT

public:
  using PreferencesPanePullDownButton::PreferencesPanePullDownButton;
  bool isBottom() const override { return true; }
};

} // namespace kr
