#pragma once

#include "kit/BrickType.h"
#include "platform/richtext/RichText.h"

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

  // Shows `text` in `label`: as it stands when it has no attributes, else as
  // markup in which each run keeps its own font (a family that is not
  // installed gives way to the system font of the same size), weight,
  // slant, lines and colour. Answers whether the label's text changed.
  static bool showRichText(QLabel* label, const RichText& text);
  // The markup of a text with attributes; links and attachments show as
  // their plain text.
  static QString markup(const RichText& text);
};

} // namespace kr
