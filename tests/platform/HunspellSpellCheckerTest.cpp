// The dictionary is read on a thread of its own at the first check; the
// words checked meanwhile count as spelt right, and the listeners hear when
// it arrives. A checker that goes first takes nothing and waits for nothing.
#include "platform/linux/spelling/HunspellSpellChecker.h"
#include "platform/services/SpellCheckerAPI.h"

#include "support/TestEnvironment.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace kr;

namespace {

void write(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

// A folder with an "en_GB" dictionary of a few words.
struct Dictionary {
  explicit Dictionary(const QByteArray& encoding = "UTF-8") {
    write(dir.filePath(QStringLiteral("en_GB.aff")),
          "SET " + encoding + "\nTRY esianrtolcdugmphbyfvkwz\n");
    write(dir.filePath(QStringLiteral("en_GB.dic")), "4\nhello\nworld\nfocus\ncolour\n");
  }
  QTemporaryDir dir;
};

struct ListenerCount {
  ListenerCount() : id(SpellCheckerAPI::addDictionaryListener([this] { ++told; })) {}
  ~ListenerCount() { SpellCheckerAPI::removeDictionaryListener(id); }
  int told = 0;
  int id;
};

} // namespace

TEST(HunspellSpellChecker, TheDictionaryArrivesLaterAndTheListenersHearOfIt) {
  Dictionary dictionary;
  ListenerCount listener;
  HunspellSpellChecker checker(QStringLiteral("en_GB"), {dictionary.dir.path()});
  ASSERT_TRUE(checker.isAvailable());
  EXPECT_EQ(checker.dictionaryName(), QStringLiteral("en_GB"));
  // Before it is read: right, no suggestions, and one read for all of them.
  EXPECT_TRUE(checker.isCorrect(QStringLiteral("helo")));
  EXPECT_TRUE(checker.suggestions(QStringLiteral("helo")).isEmpty());
  EXPECT_TRUE(checker.isCorrect(QStringLiteral("wrold")));
  EXPECT_FALSE(checker.isLoaded());
  ASSERT_TRUE(QTest::qWaitFor([&] { return checker.isLoaded(); }, test::timeLimit(5000)));
  EXPECT_EQ(listener.told, 1);
  EXPECT_FALSE(checker.isCorrect(QStringLiteral("helo")));
  EXPECT_TRUE(checker.isCorrect(QStringLiteral("colour")));
  EXPECT_TRUE(checker.suggestions(QStringLiteral("helo")).contains(QStringLiteral("hello")));
  // Beyond what the dictionary reads and nothing at all are never marked.
  EXPECT_TRUE(checker.isCorrect(QString(300, u'x')));
  EXPECT_TRUE(checker.isCorrect(QString()));
  EXPECT_EQ(listener.told, 1);
}

TEST(HunspellSpellChecker, ACheckerGoneBeforeItsDictionaryTakesNothing) {
  Dictionary dictionary;
  ListenerCount listener;
  {
    HunspellSpellChecker checker(QStringLiteral("en_GB"), {dictionary.dir.path()});
    EXPECT_TRUE(checker.isCorrect(QStringLiteral("helo")));
  }
  EXPECT_EQ(HunspellSpellChecker::readsUnderWay(), 1);
  ASSERT_TRUE(QTest::qWaitFor([] { return HunspellSpellChecker::readsUnderWay() == 0; },
                              test::timeLimit(5000)));
  QCoreApplication::processEvents();
  EXPECT_EQ(listener.told, 0);
}

TEST(HunspellSpellChecker, NoDictionaryOrOneThatCannotBeReadChecksNothingAndSaysWhy) {
  QTemporaryDir empty;
  HunspellSpellChecker none(QStringLiteral("xx_YY"), {empty.path()});
  EXPECT_FALSE(none.isAvailable());
  EXPECT_TRUE(none.unavailableReason().contains(QStringLiteral("xx_YY")));
  EXPECT_TRUE(none.isCorrect(QStringLiteral("helo")));

  Dictionary strange("X-NO-SUCH-ENCODING");
  ListenerCount listener;
  test::ExpectWarnings expected({QStringLiteral("cannot be read")});
  HunspellSpellChecker checker(QStringLiteral("en_GB"), {strange.dir.path()});
  EXPECT_TRUE(checker.isCorrect(QStringLiteral("helo")));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !checker.isAvailable(); }, test::timeLimit(5000)));
  EXPECT_TRUE(checker.unavailableReason().contains(QStringLiteral("could not be read")));
  EXPECT_TRUE(checker.isCorrect(QStringLiteral("helo")));
  EXPECT_EQ(listener.told, 0);
}
