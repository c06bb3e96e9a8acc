#include "platform/settings/StoredSettingsCheck.h"
#include "platform/settings/UserDefaults.h"

#include <QColor>
#include <QDataStream>
#include <QDateTime>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

using kr::StoredSettingsCheck;
using kr::UserDefaults;

namespace {

// Big-endian pieces of a binary value as the settings reader decodes it.
QByteArray u32(quint32 v) {
  QByteArray b;
  QDataStream(&b, QIODevice::WriteOnly) << v;
  return b;
}

// A binary value written the way a hand or a damaged disk could write it:
// every byte as a hexadecimal escape.
QByteArray escapedVariant(const QByteArray& payload) {
  QByteArray text = "@Variant(";
  for (const char c : payload)
    text += "\\x" + QByteArray::number(quint8(c), 16);
  return text + ")";
}

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& data) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(data);
}

class StoredSettingsCheckTest : public ::testing::Test {
protected:
  QTemporaryDir dir;
  QString path() const { return dir.filePath(QStringLiteral("Korvane-R.conf")); }
};

// Everything the store writes, and the awkward texts users type, must come
// back untouched: a check that drops good settings loses the user's choices.
TEST_F(StoredSettingsCheckTest, ValuesTheStoreWritesAreAllKept) {
  const QVariantMap app{
      {QStringLiteral("path"), QStringLiteral("/usr/bin/x, y")},
      {QStringLiteral("enabled"), true},
      {QStringLiteral("weight"), 0.25},
      {QStringLiteral("count"), qint64{1} << 40},
      {QStringLiteral("nested"), QVariantList{1, QStringLiteral("two"), QVariantMap{{"k", 3.5}}}}};
  const QMap<QString, QVariant> values{
      {QStringLiteral("applications"), QVariantList{app, app}},
      {QStringLiteral("single"), QVariantList{app}},
      {QStringLiteral("empty"), QVariantList{}},
      {QStringLiteral("names"), QStringList{QStringLiteral("a"), QStringLiteral("@Variant(b)")}},
      {QStringLiteral("objective"), QByteArray::fromHex("7b5c72746631 00ff01 2029")},
      {QStringLiteral("text"), QStringLiteral("@Variant(not binary) \"quoted\", ; = ünï ")},
      {QStringLiteral("when"), QDateTime(QDate(2026, 12, 7), QTime(6, 30), QTimeZone::utc())},
      {QStringLiteral("whenZoned"),
       QDateTime(QDate(2026, 12, 7), QTime(6, 30), QTimeZone(QByteArrayLiteral("Europe/Oslo")))},
      {QStringLiteral("day"), QDate(2026, 12, 7)},
      {QStringLiteral("colour"), QColor(10, 20, 30, 40)},
      {QStringLiteral("ratio"), 0.5f},
      {QStringLiteral("letter"), QChar(u'ß')},
      {QStringLiteral("group/inner"), QVariantList{QVariantMap{}, QVariant()}},
  };
  {
    QSettings settings(path(), QSettings::IniFormat);
    for (auto it = values.cbegin(); it != values.cend(); ++it)
      settings.setValue(it.key(), it.value());
    settings.sync();
    ASSERT_EQ(settings.status(), QSettings::NoError);
  }
  const QByteArray before = readAll(path());
  ASSERT_TRUE(before.contains("@Variant(")) << "the file should hold binary values";
  EXPECT_TRUE(StoredSettingsCheck::unreadableEntries(before).isEmpty());
  EXPECT_TRUE(StoredSettingsCheck::setAsideUnreadableEntries(path()).isEmpty());
  EXPECT_EQ(readAll(path()), before);
  EXPECT_FALSE(QFile::exists(path() + QStringLiteral(".damaged")));

  UserDefaults defaults(path());
  EXPECT_EQ(defaults.array(QStringLiteral("applications")), (QVariantList{app, app}));
  EXPECT_EQ(defaults.object(QStringLiteral("objective")).toByteArray(),
            values.value(QStringLiteral("objective")).toByteArray());
  EXPECT_EQ(defaults.object(QStringLiteral("colour")).value<QColor>(), QColor(10, 20, 30, 40));
}

// A count or a length larger than the bytes that follow it, and kinds the
// store never writes, are set aside with their line; the rest of the file
// stays as it was, and the original is kept beside it.
TEST_F(StoredSettingsCheckTest, BinaryValuesThatCannotBeDecodedAreSetAside) {
  const QByteArray hugeList = u32(9) + u32(0x616e4d61);           // 1.6 billion items
  const QByteArray hugeString = u32(10) + u32(0x7ffffff0) + "ab"; // 2 GB promised
  const QByteArray hugeNames = u32(11) + u32(0x40000000);
  QByteArray deep;
  for (int i = 0; i < 40; ++i)
    deep += u32(9) + u32(1);
  deep += u32(1) + QByteArray(1, '\1');
  const QByteArray image = u32(70) + QByteArray(64, '\0');
  const QByteArray fine = u32(9) + u32(2) + u32(1) + QByteArray(1, '\1') + u32(2) + u32(7);

  const QByteArray file = "[General]\n"
                          // The fuzzer's case, as its bytes arrived.
                          "x=@Variant(\\0\\0\\0\\tanMa)\n"
                          "keep1=plain text\n"
                          "list=" +
                          escapedVariant(hugeString) +
                          "\n"
                          // The '@' itself can be escaped, and the value can hide in a list,
                          // in quotes, or behind an escaped line end.
                          "escaped=\\x40Variant(\\0\\0\\0\\xb\\x40\\0\\0\\0)\n"
                          "items=a, \"" +
                          escapedVariant(hugeNames) +
                          "\", c\n"
                          "continued=\\\n" +
                          escapedVariant(hugeList) +
                          "\n"
                          "deep=" +
                          escapedVariant(deep) +
                          "\n"
                          "image=" +
                          escapedVariant(image) +
                          "\n"
                          "fine=" +
                          escapedVariant(fine) +
                          "\n"
                          "; a comment=@Variant(\\0\\0\\0\\tanMa)\n"
                          "durationInSeconds=1500\n"
                          "[later]\n"
                          "time=@DateTime(" +
                          u32(16) + "\\0" + u32(0) + ")\n";

  const QList<StoredSettingsCheck::UnreadableEntry> entries =
      StoredSettingsCheck::unreadableEntries(file);
  QStringList keys;
  for (const auto& entry : entries)
    keys << entry.key;
  EXPECT_EQ(keys,
            (QStringList{"x", "list", "escaped", "items", "continued", "deep", "image", "time"}));

  writeAll(path(), file);
  EXPECT_EQ(StoredSettingsCheck::setAsideUnreadableEntries(path()), keys);
  EXPECT_EQ(readAll(path() + QStringLiteral(".damaged")), file);
  EXPECT_TRUE(StoredSettingsCheck::unreadableEntries(readAll(path())).isEmpty());

  UserDefaults defaults(path());
  defaults.registerDefault(QStringLiteral("x"), QStringLiteral("default"));
  EXPECT_EQ(defaults.string(QStringLiteral("x")), QStringLiteral("default"));
  EXPECT_EQ(defaults.string(QStringLiteral("keep1")), QStringLiteral("plain text"));
  EXPECT_EQ(defaults.integer(QStringLiteral("durationInSeconds")), 1500);
  EXPECT_EQ(defaults.array(QStringLiteral("fine")), (QVariantList{true, 7}));
  EXPECT_FALSE(defaults.hasStoredValue(QStringLiteral("items")));
  EXPECT_FALSE(defaults.hasStoredValue(QStringLiteral("later/time")));
}

} // namespace
