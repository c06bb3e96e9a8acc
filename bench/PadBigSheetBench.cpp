// A pad showing a sheet of 50 MB of text, with spelling checked by Hunspell:
// - the swap of the document built away from the window's thread into the
//   editor (swap_ms), and from there to the first paint of its text
//   (first_paint_ms);
// - each key typed at the top, in the middle and at the end of the text,
//   from the key press to the repainted editor, after the editor had half a
//   second to lay out more of the text (the argument, in milliseconds).
#include "PadBenchSupport.h"
#include "kit/text/NowAndLaterBoardTextView.h"
#include "platform/richtext/RichText.h"
#include "platform/richtext/RichTextDocument.h"
#include "platform/richtext/RtfChunkCache.h"
#include "platform/richtext/RtfdPackage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

const kr::RichText& fiftyMegabytesOfNotes() {
  static const kr::RichText text = [] {
    QString plain;
    plain.reserve((50 << 20) + 100);
    for (int line = 0; plain.size() < (50 << 20); ++line)
      plain +=
          QStringLiteral("%1: a line of notes abuot the work of the day, with words.\n").arg(line);
    return kr::RichText(plain);
  }();
  return text;
}

// Events served for `ms` milliseconds (the idle layout runs meanwhile).
void serveEvents(int ms) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < ms)
    QApplication::processEvents(QEventLoop::AllEvents, 10);
}

bool laidOutToTheEnd(const QTextDocument& document) {
  return document.lastBlock().layout() && document.lastBlock().layout()->lineCount() > 0;
}

void BM_SwapInAFiftyMegabyteSheet(benchmark::State& state) {
  kr::bench::ShownPadEditor pad;
  kr::NowAndLaterBoardTextView& view = pad.view;
  double worstSwap = 0;
  double worstPaint = 0;
  for (auto _ : state) {
    state.PauseTiming();
    view.showSheetLoading();
    QApplication::processEvents();
    QTextDocument* built =
        kr::NowAndLaterBoardTextView::buildSheetDocument(fiftyMegabytesOfNotes(), view.sheetLook());
    state.ResumeTiming();
    QElapsedTimer timer;
    timer.start();
    view.showSheetDocument(built);
    worstSwap = std::max(worstSwap, timer.nsecsElapsed() / 1e6);
    view.viewport()->repaint();
    worstPaint = std::max(worstPaint, timer.nsecsElapsed() / 1e6);
    state.PauseTiming();
    serveEvents(500);
    state.ResumeTiming();
  }
  state.counters["swap_ms"] = worstSwap;
  state.counters["first_paint_ms"] = worstPaint;
}

void typeInto(benchmark::State& state, double where) {
  kr::bench::ShownPadEditor pad;
  kr::NowAndLaterBoardTextView& view = pad.view;
  view.showSheetDocument(
      kr::NowAndLaterBoardTextView::buildSheetDocument(fiftyMegabytesOfNotes(), view.sheetLook()));
  QTextCursor caret(view.document());
  caret.setPosition(std::max(0, int(view.document()->characterCount() * where) - 1));
  view.setTextCursor(caret);
  view.ensureCursorVisible();
  view.setFocus();
  serveEvents(int(state.range(0)));
  kr::bench::timeKeys(state, view, QStringLiteral("teh quick brown fox jumps over the lazy dog "));
  state.counters["laid_out_to_end"] = laidOutToTheEnd(*view.document()) ? 1 : 0;
}

void BM_TypeAtTheTopOfAFiftyMegabyteSheet(benchmark::State& state) { typeInto(state, 0); }
void BM_TypeInTheMiddleOfAFiftyMegabyteSheet(benchmark::State& state) { typeInto(state, 0.5); }
void BM_TypeAtTheEndOfAFiftyMegabyteSheet(benchmark::State& state) { typeInto(state, 1); }

// Saves of a 50 MB sheet shown in the editor, once its text is encoded for
// its file in steps between the events (encoded_after_ms): before each,
// `edit` changes it; its text is taken by `take` (snapshot_ms, the window's
// part), then written as a package (write_ms).
template <typename Edit, typename Take>
void timeSaves(benchmark::State& state, kr::NowAndLaterBoardTextView& view, Edit edit, Take take) {
  view.showSheetDocument(
      kr::NowAndLaterBoardTextView::buildSheetDocument(fiftyMegabytesOfNotes(), view.sheetLook()));
  QElapsedTimer encoding;
  encoding.start();
  while (view.isEncodingInSteps())
    QApplication::processEvents();
  state.counters["encoded_after_ms"] = encoding.nsecsElapsed() / 1e6;
  QTemporaryDir folder;
  double snapshot = 0;
  double write = 0;
  for (auto _ : state) {
    edit();
    QElapsedTimer timer;
    timer.start();
    const auto text = take();
    snapshot = std::max(snapshot, timer.nsecsElapsed() / 1e6);
    timer.restart();
    kr::RtfdPackage::write(folder.filePath(QStringLiteral("sheet.rtfd")), text);
    write = std::max(write, timer.nsecsElapsed() / 1e6);
  }
  state.counters["snapshot_ms"] = snapshot;
  state.counters["write_ms"] = write;
}

