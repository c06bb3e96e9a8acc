#include "platform/UserDefaults.h"
#include "platform/DefaultsStorageAPI.h"

#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using kr::UserDefaults;

namespace {

class UserDefaultsTest : public ::testing::Test {
protected:
  QTemporaryDir dir;
  QString path() const { return dir.filePath(QStringLiteral("settings.conf")); }
};

TEST_F(UserDefaultsTest, RegisteredValuesAreReadButNeverWritten) {
  {
    UserDefaults defaults(path());
    defaults.registerDefaults({{QStringLiteral("count"), 7},
                               {QStringLiteral("name"), QStringLiteral("pink_noise")},
                               {QStringLiteral("on"), true}});
    EXPECT_EQ(defaults.integer(QStringLiteral("count")), 7);
    EXPECT_EQ(defaults.string(QStringLiteral("name")), QStringLiteral("pink_noise"));
    EXPECT_TRUE(defaults.boolValue(QStringLiteral("on")));
    EXPECT_TRUE(defaults.defined(QStringLiteral("count")));
    EXPECT_FALSE(defaults.hasStoredValue(QStringLiteral("count")));
    EXPECT_FALSE(defaults.defined(QStringLiteral("neverSeen")));
    defaults.setValue(QStringLiteral("other"), 1);
  }
  QFile file(path());
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray content = file.readAll();
  EXPECT_TRUE(content.contains("other"));
  EXPECT_FALSE(content.contains("count"));
  EXPECT_FALSE(content.contains("pink_noise"));
}

TEST_F(UserDefaultsTest, StoredValuesSurviveAndKeepTheirRegisteredType) {
  {
    UserDefaults defaults(path());
    defaults.setValue(QStringLiteral("duration"), 1500);
    defaults.setValue(QStringLiteral("alpha"), 0.6);
    defaults.setValue(QStringLiteral("hidden"), true);
    defaults.setValue(QStringLiteral("tags"), QStringLiteral("12"));
    defaults.setValue(QStringLiteral("list"),
                      QVariantList{QVariantMap{{QStringLiteral("path"), QStringLiteral("/a")}}});
  }
  UserDefaults reopened(path());
  reopened.registerDefault(QStringLiteral("tags"), QString());
  EXPECT_NE(reopened.object(QStringLiteral("duration")).metaType().id(), QMetaType::QString);
  EXPECT_EQ(reopened.integer(QStringLiteral("duration")), 1500);
  EXPECT_DOUBLE_EQ(reopened.doubleValue(QStringLiteral("alpha")), 0.6);
  EXPECT_EQ(reopened.object(QStringLiteral("hidden")).metaType().id(), QMetaType::Bool);
  // A text setting keeps being text even when it looks like a number.
  EXPECT_EQ(reopened.object(QStringLiteral("tags")).metaType().id(), QMetaType::QString);
  const QVariantList list = reopened.array(QStringLiteral("list"));
  ASSERT_EQ(list.size(), 1);
  EXPECT_EQ(list.first().toMap().value(QStringLiteral("path")).toString(), QStringLiteral("/a"));
}

TEST_F(UserDefaultsTest, TypedReadsCoerce) {
  UserDefaults defaults(path());
  defaults.setValue(QStringLiteral("d"), 2.5);
  defaults.setValue(QStringLiteral("neg"), -2.7);
  defaults.setValue(QStringLiteral("yes"), QStringLiteral("YES"));
  defaults.setValue(QStringLiteral("numText"), QStringLiteral("42"));
  defaults.setValue(QStringLiteral("word"), QStringLiteral("abc"));
  EXPECT_EQ(defaults.integer(QStringLiteral("d")), 2);
  EXPECT_EQ(defaults.integer(QStringLiteral("neg")), -2);
  EXPECT_TRUE(defaults.boolValue(QStringLiteral("d")));
  EXPECT_TRUE(defaults.boolValue(QStringLiteral("yes")));
  EXPECT_EQ(defaults.integer(QStringLiteral("numText")), 42);
  EXPECT_EQ(defaults.integer(QStringLiteral("word")), 0);
  EXPECT_FALSE(defaults.boolValue(QStringLiteral("word")));
  EXPECT_EQ(defaults.string(QStringLiteral("d")), QStringLiteral("2.5"));
  // Unset keys read as nothing of each type.
  EXPECT_EQ(defaults.integer(QStringLiteral("unset")), 0);
  EXPECT_FALSE(defaults.boolValue(QStringLiteral("unset")));
  EXPECT_EQ(defaults.string(QStringLiteral("unset")), QString());
  EXPECT_EQ(defaults.doubleValue(QStringLiteral("unset")), 0.0);
  EXPECT_TRUE(defaults.array(QStringLiteral("unset")).isEmpty());
}

TEST_F(UserDefaultsTest, ChangedFiresOnlyWhenWhatAKeyReadsChanges) {
  UserDefaults defaults(path());
  QSignalSpy spy(&defaults, &UserDefaults::changed);
  defaults.registerDefault(QStringLiteral("k"), 5);
  ASSERT_EQ(spy.count(), 1);
  defaults.setValue(QStringLiteral("k"), 5); // reads 5 already
  EXPECT_EQ(spy.count(), 1);
  defaults.setValue(QStringLiteral("k"), 6);
  EXPECT_EQ(spy.count(), 2);
  EXPECT_EQ(spy.last().first().toString(), QStringLiteral("k"));
  defaults.registerDefault(QStringLiteral("k"), 9); // hidden by the stored 6
  EXPECT_EQ(spy.count(), 2);
  defaults.remove(QStringLiteral("k")); // back to the registered 9
  EXPECT_EQ(spy.count(), 3);
  EXPECT_EQ(defaults.integer(QStringLiteral("k")), 9);
}

TEST_F(UserDefaultsTest, WritesThroughAnyTypedViewReachObservers) {
  UserDefaults& standard = UserDefaults::standard();
  QSignalSpy spy(&standard, &UserDefaults::changed);
  kr::StandardUserDefaultsStorage::shared().store(true, QStringLiteral("viaStorage"));
  kr::StandardUserDefaultsStorage::shared().store(qint64{3}, QStringLiteral("viaStorageInt"));
  ASSERT_EQ(spy.count(), 2);
  EXPECT_EQ(spy.at(0).first().toString(), QStringLiteral("viaStorage"));
  EXPECT_TRUE(standard.boolValue(QStringLiteral("viaStorage")));
  EXPECT_EQ(kr::StandardUserDefaultsStorage::shared().getInteger(QStringLiteral("viaStorageInt")),
            3);
  // The standard store lives in the temporary home, never in the real one.
  EXPECT_TRUE(standard.filePath().startsWith(kr::test::temporaryHome()));
}

TEST(DefaultsStorageTest, StandardStorageRegistersAndDefines) {
  auto& storage = kr::StandardUserDefaultsStorage::shared();
  EXPECT_FALSE(storage.defined(QStringLiteral("onlyRegistered")));
  storage.registerDefault(12, QStringLiteral("onlyRegistered"));
  EXPECT_TRUE(storage.defined(QStringLiteral("onlyRegistered")));
  EXPECT_EQ(storage.getInteger(QStringLiteral("onlyRegistered")), 12);
  storage.registerDefault(2.5, QStringLiteral("interval"));
  EXPECT_DOUBLE_EQ(storage.getTimeInterval(QStringLiteral("interval")), 2.5);
  // Registering never overwrites what the user stored.
  storage.store(qint64{4}, QStringLiteral("userSet"));
  storage.registerDefault(8, QStringLiteral("userSet"));
  EXPECT_EQ(storage.getInteger(QStringLiteral("userSet")), 4);
}

TEST(DefaultsStorageTest, TestStorageAnswersMinusOneForOtherTypes) {
  kr::TestDefaultsStorage storage;
  storage.store(true, QStringLiteral("flag"));
  storage.store(qint64{5}, QStringLiteral("count"));
  EXPECT_EQ(storage.getInteger(QStringLiteral("flag")), -1);
  EXPECT_EQ(storage.getInteger(QStringLiteral("count")), 5);
  EXPECT_EQ(storage.getTimeInterval(QStringLiteral("count")), -1.0);
  EXPECT_EQ(storage.getInteger(QStringLiteral("missing")), -1);
  EXPECT_TRUE(storage.defined(QStringLiteral("flag")));
  EXPECT_FALSE(storage.defined(QStringLiteral("missing")));
  EXPECT_TRUE(storage.getBoolean(QStringLiteral("flag")));
}

} // namespace

