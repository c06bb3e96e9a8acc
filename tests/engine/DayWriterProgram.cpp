// A second program writing beside a test through the program's own code:
//   day_writer append <day package> <entry id> [<step>[+][#n]]
//     adds an entry to the day, saying each step it reaches on a line of its
//     own ("Copy", "Replace+" once it holds the step's claim); at the step
//     named (its n-th time) it says "stopped" and waits for a line on its
//     input. Ends with 0 once the entry is written.
//   day_writer start-up
//     removes what splices cut short left, as each start of the program does.
//   day_writer write <package> <text> [Swap|Aside]
//     writes the package whole, as a pad's sheet is written, saying "Swap"
//     once its new copy is beside it and "Aside" once the old one is set
//     aside; stops at the step named as above. Ends with 0 once written.
//   day_writer store-start <folder> <root>
//     starts a store of packages named "<root> <number>.rtfd" in the
//     folder, as the program's start does, and says "started".
// With DAY_WRITER_REFUSES set, the extended attribute it names cannot be
// given to a file, as a file system may refuse it.
//   day_writer hold <day package>
//     holds the day's lock, as another writer of the day does, says "held"
//     and lets go of it when a line comes on its input.
#include "engine/AppendHandover.h"
#include "engine/BackingStoreDescriptor.h"
#include "engine/BackingStoreManager.h"
#include "engine/DayAppend.h"
#include "engine/SequenceNumberNamingStrategy.h"
#include "engine/SplicesUnderWay.h"
#include "platform/files/FileLock.h"
#include "platform/files/FileOperations.h"
#include "platform/files/SupportPaths.h"
#include "platform/richtext/RichText.h"
#include "platform/richtext/RtfdPackage.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <string>

using namespace kr;

namespace {

const char* const kSteps[] = {"Lock",       "InPlace", "Copy",      "Replace", "Read",
                              "WriteAside", "NewDay",  "QuitWaits", "Finished"};

void say(const QString& line) {
  std::printf("%s\n", qPrintable(line));
  std::fflush(stdout);
}

void waitForALine() {
  std::string line;
  std::getline(std::cin, line);
}

QString swapStop;

void atSwapStep(const char* step) {
  say(QString::fromLatin1(step));
  if (swapStop == QLatin1String(step)) {
    say(QStringLiteral("stopped"));
    waitForALine();
  }
}

} // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList arguments = app.arguments();
  FileOperations::refuseAttributeForTesting(qgetenv("DAY_WRITER_REFUSES"));
  const QString mode = arguments.value(1);
  if (mode == QStringLiteral("start-up")) {
    say(QString::number(SplicesUnderWay::removeLeftovers()));
    return 0;
  }
  if (mode == QStringLiteral("store-start") && arguments.size() == 4) {
    BackingStoreDescriptor store;
    store.setFolderPath(arguments[2]);
    store.setRoot(arguments[3]);
    store.setNamingStrategy(std::make_unique<SequenceNumberNamingStrategy>());
    store.finishInitialization();
    say(QStringLiteral("started"));
    return 0;
  }
  if (mode == QStringLiteral("write") && arguments.size() >= 4) {
    swapStop = arguments.value(4);
    RtfdPackage::setSwapHookForTesting(atSwapStep);
    const QString package = arguments[2];
    return BackingStoreManager::sharedManager().writeFile(RichText(arguments[3]), package,
                                                          QFileInfo(package).path())
               ? 0
               : 1;
  }
  if (mode == QStringLiteral("hold") && arguments.size() >= 3) {
    FileLock lock(SupportPaths::packageLockFile(arguments[2]));
    QString why;
    if (!lock.acquire(std::chrono::seconds(10), &why)) {
      say(QStringLiteral("refused: %1").arg(why));
      return 1;
    }
    say(QStringLiteral("held"));
    waitForALine();
    return 0;
  }
  if (mode != QStringLiteral("append") || arguments.size() < 4)
    return 2;
  const QString stop = arguments.value(4).section(u'#', 0, 0);
  int count = std::max(1, arguments.value(4).section(u'#', 1).toInt());
  AppendHandover handover([&](AppendHandover::Step step, bool claimed) {
    const QString name =
        QString::fromLatin1(kSteps[int(step)]) + (claimed ? QStringLiteral("+") : QString());
    say(name);
    if (name == stop && --count == 0) {
      say(QStringLiteral("stopped"));
      waitForALine();
    }
  });
  const QString day = arguments[2];
  const RichText entry(
      QStringLiteral("#TimeSlice\n%1\n#objective\nTwo writers\n#tags\n\n").arg(arguments[3]));
  DayAppend::SharedLock lock;
  const DayAppend::Outcome outcome = DayAppend::perform(
      entry, day, QFileInfo(day).path(), QDateTime::currentDateTime(), &handover, &lock);
  say(QStringLiteral("outcome %1 %2").arg(int(outcome.kind)).arg(outcome.reason));
  return outcome.kind == DayAppend::Outcome::Kind::Written ? 0 : 1;
}
