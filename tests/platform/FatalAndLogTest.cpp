#include "platform/ConsoleText.h"
#include "platform/FatalError.h"
#include "platform/QnLog.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

TEST(FatalErrorDeathTest, NamesMessageAndSourceFile) {
  EXPECT_DEATH(KR_FATAL(QStringLiteral("previous called but does not exist")),
               "Fatal error: previous called but does not exist: file .*FatalAndLogTest.cpp, line");
  EXPECT_DEATH(KR_ASSERT(1 + 1 == 3, QStringLiteral("arithmetic")), "arithmetic");
}

TEST(QnLogTest, WritesOnlyWhileTheSwitchIsOn) {
  kr::test::ConsoleCapture capture;
  kr::QnLog::setOn(false);
  kr::qn_log(QStringLiteral("hidden line"));
  kr::qn_logf("hidden %d", 7);
  EXPECT_TRUE(capture.lines().isEmpty());
  kr::QnLog::setOn(true);
  kr::qn_log(QStringLiteral("shown line"));
  kr::qn_logf("shown %d", 8);
  EXPECT_TRUE(capture.contains(QStringLiteral("shown line")));
  EXPECT_TRUE(capture.contains(QStringLiteral("shown 8")));
  EXPECT_FALSE(capture.contains(QStringLiteral("hidden")));
  kr::QnLog::setOn(false);
  kr::platformLog(QStringLiteral("smart scheduler called with negative delta -3!"));
  EXPECT_TRUE(capture.contains(QStringLiteral("negative delta -3!")));
}

TEST(QnLogTest, ControlCharactersFromOutsideAreWrittenEscaped) {
  EXPECT_EQ(kr::consoleSafe(QStringLiteral("plain text, caf\u00e9 \U0001F600")),
            QStringLiteral("plain text, caf\u00e9 \U0001F600"));
  EXPECT_EQ(kr::consoleSafe(QStringLiteral("a\x1b]0;title\x07 b\r\nc\u0085\u202e\u2066d\x7f")),
            QStringLiteral("a\\x1b]0;title\\x07 b\\x0d\\x0ac\\x85\\u202e\\u2066d\\x7f"));
  EXPECT_EQ(kr::consoleSafe(QStringLiteral("line\nnext\t"), true),
            QStringLiteral("line\nnext\\x09"));
  // Every line written goes through it: a link or an action name cannot
  // start a line of its own or drive the terminal.
  kr::test::ConsoleCapture capture;
  kr::platformLog(QStringLiteral("Unknown action \"x\n\x1b[2Jforged\" ignored"));
  ASSERT_EQ(capture.lines().size(), 1);
  EXPECT_TRUE(capture.contains(QStringLiteral("\"x\\x0a\\x1b[2Jforged\"")));
}

TEST(QnLogTest, ABatchWritesItsLinesTogetherInOrderAndEscapedOneByOne) {
  kr::test::ConsoleCapture capture;
  kr::QnLog::setOn(true);
  {
    kr::QnLogBatch batch;
    kr::qn_log(QStringLiteral("first"));
    kr::qn_logf("second %d", 2);
    {
      kr::QnLogBatch inner;
      kr::qn_log(QStringLiteral("inner"));
    } // written as the inner batch ends, before the outer one
    kr::qn_log(QStringLiteral("forged\nline"));
    EXPECT_EQ(capture.lines().size(), 1);
    kr::QnLog::setOn(false);
    kr::qn_log(QStringLiteral("hidden"));
    kr::QnLog::setOn(true);
  }
  ASSERT_EQ(capture.lines().size(), 2);
  EXPECT_TRUE(capture.lines()[0].endsWith(QStringLiteral("inner")));
  EXPECT_TRUE(capture.lines()[1].endsWith(QStringLiteral("first\nsecond 2\nforged\\x0aline")));
  // Without a batch each line is a message of its own again, and a long
  // batch is written before it ends.
  kr::qn_log(QStringLiteral("alone"));
  ASSERT_EQ(capture.lines().size(), 3);
  {
    kr::QnLogBatch batch;
    for (int i = 0; i < 5000; ++i)
      kr::qn_log(QStringLiteral("step"));
    EXPECT_GE(capture.lines().size(), 4);
  }
  int steps = 0;
  for (const QString& message : capture.lines())
    steps += int(message.count(QStringLiteral("step")));
  EXPECT_EQ(steps, 5000);
  kr::QnLog::setOn(false);
}