// The text taken from the editor's document as a whole.
void BM_SaveAFiftyMegabyteSheet(benchmark::State& state) {
  kr::bench::ShownPadEditor pad;
  timeSaves(
      state, pad.view, [] {},
      [&] { return kr::RichTextDocument::fromDocument(*pad.view.document()); });
}

// The same through the editor's encoded text, after a key at the top.
void BM_SaveAFiftyMegabyteSheetEncoded(benchmark::State& state) {
  kr::bench::ShownPadEditor pad;
  timeSaves(
      state, pad.view, [&] { QTextCursor(pad.view.document()).insertText(QStringLiteral("x")); },
      [&] { return pad.view.encodedText(); });
  // The whole text encoded once, as a long sheet is while it is built.
  QTextDocument built;
  kr::RichTextDocument::fill(&built, fiftyMegabytesOfNotes());
  QElapsedTimer timer;
  timer.start();
  kr::RtfChunkCache::of(&built)->encodeFor(-1);
  state.counters["encode_all_ms"] = timer.nsecsElapsed() / 1e6;
}

// A key at the top of a 50 MB sheet as soon as it is painted, long before
// its encoding in steps is over, and the save that follows at once: the
// window's part of it (snapshot_ms, the rest encoded by helper threads while
// the window waits) against the rest encoded on the window's thread alone
// (one_thread_ms), and the key from its press to the repainted editor (key_ms).
void BM_SaveAFiftyMegabyteSheetRightAfterItAppears(benchmark::State& state) {
  kr::bench::ShownPadEditor pad;
  kr::NowAndLaterBoardTextView& view = pad.view;
  double snapshot = 0;
  double oneThread = 0;
  double key = 0;
  qint64 staleAtSave = 0;
  const auto showAndType = [&] {
    view.showSheetLoading();
    QApplication::processEvents();
    view.showSheetDocument(kr::NowAndLaterBoardTextView::buildSheetDocument(fiftyMegabytesOfNotes(),
                                                                            view.sheetLook()));
    view.viewport()->repaint();
    view.setTextCursor(QTextCursor(view.document()));
    view.setFocus();
    QElapsedTimer timer;
    timer.start();
    kr::bench::typeKey(&view, u'x');
    view.viewport()->repaint();
    QApplication::processEvents();
    key = std::max(key, timer.nsecsElapsed() / 1e6);
    staleAtSave = kr::RtfChunkCache::find(view.document())->staleBlocks();
  };
  for (auto _ : state) {
    state.PauseTiming();
    showAndType();
    state.ResumeTiming();
    QElapsedTimer timer;
    timer.start();
    benchmark::DoNotOptimize(view.encodedText());
    snapshot = std::max(snapshot, timer.nsecsElapsed() / 1e6);
    state.PauseTiming();
    showAndType();
    timer.restart();
    kr::RtfChunkCache::find(view.document())->encodeFor(-1);
    oneThread = std::max(oneThread, timer.nsecsElapsed() / 1e6);
    state.ResumeTiming();
  }
  state.counters["snapshot_ms"] = snapshot;
  state.counters["one_thread_ms"] = oneThread;
  state.counters["key_ms"] = key;
  state.counters["stale_blocks_at_save"] = double(staleAtSave);
  state.counters["threads"] = kr::RtfChunkCache::encodingThreads();
}

BENCHMARK(BM_SaveAFiftyMegabyteSheetRightAfterItAppears)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_SaveAFiftyMegabyteSheet)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SaveAFiftyMegabyteSheetEncoded)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SwapInAFiftyMegabyteSheet)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_TypeAtTheTopOfAFiftyMegabyteSheet)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20)
    ->Arg(500);
BENCHMARK(BM_TypeInTheMiddleOfAFiftyMegabyteSheet)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20)
    ->Arg(500);
BENCHMARK(BM_TypeAtTheEndOfAFiftyMegabyteSheet)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20)
    ->Arg(500);

} // namespace