TEST_F(UserDefaultsTest, ChangesAreSeenAtOnceAndWrittenLaterInOneGoAwayFromTheCaller) {
  UserDefaults defaults(path());
  const QString pasted(5 * 1024 * 1024, QChar(u'o')); // a pasted 5 MB objective
  for (int i = 0; i < 20; ++i) {
    defaults.setValue(QStringLiteral("objective"), pasted + QString::number(i));
    defaults.setValue(QStringLiteral("count"), i);
  }
  defaults.setValue(QStringLiteral("gone"), 1);
  defaults.remove(QStringLiteral("gone"));
  // Every reader sees the changes at once; none of them has touched the file.
  EXPECT_EQ(defaults.string(QStringLiteral("objective")), pasted + QStringLiteral("19"));
  EXPECT_EQ(defaults.integer(QStringLiteral("count")), 19);
  EXPECT_FALSE(defaults.hasStoredValue(QStringLiteral("gone")));
  EXPECT_EQ(defaults.storedKeys(),
            (QStringList{QStringLiteral("count"), QStringLiteral("objective")}));
  EXPECT_FALSE(QFile::exists(path()));
  defaults.synchronize(); // asks for the write; does not wait for it

  ASSERT_TRUE(defaults.flush());
  UserDefaults reopened(path());
  EXPECT_EQ(reopened.integer(QStringLiteral("count")), 19);
  EXPECT_EQ(reopened.string(QStringLiteral("objective")).size(), pasted.size() + 2);
  EXPECT_FALSE(reopened.hasStoredValue(QStringLiteral("gone")));
  // Written by replacing the file: nothing else is left beside it.
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
            QStringList{QStringLiteral("settings.conf")});

  // What is still pending when the store goes is written then.
  {
    UserDefaults last(path());
    last.setValue(QStringLiteral("count"), 200);
  }
  EXPECT_EQ(UserDefaults(path()).integer(QStringLiteral("count")), 200);
}
