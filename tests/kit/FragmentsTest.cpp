#include "kit/KVOResponder.h"
#include "kit/walls/BricksFactory.h"
#include "kit/walls/FragmentStackView.h"
#include "kit/walls/HideableFragmentWall.h"
#include "platform/layout/ConstraintLayout.h"
#include "platform/settings/UserDefaults.h"

#include "support/FreshDefaults.h"
#include "support/TestEnvironment.h"

#include <QLabel>

#include <gtest/gtest.h>

using namespace kr;

namespace {

UserDefaults& defaults() { return UserDefaults::standard(); }

class FragmentsTest : public ::testing::Test {
protected:
  void SetUp() override { kr::test::freshStandardDefaults(); }
  void TearDown() override { kr::test::freshStandardDefaults(); }

  // A fragment with its own keys and expression, added to the stack and installed.
  HideableFragmentWall* install(const QStringList& keys, std::vector<std::optional<bool>> initial,
                                HideableFragmentWall::Expression expression) {
    auto* fragment = new HideableFragmentWall();
    fragment->storageKeys = keys;
    fragment->initialValues = std::move(initial);
    fragment->shouldHideExpression = std::move(expression);
    stack.addArrangedSubview(fragment);
    fragment->install(&stack);
    return fragment;
  }

  bool shown(QWidget* fragment) const { return !stack.isDetached(fragment); }

  FragmentStackView stack;
};

} // namespace

TEST_F(FragmentsTest, ResponderCallsOncePerChangeAndEndsWithItsOwner) {
  int first = 0;
  int second = 0;
  QString seenKey;
  auto one = std::make_unique<KVOResponder>(QStringLiteral("k"), &defaults(),
                                            [&](UserDefaults* object, const QString& key) {
                                              EXPECT_EQ(object, &defaults());
                                              seenKey = key;
                                              ++first;
                                            });
  KVOResponder two(QStringLiteral("k"), &defaults(),
                   [&](UserDefaults*, const QString&) { ++second; });
  defaults().setValue(QStringLiteral("k"), true);
  defaults().setValue(QStringLiteral("k"), true); // no change, no call
  defaults().setValue(QStringLiteral("other"), 3);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 1);
  EXPECT_EQ(seenKey, QStringLiteral("k"));
  EXPECT_TRUE(one->isObserving());

  one.reset();
  defaults().setValue(QStringLiteral("k"), false);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 2);
}

TEST_F(FragmentsTest, OneKeyHidesAtInstallAndFollowsLaterChanges) {
  auto* fragment = new HideableFragmentWall(QStringLiteral("hideNotes"), true);
  stack.addArrangedSubview(fragment);
  EXPECT_EQ(stack.visibilityPriority(fragment), 1000.0f);
  fragment->install(&stack);
  EXPECT_TRUE(defaults().registeredValue(QStringLiteral("hideNotes")).toBool());
  EXPECT_FALSE(shown(fragment));
  EXPECT_TRUE(stack.views().isEmpty());
  defaults().setValue(QStringLiteral("hideNotes"), false);
  EXPECT_TRUE(shown(fragment));
  EXPECT_EQ(stack.visibilityPriority(fragment), 900.0f);
  defaults().setValue(QStringLiteral("hideNotes"), true);
  EXPECT_FALSE(shown(fragment));
  defaults().remove(QStringLiteral("hideNotes")); // back to the registered true
  EXPECT_FALSE(shown(fragment));

  auto* visible = new HideableFragmentWall(QStringLiteral("hideTags"), false);
  stack.addArrangedSubview(visible);
  visible->install(&stack);
  EXPECT_EQ(stack.visibilityPriority(visible), 1000.0f);
  EXPECT_TRUE(defaults().registeredValue(QStringLiteral("hideTags")).isValid());
  EXPECT_FALSE(defaults().boolValue(QStringLiteral("hideTags")));
}

TEST_F(FragmentsTest, AStoredFalseWinsOverARegisteredTrue) {
  defaults().setValue(QStringLiteral("hideRating"), false);
  auto* fragment = install({QStringLiteral("hideRating")}, {true}, &HideableFragmentWall::And);
  EXPECT_TRUE(shown(fragment));
}

TEST_F(FragmentsTest, AndHidesWhileEveryKeyIsTrue) {
  defaults().setValue(QStringLiteral("a"), true); // set before install
  auto* fragment = install({QStringLiteral("a"), QStringLiteral("b")}, {std::nullopt, false},
                           &HideableFragmentWall::And);
  EXPECT_FALSE(defaults().registeredValue(QStringLiteral("a")).isValid()); // nothing given
  EXPECT_TRUE(shown(fragment));
  defaults().setValue(QStringLiteral("b"), true);
  EXPECT_FALSE(shown(fragment));
  defaults().setValue(QStringLiteral("a"), false);
  EXPECT_TRUE(shown(fragment));
  EXPECT_FALSE(shown(install({}, {}, &HideableFragmentWall::And)));
}

