#include "platform/settings/DefaultsBinding.h"
#include "platform/settings/UserDefaults.h"

#include <QCheckBox>
#include <QSlider>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(DefaultsBindingTest, CheckBoxAndKeyStayInStepBothWays) {
  QTemporaryDir dir;
  kr::UserDefaults defaults(dir.filePath(QStringLiteral("s.conf")));
  defaults.registerDefault(QStringLiteral("hideTags"), true);
  QCheckBox box;
  kr::DefaultsBinding::bind(&box, "checked", QStringLiteral("hideTags"), {}, &defaults);
  EXPECT_TRUE(box.isChecked());
  box.setChecked(false); // as a click would
  EXPECT_FALSE(defaults.boolValue(QStringLiteral("hideTags")));
  EXPECT_TRUE(defaults.hasStoredValue(QStringLiteral("hideTags")));
  defaults.setValue(QStringLiteral("hideTags"), true); // written elsewhere
  EXPECT_TRUE(box.isChecked());
}

TEST(DefaultsBindingTest, SliderShowsMinutesAndStoresSeconds) {
  QTemporaryDir dir;
  kr::UserDefaults defaults(dir.filePath(QStringLiteral("s.conf")));
  defaults.registerDefault(QStringLiteral("durationInSeconds"), 1500);
  QSlider slider;
  slider.setRange(2, 60);
  auto* binding = kr::DefaultsBinding::bind(&slider, "value", QStringLiteral("durationInSeconds"),
                                            kr::transformers::secondsToMinutesInteger(), &defaults);
  EXPECT_EQ(slider.value(), 25);
  slider.setValue(30);
  EXPECT_EQ(defaults.integer(QStringLiteral("durationInSeconds")), 1800);
  defaults.setValue(QStringLiteral("durationInSeconds"), 600);
  EXPECT_EQ(slider.value(), 10);
  binding->unbind();
  defaults.setValue(QStringLiteral("durationInSeconds"), 1200);
  EXPECT_EQ(slider.value(), 10);
}

TEST(DefaultsBindingTest, ForwardOnlyTransformerNeverWritesBack) {
  QTemporaryDir dir;
  kr::UserDefaults defaults(dir.filePath(QStringLiteral("s.conf")));
  defaults.registerDefault(QStringLiteral("app"),
                           QStringLiteral("/usr/share/applications/x.desktop"));
  QCheckBox label; // any object with a text property and a notify signal would do
  kr::DefaultsBinding::bind(&label, "text", QStringLiteral("app"),
                            kr::transformers::pathToAppName(), &defaults);
  EXPECT_EQ(label.text(), QStringLiteral("x"));
  EXPECT_FALSE(defaults.hasStoredValue(QStringLiteral("app")));
}

} // namespace
