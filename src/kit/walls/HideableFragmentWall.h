#pragma once

#include "kit/walls/FragmentStackView.h"
#include "kit/walls/FragmentWall.h"

#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace kr {

class FragmentStackView;
class KVOResponder;

// A section hidden while an expression over boolean settings holds (a key's
// true value hides). Installing it registers the keys' initial values as
// their defaults, observes the keys and detaches it from its stack while the
// expression is true; it follows every later change of a key at once.
class HideableFragmentWall : public FragmentWall {
  Q_OBJECT

public:
  using Expression = std::function<bool(const QStringList& keys)>;

  // Every key true (reading stops at the first false); an empty list hides.
  static bool And(const QStringList& keys);
  // Some key true (reading stops at the first true); an empty list shows.
  static bool Or(const QStringList& keys);
  // Exactly two keys, the first true or the second false; any other list shows.
  static bool OrNot(const QStringList& keys);
  static bool NeverHide(const QStringList& keys);

  static constexpr float shownVisibilityPriority = 900.0f;

  explicit HideableFragmentWall(QWidget* parent = nullptr);
  HideableFragmentWall(const QString& storageKey, bool isHiddenByDefault,
                       QWidget* parent = nullptr);
  ~HideableFragmentWall() override;

  QStringList storageKeys;
  Expression shouldHideExpression = &HideableFragmentWall::NeverHide;
  std::vector<std::optional<bool>> initialValues;

  FragmentStackView* parentStackView() const { return parentStackView_; }
  int observerCount() const { return int(kvoResponders_.size()); }

  // One key hides the fragment while true; `initialValue` is its default.
  void configure(const QString& storageKey, bool initialValue);

  // A new fragment holding `view` (filling it, or 8 points inside each edge
  // with the top-level insets when `withOffset`).
  static HideableFragmentWall* embedViewInHideableFragment(QWidget* view, const QString& storageKey,
                                                           bool isHiddenByDefault, bool withOffset);
  static HideableFragmentWall*
  embedViewInHideableFragment(QWidget* view, const QStringList& storageKeys,
                              std::vector<std::optional<bool>> initialValues,
                              Expression shouldHideWhen);

  void install(FragmentStackView* parentStackView) override;
  // Re-evaluates the expression: detached when true, priority 900 when false.
  void update();

private:
  QPointer<FragmentStackView> parentStackView_;
  std::vector<std::unique_ptr<KVOResponder>> kvoResponders_;
};

} // namespace kr
