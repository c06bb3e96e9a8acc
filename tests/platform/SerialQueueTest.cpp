#include "platform/SerialQueue.h"
#include "platform/DetachedJob.h"
#include "platform/OrderedWorker.h"
#include "support/StepTimer.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <pthread.h>

#include <atomic>
#include <future>
#include <mutex>
#include <vector>

namespace {

QString currentThreadName() {
  char name[16] = {};
  pthread_getname_np(pthread_self(), name, sizeof name);
  return QString::fromLatin1(name);
}

} // namespace

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
      onQueueThread =
          onQueueThread && queue.isCurrentThread() && currentThreadName() == queue.label().left(15);
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
  EXPECT_FALSE(queue.isCurrentThread());
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
  kr::test::StepTimer elapsed;
  EXPECT_FALSE(queue->stop(std::chrono::milliseconds(20)));
  queue.reset(); // no second wait
  EXPECT_LT(elapsed.elapsed(), elapsed.limit(1000));
  release = true;
  EXPECT_TRUE(QTest::qWaitFor([&] { return finished.load(); }));
}

// A worker waiting for its next job holds no thread: the first task starts one,
// it ends once the queue is empty, and the next task starts another under the
// same name. Destroying an ordered worker still runs what was queued.
TEST(SerialQueueTest, AThreadLivesOnlyWhileThereIsWork) {
  kr::SerialQueue queue(QStringLiteral("calendar files"));
  EXPECT_FALSE(queue.hasThread());
  std::atomic<bool> release{false};
  std::atomic<int> done{0};
  queue.async([&] {
    while (!release)
      QThread::yieldCurrentThread();
    ++done;
  });
  queue.async([&] { ++done; });
  EXPECT_TRUE(queue.hasThread());
  release = true;
  ASSERT_TRUE(QTest::qWaitFor([&] { return done == 2 && !queue.hasThread(); }));
  QString name;
  queue.async([&] {
    name = currentThreadName();
    ++done;
  });
  ASSERT_TRUE(QTest::qWaitFor([&] { return done == 3 && !queue.hasThread(); }));
  EXPECT_EQ(name, QStringLiteral("calendar files"));

  std::vector<int> ran;
  std::atomic<bool> go{false};
  {
    kr::OrderedWorker worker("settingsWriter");
    EXPECT_FALSE(worker.hasThread());
    worker.async([&] { ran.push_back(1); });
    worker.drain();
    EXPECT_EQ(ran, std::vector<int>{1});
    EXPECT_FALSE(worker.hasThread()) << "drained means its thread has ended";
    worker.async([&] {
      while (!go)
        QThread::yieldCurrentThread();
      ran.push_back(2);
    });
    worker.async([&] { ran.push_back(3); });
    go = true;
  } // the queued tasks run before the worker goes
  EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));
}

TEST(DetachedJobTest, HandsBackOnTheReceiversThreadOnlyWhileHeld) {
  QObject receiver;
  const QThread* receiverThread = QThread::currentThread();
  auto runJob = [&](bool releaseBeforeHandBack, bool releaseBeforeDelivery) {
    std::promise<void> go;
    std::shared_future<void> goSignal = go.get_future().share();
    std::promise<bool> handedBack;
    std::future<bool> handedBackResult = handedBack.get_future();
    std::atomic<bool> deliveredOnReceiverThread{false};
    std::atomic<int> deliveries{0};
    auto job = kr::DetachedJob::start(&receiver, "detachedTest", [&](kr::DetachedJob& self) {
      goSignal.wait();
      handedBack.set_value(self.handBack([&] {
        deliveredOnReceiverThread = QThread::currentThread() == receiverThread;
        ++deliveries;
      }));
    });
    if (releaseBeforeHandBack)
      job->release();
    EXPECT_EQ(job->wanted(), !releaseBeforeHandBack);
    EXPECT_EQ(job->releasedFlag()->load(), releaseBeforeHandBack);
    go.set_value();
    EXPECT_EQ(handedBackResult.get(), !releaseBeforeHandBack);
    if (releaseBeforeDelivery)
      job->release();
    QCoreApplication::sendPostedEvents();
    return std::pair<int, bool>(deliveries.load(), deliveredOnReceiverThread.load());
  };
  EXPECT_EQ(runJob(false, false), std::make_pair(1, true));
  EXPECT_EQ(runJob(true, false), std::make_pair(0, false));
  EXPECT_EQ(runJob(false, true), std::make_pair(0, false));
}
