#pragma once

#include <QWidget>

namespace kr {

// A view that shows the main window's background artwork over its bounds.
class CustomBackgroundView : public QWidget {
  Q_OBJECT

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  friend class OlderViewRegistry;
  explicit CustomBackgroundView(QWidget* parent = nullptr);
};

} // namespace kr
