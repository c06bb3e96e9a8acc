#include "shell/RegisteredDefaults.h"
#include "platform/UserDefaults.h"

#include "support/TestEnvironment.h"

#include <QFile>

#include <gtest/gtest.h>

TEST(RegisteredDefaultsTest, EveryKeyReadsItsValueFromAnEmptyStoreAndNoneIsWritten) {
  kr::UserDefaults& defaults = kr::UserDefaults::standard();
  kr::RegisteredDefaults::registerAll();
  kr::RegisteredDefaults::registerAll(); // a second registration changes nothing
  const QVariantMap table = kr::RegisteredDefaults::table();
  for (auto it = table.cbegin(); it != table.cend(); ++it) {
    EXPECT_TRUE(defaults.defined(it.key())) << it.key().toStdString();
    EXPECT_EQ(defaults.object(it.key()), it.value()) << it.key().toStdString();
    EXPECT_FALSE(defaults.hasStoredValue(it.key())) << it.key().toStdString();
  }
  defaults.synchronize();
  EXPECT_FALSE(QFile::exists(defaults.filePath()) && QFile(defaults.filePath()).size() > 0);
}

TEST(RegisteredDefaultsTest, PathsAreAbsoluteInTheHomeFolder) {
  const QVariantMap table = kr::RegisteredDefaults::table();
  for (const char* key : {"exportAsCSVPath", "dropboxLocation"}) {
    const QString path = table.value(QString::fromLatin1(key)).toString();
    EXPECT_FALSE(path.startsWith(u'~')) << key;
    EXPECT_TRUE(path.startsWith(kr::test::temporaryHome())) << key;
  }
  EXPECT_EQ(table.value(QStringLiteral("soundOutputDevice")).toString(),
            QStringLiteral("useSystemDefault"));
}
