#pragma once

#include "kit/walls/HideableFragmentWall.h"
#include "platform/layout/LayoutConstraint.h"

#include <QFont>
#include <QIcon>
#include <QPointer>

#include <optional>

namespace kr {

class FragmentStackView;
class Label;
class PullDownButtonBrick;
class PushButtonBrick;
class SmartMenuItem;

// The head of a page section: a bar with the section's title and a small
// "wheel" pull-down whose items switch sections on and off or toggle options,
// each tied to one boolean settings key. Hidden by its own keys, if any.
class LabelFragment : public HideableFragmentWall {
  Q_OBJECT

public:
  explicit LabelFragment(QWidget* parent = nullptr);

  // Never hidden.
  static LabelFragment* labelFragment(const QString& title);
  // Hidden while the key is true.
  static LabelFragment* labelFragment(const QString& title, const QString& storageKey,
                                      bool hiddenByDefault);
  static LabelFragment* labelFragment(const QString& title, const QStringList& storageKeys,
                                      std::vector<std::optional<bool>> initialValues,
                                      Expression shouldHideExpression);

  bool isFirstLabel = false;
  Label* label() const { return label_; }
  PullDownButtonBrick* wheelButton() const { return wheelButton_; }
  PushButtonBrick* alternativeUIButton() const { return alternativeUIButton_; }
  FragmentStackView* stackView() const { return stackView_; }
  void setStackView(FragmentStackView* stackView) { stackView_ = stackView; }
  const std::optional<LayoutConstraint>& wheelButtonWidthConstraint() const {
    return wheelButtonWidthConstraint_;
  }

  virtual QIcon wheelIcon() const;
  void unhideWheelButton();
  void hideWheelButton();

  // An item "Show " / "Hide " + title toggling the hidden flag under the key.
  SmartMenuItem* addVisibilityManagedOption(const QString& menuItemTitle,
                                            const QString& storageKey);
  void addSeparatorItem();
  // An item checked while the key is true; a given default is registered first.
  SmartMenuItem* addCheckedOption(const QString& menuItemTitle, const QString& storageKey,
                                  std::optional<bool> checkedByDefault);

  // The bar and the title, over `frame` (y up).
  void drawBar(const QRectF& frame);
  // The rectangle the title is drawn and clipped in.
  static QRectF textRect(const QRectF& frame);

protected:
  virtual void drawBarShape(const QRectF& frame);
  virtual QFont barFont() const;
  void setWheelIcon(const QIcon& icon);

private:
  static LabelFragment* make(const QString& title);
  void replaceWheelButtonWidth(double width);

  Label* label_ = nullptr;
  PullDownButtonBrick* wheelButton_ = nullptr;
  PushButtonBrick* alternativeUIButton_ = nullptr;
  QPointer<FragmentStackView> stackView_;
  std::optional<LayoutConstraint> wheelButtonWidthConstraint_;
};

} // namespace kr
