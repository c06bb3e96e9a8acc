#pragma once

#include "kit/BrickType.h"

#include <QLineEdit>

namespace kr {

// A single-line text field that takes skins and the small size like every
// brick; the base of the kit's text fields.
class TextField : public QLineEdit, public BrickType {
  Q_OBJECT

public:
  explicit TextField(QWidget* parent = nullptr);

  // Takes the text colour of the skin's label palette, when it has one.
  void apply(const ControlSkin& skin) override;
  // The small control size with the small system font.
  void small() override;

protected:
  // A field without a frame draws its own focus mark.
  void paintEvent(QPaintEvent* event) override;
};

} // namespace kr
