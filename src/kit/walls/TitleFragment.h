#pragma once

#include "kit/walls/LabelFragment.h"

namespace kr {

// The head of a page: its title on the title bar and the page's customise
// menu. Never hidden.
class TitleFragment : public LabelFragment {
  Q_OBJECT

public:
  explicit TitleFragment(QWidget* parent = nullptr);

  // Creates the title, adds it to the stack and installs it.
  static TitleFragment* titleFragment(const QString& title, FragmentStackView* addToStackView);

  QIcon wheelIcon() const override;

protected:
  void drawBarShape(const QRectF& frame) override;
  QFont barFont() const override;
};

} // namespace kr