TEST_F(FragmentsTest, OrHidesWhileAnyKeyIsTrue) {
  auto* fragment =
      install({QStringLiteral("a"), QStringLiteral("b")}, {false, true}, &HideableFragmentWall::Or);
  EXPECT_FALSE(shown(fragment)); // b registered true
  defaults().setValue(QStringLiteral("b"), false);
  EXPECT_TRUE(shown(fragment));
  defaults().setValue(QStringLiteral("a"), true);
  EXPECT_FALSE(shown(fragment));
  EXPECT_TRUE(shown(install({}, {}, &HideableFragmentWall::Or)));
}

TEST_F(FragmentsTest, OrNotHidesWhenTheFirstIsTrueOrTheSecondFalse) {
  auto* fragment = install({QStringLiteral("a"), QStringLiteral("b")}, {false, false},
                           &HideableFragmentWall::OrNot);
  EXPECT_FALSE(shown(fragment)); // a false, b false
  defaults().setValue(QStringLiteral("b"), true);
  EXPECT_TRUE(shown(fragment)); // a false, b true
  defaults().setValue(QStringLiteral("a"), true);
  EXPECT_FALSE(shown(fragment)); // a true, whatever b
  defaults().setValue(QStringLiteral("b"), false);
  EXPECT_FALSE(shown(fragment));
  defaults().setValue(QStringLiteral("c"), true);
  EXPECT_TRUE(shown(install({QStringLiteral("c")}, {true}, &HideableFragmentWall::OrNot)));
  EXPECT_TRUE(shown(install({QStringLiteral("c"), QStringLiteral("c"), QStringLiteral("c")},
                            {true, true, true}, &HideableFragmentWall::OrNot)));
}

TEST_F(FragmentsTest, FragmentsOnOneKeyChangeTogetherAndKeepTheirPlace) {
  auto* first = new HideableFragmentWall(QStringLiteral("shared"), false);
  auto* plain = new FragmentWall();
  auto* second = new HideableFragmentWall(QStringLiteral("shared"), false);
  for (FragmentWall* fragment :
       {static_cast<FragmentWall*>(first), plain, static_cast<FragmentWall*>(second)})
    stack.addFragment(fragment);
  EXPECT_EQ(stack.views(), (QList<QWidget*>{first, plain, second}));
  defaults().setValue(QStringLiteral("shared"), true);
  EXPECT_EQ(stack.views(), QList<QWidget*>{plain});
  EXPECT_TRUE(first->isHidden());
  defaults().setValue(QStringLiteral("shared"), false);
  EXPECT_EQ(stack.views(), (QList<QWidget*>{first, plain, second}));
}

TEST_F(FragmentsTest, ObserversGoWithTheirFragment) {
  auto* fragment = new HideableFragmentWall(QStringLiteral("gone"), false);
  stack.addFragment(fragment);
  EXPECT_EQ(fragment->observerCount(), 1);
  // A second, live fragment on the key shows the change still arrives.
  auto* kept = new HideableFragmentWall(QStringLiteral("gone"), false);
  stack.addFragment(kept);
  delete fragment;
  defaults().setValue(QStringLiteral("gone"), true); // reaches nothing that is gone
  EXPECT_TRUE(stack.isDetached(kept));
  EXPECT_TRUE(stack.views().isEmpty());
}

TEST_F(FragmentsTest, UpdateBeforeInstallAndMissingInitialValuesAreProgrammingErrors) {
  EXPECT_DEATH(
      {
        HideableFragmentWall fragment(QStringLiteral("k"), false);
        fragment.update();
      },
      "before installed");
  EXPECT_DEATH(
      install({QStringLiteral("a"), QStringLiteral("b")}, {true}, &HideableFragmentWall::Or),
      "fewer initial values");
}

TEST_F(FragmentsTest, EmbeddingWithOffsetInsetsByTheTopLevelSpacing) {
  auto* label = new QLabel(QStringLiteral("content"));
  HideableFragmentWall* fragment =
      HideableFragmentWall::embedViewInHideableFragment(label, QStringLiteral("e"), false, true);
  EXPECT_EQ(fragment->storageKeys, QStringList{QStringLiteral("e")});
  EXPECT_EQ(label->parentWidget(), fragment);
  const LayoutConstraints constraints = ConstraintLayout::of(fragment)->constraints();
  ASSERT_EQ(constraints.size(), 4);
  EXPECT_EQ(constraints[0].firstAttribute(), LayoutAttribute::Top);
  EXPECT_EQ(constraints[0].constant(), 8.0);
  EXPECT_EQ(constraints[1].constant(), -8.0);
  EXPECT_EQ(constraints[2].constant(), 8.0);
  EXPECT_EQ(constraints[3].constant(), -8.0);

  auto* filled = new QLabel(QStringLiteral("filled"));
  HideableFragmentWall* plain = HideableFragmentWall::embedViewInHideableFragment(
      filled, {QStringLiteral("x"), QStringLiteral("y")}, {true, std::nullopt},
      &HideableFragmentWall::Or);
  stack.addFragment(plain);
  EXPECT_FALSE(shown(plain));
  for (const LayoutConstraint& c : ConstraintLayout::of(plain)->constraints())
    EXPECT_EQ(c.constant(), 0.0);
  delete fragment;
}
