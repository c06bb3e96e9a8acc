// Typing into a pad holding 1 MB of text, with the text options at their
// defaults and spelling checked by Hunspell: each key, from the key press to
// the repainted editor, at the end of the text and in its middle.
#include "PadBenchSupport.h"
#include "kit/text/NowAndLaterBoardTextView.h"
#include "platform/richtext/RichText.h"

#include <QApplication>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextCursor>

namespace {

kr::RichText megabyteOfNotes() {
  QString text;
  text.reserve(1024 * 1024 + 100);
  for (int line = 0; text.size() < 1024 * 1024; ++line)
    text += QStringLiteral("%1: a line of notes abuot the work of the day, with \"words\" -- "
                           "see www.example.org.\n")
                .arg(line);
  return kr::RichText(text);
}

void typeInto(benchmark::State& state, bool middle) {
  kr::bench::ShownPadEditor pad;
  kr::NowAndLaterBoardTextView& view = pad.view;
  view.showSheet(megabyteOfNotes());
  QTextCursor caret(view.document());
  if (middle)
    caret.setPosition(view.document()->characterCount() / 2);
  else
    caret.movePosition(QTextCursor::End);
  view.setTextCursor(caret);
  view.ensureCursorVisible();
  view.setFocus();
  QApplication::processEvents();
  kr::bench::timeKeys(state, view,
                      QStringLiteral("teh quick brown fox jumps over \"the\" lazy dog "));
  state.counters["spelling"] = pad.spelling.checker.isAvailable() ? 1 : 0;
}

void BM_TypeAtTheEndOfAMegabyteSheet(benchmark::State& state) { typeInto(state, false); }
void BM_TypeInTheMiddleOfAMegabyteSheet(benchmark::State& state) { typeInto(state, true); }
BENCHMARK(BM_TypeAtTheEndOfAMegabyteSheet)->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK(BM_TypeInTheMiddleOfAMegabyteSheet)->Unit(benchmark::kMillisecond)->Iterations(200);

} // namespace
