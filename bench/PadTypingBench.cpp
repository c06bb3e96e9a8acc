// Typing into a pad holding 1 MB of text, with the text options at their
// defaults and spelling checked by Hunspell: each key, from the key press to
// the repainted editor, at the end of the text and in its middle.
#include "kit/NowAndLaterBoardTextView.h"
#include "platform/RichText.h"
#include "platform/SpellCheckerAPI.h"
#include "platform/linux/spelling/HunspellSpellChecker.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextCursor>

#include <benchmark/benchmark.h>

#include <algorithm>

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

void typeKey(QWidget* view, QChar c) {
  const int key = c == u' ' ? int(Qt::Key_Space) : int(c.toUpper().unicode());
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
  QApplication::sendEvent(view, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
  QApplication::sendEvent(view, &release);
}

void typeInto(benchmark::State& state, bool middle) {
  kr::HunspellSpellChecker spelling(QStringLiteral("en_US"));
  kr::SpellCheckerAPI::install(&spelling);
  kr::NowAndLaterBoardTextView view;
  view.awakeFromNib();
  view.resize(400, 600);
  view.show();
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
  const QString keys = QStringLiteral("teh quick brown fox jumps over \"the\" lazy dog ");
  int i = 0;
  double worst = 0;
  double total = 0;
  for (auto _ : state) {
    QElapsedTimer timer;
    timer.start();
    typeKey(&view, keys.at(i++ % keys.size()));
    view.viewport()->repaint();
    QApplication::processEvents();
    const double ms = timer.nsecsElapsed() / 1e6;
    worst = std::max(worst, ms);
    total += ms;
  }
  state.counters["worst_key_ms"] = worst;
  state.counters["mean_key_ms"] = total / double(state.iterations());
  state.counters["spelling"] = spelling.isAvailable() ? 1 : 0;
  kr::SpellCheckerAPI::install(nullptr);
}

void BM_TypeAtTheEndOfAMegabyteSheet(benchmark::State& state) { typeInto(state, false); }
void BM_TypeInTheMiddleOfAMegabyteSheet(benchmark::State& state) { typeInto(state, true); }
BENCHMARK(BM_TypeAtTheEndOfAMegabyteSheet)->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK(BM_TypeInTheMiddleOfAMegabyteSheet)->Unit(benchmark::kMillisecond)->Iterations(200);

} // namespace
