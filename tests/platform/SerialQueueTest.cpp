#include "platform/SerialQueue.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <vector>

TEST(SerialQueueTest, RunsTasksInOrderOneAtATimeOnItsOwnNamedThread) {
  kr::SerialQueue queue(QStringLiteral("oneUpdateAtATimeDispatcherQueue"));
  std::mutex mutex;
  std::vector<int> order;
  std::atomic<int> running{0};
  std::atomic<bool> overlapped{false};
  std::atomic<bool> onQueueThread{true};
  for (int i = 0; i < 20; ++i) {
    queue.async([&, i] {
      if (running.fetch_add(1) != 0)
        overlapped = true;
      onQueueThread = onQueueThread && QThread::currentThread() == queue.thread() &&
                      QThread::currentThread()->objectName() == queue.label();
      {
        const std::lock_guard<std::mutex> lock(mutex);
        order.push_back(i);
      }
      running.fetch_sub(1);
    });
  }
  ASSERT_TRUE(QTest::qWaitFor([&] {
    const std::lock_guard<std::mutex> lock(mutex);
    return order.size() == 20;
  }));
  std::vector<int> expected(20);
  for (int i = 0; i < 20; ++i)
    expected[std::size_t(i)] = i;
  EXPECT_EQ(order, expected);
  EXPECT_FALSE(overlapped);
  EXPECT_TRUE(onQueueThread);
  EXPECT_NE(queue.thread(), QCoreApplication::instance()->thread());
}

TEST(SerialQueueTest, StopWaitsForABusyTaskNoLongerThanItsLimit) {
  kr::SerialQueue idle(QStringLiteral("idle"));
  EXPECT_TRUE(idle.stop(std::chrono::milliseconds(1000)));

  auto queue = std::make_unique<kr::SerialQueue>(QStringLiteral("busy"));
  std::atomic<bool> started{false}, release{false}, finished{false};
  queue->async([&] {
    started = true;
    while (!release)
      QThread::yieldCurrentThread();
    finished = true;
  });
  ASSERT_TRUE(QTest::qWaitFor([&] { return started.load(); }));
  QElapsedTimer elapsed;
  elapsed.start();
  EXPECT_FALSE(queue->stop(std::chrono::milliseconds(20)));
  queue.reset(); // no second wait
  EXPECT_LT(elapsed.elapsed(), kr::test::timeLimit(1000));
  release = true;
  EXPECT_TRUE(QTest::qWaitFor([&] { return finished.load(); }));
}
