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
