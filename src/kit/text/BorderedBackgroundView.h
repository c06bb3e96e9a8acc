#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

#include <memory>
#include <optional>

namespace kr {

class KVOResponder;
class UserDefaults;

// A background filled with the colour stored under `colorKey()` and framed
// with a one-point black line; it follows the setting while it lives. The
// objective editor sits on this class; the pads on the subclasses, which only
// name another key.
class BorderedBackgroundView : public QWidget {
  Q_OBJECT

public:
  explicit BorderedBackgroundView(QWidget* parent = nullptr);
  ~BorderedBackgroundView() override;

  // The view of the class whose `colorKey()` is `key`, awoken.
  static BorderedBackgroundView* createForColorKey(const QString& key, QWidget* parent = nullptr);

  virtual QString colorKey() const;

  std::optional<QColor> backgroundColor() const { return backgroundColor_; }
  void setBackgroundColor(std::optional<QColor> color);

  // Starts following `colorKey()` in the standard settings and reads the
  // colour; the creator calls it once the object is whole.
  void awakeFromNib();

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  void observeValueForKeyPath(UserDefaults* object, const QString& keyPath);
  void readColor();

  std::optional<QColor> backgroundColor_;
  std::unique_ptr<KVOResponder> observation_;
};

class NowPadBackgroundView : public BorderedBackgroundView {
  Q_OBJECT

public:
  using BorderedBackgroundView::BorderedBackgroundView;
  QString colorKey() const override;
};

class LaterPadBackgroundView : public BorderedBackgroundView {
  Q_OBJECT

public:
  using BorderedBackgroundView::BorderedBackgroundView;
  QString colorKey() const override;
};

class ScratchPadBackgroundView : public BorderedBackgroundView {
  Q_OBJECT

public:
  using BorderedBackgroundView::BorderedBackgroundView;
  QString colorKey() const override;
};

} // namespace kr
