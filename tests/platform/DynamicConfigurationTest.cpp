#include "platform/settings/DynamicConfiguration.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using kr::DynamicConfiguration;

class Loader {
public:
  virtual ~Loader() = default;
  virtual QString kind() const = 0;
};

class SimpleLoader : public Loader {
public:
  QString kind() const override { return QStringLiteral("simple"); }
};

class CompoundLoader : public Loader {
public:
  QString kind() const override { return QStringLiteral("compound"); }
};

class Unrelated {};

class DynamicConfigurationTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    previousFolder = DynamicConfiguration::propertyListFolder();
    DynamicConfiguration::setPropertyListFolder(dir.path());
    DynamicConfiguration::registerClass<Loader, SimpleLoader>(QStringLiteral("SimpleLoader"));
    DynamicConfiguration::registerClass<Loader, CompoundLoader>(QStringLiteral("CompoundLoader"));
    DynamicConfiguration::registerClass<Unrelated, Unrelated>(QStringLiteral("Unrelated"));
  }
  void TearDown() override { DynamicConfiguration::setPropertyListFolder(previousFolder); }

  void write(const QString& name, const QByteArray& content) {
    QFile file(dir.filePath(name + QStringLiteral(".json")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
  }

  QTemporaryDir dir;
  QString previousFolder;
};

TEST_F(DynamicConfigurationTest, CreatesTheClassNamedInTheConfigurationFile) {
  write(QStringLiteral("SoundManager"),
        R"({"SoundLibraryLoader": "CompoundLoader", "ContinuousSoundsLoader": "SimpleLoader"})");
  auto library = DynamicConfiguration::newObjectForKey<Loader>(QStringLiteral("SoundLibraryLoader"),
                                                               QStringLiteral("SoundManager"));
  auto continuous = DynamicConfiguration::newObjectForKey<Loader>(
      QStringLiteral("ContinuousSoundsLoader"), QStringLiteral("SoundManager"));
  ASSERT_TRUE(library && continuous);
  EXPECT_EQ(library->kind(), QStringLiteral("compound"));
  EXPECT_EQ(continuous->kind(), QStringLiteral("simple"));
  // Each call makes a new object.
  EXPECT_NE(DynamicConfiguration::newObjectWithClassName<Loader>(QStringLiteral("SimpleLoader")),
            DynamicConfiguration::newObjectWithClassName<Loader>(QStringLiteral("SimpleLoader")));
  EXPECT_TRUE(DynamicConfiguration::isRegistered(QStringLiteral("SimpleLoader")));
  EXPECT_FALSE(DynamicConfiguration::isRegistered(QStringLiteral("HushboxLoader")));
}

using DynamicConfigurationDeathTest = DynamicConfigurationTest;

TEST_F(DynamicConfigurationDeathTest, StopsWithAMessageForEachMissingPiece) {
  EXPECT_DEATH(
      DynamicConfiguration::newObjectWithClassName<Loader>(QStringLiteral("HushboxLoader")),
      "newObjectWithClassName: Could not find the class: HushboxLoader in the executable");
  EXPECT_DEATH(DynamicConfiguration::newObjectWithClassName<Loader>(QStringLiteral("Unrelated")),
               "newObjectWithClassName: The class: Unrelated is not of the kind asked for");
  EXPECT_DEATH(DynamicConfiguration::classNameForKey(QStringLiteral("SoundLibraryLoader"),
                                                     QStringLiteral("Missing")),
               "newObjectForKey: inPropertyList: Could not find plist: Missing in bundle");

  write(QStringLiteral("Empty"), "{}");
  write(QStringLiteral("Damaged"), "{\"SoundLibraryLoader\": ");
  write(QStringLiteral("SoundManager"), R"({"ContinuousSoundsLoader": "SimpleLoader"})");
  EXPECT_DEATH(DynamicConfiguration::classNameForKey(QStringLiteral("SoundLibraryLoader"),
                                                     QStringLiteral("Empty")),
               "newObjectForKey: inPropertyList: No keys found at: .*Empty.json");
  EXPECT_DEATH(DynamicConfiguration::classNameForKey(QStringLiteral("SoundLibraryLoader"),
                                                     QStringLiteral("Damaged")),
               "newObjectForKey: inPropertyList: No keys found at: .*Damaged.json");
  EXPECT_DEATH(DynamicConfiguration::classNameForKey(QStringLiteral("SoundLibraryLoader"),
                                                     QStringLiteral("SoundManager")),
               "newObjectForKey: inPropertyList: Key SoundLibraryLoader not found at: "
               ".*SoundManager.json");
}

} // namespace
