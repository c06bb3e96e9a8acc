// Page Up and Page Down in the middle of a sheet of 1 MB in the Now pad of
// the program as main() builds it: from the key (its shortcut check, which
// validates the menu, then the press) to the paint of the page, as wall time
// and as the window's thread's processor time.
#include "StartedProgram.h"

#include "engine/BackingStoreDescriptor.h"
#include "engine/BackingStoreIndex.h"
#include "kit/text/NowAndLaterBoardTextView.h"
#include "platform/files/SupportPaths.h"
#include "platform/richtext/RichText.h"
#include "platform/richtext/RtfdPackage.h"
#include "shell/AppDelegate.h"
#include "shell/ApplicationShell.h"
#include "support/PaintSpy.h"
#include "window/MainWindow.h"
#include "window/MainWindowController.h"
#include "window/NowAndLaterBoardManager.h"
#include "window/PadViewController.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTest>
#include <QTextCursor>

#include <benchmark/benchmark.h>

#include <ctime>

namespace {

double threadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

QString megabyteSheet() {
  const QString folder = kr::SupportPaths::supportFolder() + QStringLiteral("/Pads/Now Pad");
  QDir().mkpath(folder);
  const QString path = folder + QStringLiteral("/Now Pads 000900.rtfd");
  QString text;
  text.reserve((1 << 20) + 100);
  for (int line = 0; text.size() < (1 << 20); ++line)
    text +=
        QStringLiteral("%1: a line of notes about the work of the day, with words.\n").arg(line);
  kr::RtfdPackage::write(path, kr::RichText(text));
  return path;
}

void BM_PageKeyInTheMiddleOfAMegabyteSheet(benchmark::State& state) {
  QVariantMap settings;
  for (const QString& key : kr::MainWindowController::padStorageKeyPaths())
    settings[key] = true;
  settings[QStringLiteral("nowPadHidden")] = false;
  kr::test::StartedProgram program(settings);
  const QString path = megabyteSheet();
  kr::PadViewController* pad =
      program.program->shell().appDelegate().mainWindow()->controller().nowPadController();
  kr::BackingStoreDescriptor& store = kr::NowAndLaterBoardManager::sharedManager().nowStoreDesc();
  store.index().refreshIndexFromDisk();
  store.pointToFileWithID(path);
  pad->updateTextView();
  while (pad->isLoadingSheet())
    QApplication::processEvents(QEventLoop::WaitForMoreEvents);
  kr::NowAndLaterBoardTextView* view = pad->textView();
  view->window()->activateWindow();
  view->setFocus();
  QTextCursor middle(view->document());
  middle.setPosition(view->document()->characterCount() / 2);
  view->setTextCursor(middle);
  for (int i = 0; i < 20; ++i)
    QApplication::processEvents();
  kr::test::PaintSpy spy;
  view->viewport()->installEventFilter(&spy);
  double thread = 0;
  bool up = true;
  for (auto _ : state) {
    spy.painted = false;
    const double before = threadSeconds();
    QTest::keyClick(view, up ? Qt::Key_PageUp : Qt::Key_PageDown);
    while (!spy.painted)
      QApplication::processEvents();
    thread += threadSeconds() - before;
    up = !up;
  }
  state.counters["window_thread_ms"] = thread * 1000.0 / double(state.iterations());
  view->viewport()->removeEventFilter(&spy);
}
BENCHMARK(BM_PageKeyInTheMiddleOfAMegabyteSheet)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace
