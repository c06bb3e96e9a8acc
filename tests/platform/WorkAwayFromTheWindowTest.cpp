#include "platform/WorkAwayFromTheWindow.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

namespace {

// The work can only finish once this thread's event loop has run a timer:
// it would wait for ever if the caller's thread were blocked meanwhile.
TEST(WorkAwayFromTheWindow, TheCallersEventLoopRunsWhileLongWorkGoesOn) {
  std::promise<void> timerRan;
  std::future<void> ran = timerRan.get_future();
  QTimer::singleShot(0, [&timerRan] { timerRan.set_value(); });
  QThread* workThread = nullptr;
  bool sawTimer = false;
  kr::WorkAwayFromTheWindow::run([&] {
    workThread = QThread::currentThread();
    sawTimer = ran.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
  });
  EXPECT_TRUE(sawTimer);
  EXPECT_NE(workThread, QThread::currentThread());
}

TEST(WorkAwayFromTheWindow, WorkOffTheApplicationsThreadRunsInPlace) {
  QThread* caller = nullptr;
  QThread* ranOn = nullptr;
  std::thread other([&] {
    caller = QThread::currentThread();
    kr::WorkAwayFromTheWindow::run([&ranOn] { ranOn = QThread::currentThread(); });
  });
  other.join();
  EXPECT_EQ(ranOn, caller);
}

} // namespace
