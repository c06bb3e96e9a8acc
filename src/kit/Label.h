#pragma once

#include "kit/BrickType.h"

#include <QLabel>

namespace kr {

// A text that is shown, not edited: takes skins and the small size like the
// kit's text fields.
class Label : public QLabel, public BrickType {
  Q_OBJECT

public:
  explicit Label(QWidget* parent = nullptr);

  // Not editable, not selectable, one line, clear background, no border.
  static Label* standardLabel(const QString& title);

  void apply(const ControlSkin& skin) override;
  void small() override;
  QColor textColor() const;
};

} // namespace kr
