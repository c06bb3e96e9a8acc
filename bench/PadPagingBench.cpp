// Paging a note pad between two sheets of 1 MB of text each, the current one
// changed before every page turn: from the click on the page-turn button to
// the first paint of the page turned. A long sheet is read and built in the
// background: from the click to the first paint of its text is measured
// apart (text_painted_ms), as are the background write of the sheet left and
// the layout of the text beyond the first screen.
// A page turn to a sheet of 50 MB: from the click to the first paint of its
// text (text_painted_ms), the longest wait of a key typed meanwhile
// (worst_event_ms), and from the paint to its text encoded for its file with
// the window's events served (encoded_after_ms).
#include "engine/BackingStoreDescriptor.h"
#include "kit/text/NowAndLaterBoardTextView.h"
#include "platform/richtext/RichText.h"
#include "platform/richtext/RichTextDocument.h"
#include "platform/richtext/RtfChunkCache.h"
#include "platform/richtext/RtfdPackage.h"
#include "platform/settings/UserDefaults.h"
#include "support/PaintSpy.h"
#include "window/NowAndLaterBoardManager.h"
#include "window/PadViewController.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>

#include <benchmark/benchmark.h>

#include <optional>

namespace {

kr::RichText megabyteOfNotes(char tag) {
  QString text;
  text.reserve(1024 * 1024 + 100);
  for (int line = 0; text.size() < 1024 * 1024; ++line)
    text += QStringLiteral("%1 %2: a line of notes about the work of the day, with words.\n")
                .arg(QLatin1Char(tag))
                .arg(line);
  return kr::RichText(text);
}

// A Now pad over two sheets in a folder of its own, shown at 400x600, the
// first paint of its editor watched; on the first sheet when `onFirst`,
// otherwise on the one the pad picks.
struct PadOverTwoSheets {
  PadOverTwoSheets(const kr::RichText& first, const kr::RichText& second, bool onFirst) {
    QDir().mkpath(folder);
    kr::RtfdPackage::write(folder + QStringLiteral("/Now Pads 000000.rtfd"), first);
    kr::RtfdPackage::write(folder + QStringLiteral("/Now Pads 000001.rtfd"), second);
    kr::UserDefaults::standard().registerDefault(QStringLiteral("nowPadBackgroundColor"),
                                                 QStringLiteral("#ffffcc"));
    manager.emplace(dir.path(), kr::UserDefaults::standard());
    if (onFirst)
      manager->nowStoreDesc().pointToFileWithID(folder + QStringLiteral("/Now Pads 000000.rtfd"));
    pad.backgroundColorStorageKey = QStringLiteral("nowPadBackgroundColor");
    pad.backingStoreDescriptor = &manager->nowStoreDesc();
    pad.build();
    pad.view()->resize(400, 600);
    pad.view()->show();
    QApplication::processEvents();
    pad.textView()->viewport()->installEventFilter(&spy);
  }
  QTemporaryDir dir;
  const QString folder = dir.path() + QStringLiteral("/Pads/Now Pad");
  // Made once the sheets are on disk.
  std::optional<kr::NowAndLaterBoardManager> manager;
  kr::PadViewController pad{true};
  kr::test::PaintSpy spy;
};

void BM_PageBetweenTwoMegabyteSheets(benchmark::State& state) {
  PadOverTwoSheets sheets(megabyteOfNotes('a'), megabyteOfNotes('b'), false);
  kr::PadViewController& pad = sheets.pad;
  // The first paint of the editor after a page turn.
  kr::test::PaintSpy& spy = sheets.spy;
  double writeSeconds = 0;
  double layoutSeconds = 0;
  double textShownSeconds = 0;
  bool forwards = false;
  for (auto _ : state) {
    state.PauseTiming();
    QTextCursor cursor = pad.textView()->textCursor();
    cursor.insertText(QStringLiteral("x"));
    QApplication::processEvents();
    spy.painted = false;
    QElapsedTimer sinceClick;
    state.ResumeTiming();
    sinceClick.start();
    (forwards ? pad.nextSheetButton() : pad.previousSheetButton())->click();
    while (!spy.painted)
      QApplication::processEvents();
    state.PauseTiming();
    // A long sheet is built in the background: until its text is painted.
    if (pad.isLoadingSheet()) {
      while (pad.isLoadingSheet())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
      spy.painted = false;
      while (!spy.painted)
        QApplication::processEvents();
    }
    textShownSeconds += sinceClick.nsecsElapsed() / 1e9;
    forwards = !forwards;
    QElapsedTimer timer;
    timer.start();
    kr::PadViewController::saveAllPads();
    writeSeconds += timer.nsecsElapsed() / 1e9;
    timer.restart();
    pad.textView()->document()->documentLayout()->documentSize();
    layoutSeconds += timer.nsecsElapsed() / 1e9;
    state.ResumeTiming();
  }
  const double n = double(state.iterations());
  state.counters["background_write_ms"] = benchmark::Counter(writeSeconds * 1000.0 / n);
  state.counters["rest_of_layout_ms"] = benchmark::Counter(layoutSeconds * 1000.0 / n);
  state.counters["text_painted_ms"] = benchmark::Counter(textShownSeconds * 1000.0 / n);
}
BENCHMARK(BM_PageBetweenTwoMegabyteSheets)->Unit(benchmark::kMillisecond)->Iterations(10);

// The parts of one page turn, one by one.
void BM_PagePartsOfAMegabyteSheet(benchmark::State& state) {
  QTemporaryDir dir;
  const QString path = dir.path() + QStringLiteral("/Now Pads 000000.rtfd");
  const kr::RichText text = megabyteOfNotes('a');
  kr::RtfdPackage::write(path, text);
  QTextDocument document;
  double write = 0, read = 0, fill = 0, fromDocument = 0;
  for (auto _ : state) {
    QElapsedTimer timer;
    timer.start();
    kr::RtfdPackage::write(path, text);
    write += timer.nsecsElapsed() / 1e6;
    timer.restart();
    const kr::RtfdPackage::ReadResult result = kr::RtfdPackage::read(path);
    read += timer.nsecsElapsed() / 1e6;
    timer.restart();
    kr::RichTextDocument::fill(&document, result.text);
    fill += timer.nsecsElapsed() / 1e6;
    timer.restart();
    benchmark::DoNotOptimize(kr::RichTextDocument::fromDocument(document));
    fromDocument += timer.nsecsElapsed() / 1e6;
  }
  const double n = double(state.iterations());
  state.counters["write_ms"] = write / n;
  state.counters["read_ms"] = read / n;
  state.counters["fill_ms"] = fill / n;
  state.counters["from_document_ms"] = fromDocument / n;
}
BENCHMARK(BM_PagePartsOfAMegabyteSheet)->Unit(benchmark::kMillisecond)->Iterations(5);

kr::RichText fiftyMegabytesOfNotes() {
  QString text;
  text.reserve((50 << 20) + 100);
  for (int line = 0; text.size() < (50 << 20); ++line)
    text +=
        QStringLiteral("%1: a line of notes about the work of the day, with words.\n").arg(line);
  return kr::RichText(text);
}

void BM_PageToAFiftyMegabyteSheet(benchmark::State& state) {
  PadOverTwoSheets sheets(kr::RichText(QStringLiteral("a short sheet\n")), fiftyMegabytesOfNotes(),
                          true);
  kr::PadViewController& pad = sheets.pad;
  kr::test::PaintSpy& spy = sheets.spy;
  double shownSeconds = 0;
  double encodedSeconds = 0;
  double worstEvent = 0;
  for (auto _ : state) {
    state.PauseTiming();
    if (pad.textView()->document()->characterCount() > 1000) {
      pad.previousSheetButton()->click();
      while (pad.isLoadingSheet())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    QApplication::processEvents();
    QElapsedTimer sinceClick;
    state.ResumeTiming();
    sinceClick.start();
    pad.nextSheetButton()->click();
    while (pad.isLoadingSheet())
      QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    spy.painted = false;
    while (!spy.painted)
      QApplication::processEvents();
    state.PauseTiming();
    shownSeconds += sinceClick.nsecsElapsed() / 1e9;
    // The window's events meanwhile: a key posted and served, again and again.
    QTextDocument* document = pad.textView()->document();
    kr::RtfChunkCache* cache = kr::RtfChunkCache::of(document);
    QElapsedTimer encoding;
    encoding.start();
    while (cache->staleBlocks() > 0 && encoding.elapsed() < 60000) {
      QElapsedTimer waited;
      waited.start();
      bool served = false;
      QTimer::singleShot(0, qApp, [&] { served = true; });
      while (!served)
        QApplication::processEvents();
      worstEvent = std::max(worstEvent, waited.nsecsElapsed() / 1e6);
    }
    encodedSeconds += encoding.nsecsElapsed() / 1e9;
    state.ResumeTiming();
  }
  const double n = double(state.iterations());
  state.counters["text_painted_ms"] = benchmark::Counter(shownSeconds * 1000.0 / n);
  state.counters["encoded_after_ms"] = benchmark::Counter(encodedSeconds * 1000.0 / n);
  state.counters["worst_event_ms"] = benchmark::Counter(worstEvent);
}
BENCHMARK(BM_PageToAFiftyMegabyteSheet)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
