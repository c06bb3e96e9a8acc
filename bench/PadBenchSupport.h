#pragma once

// What the pad benchmarks share: Hunspell installed for a run, keys sent as
// a user types them, and each key timed to the repainted editor.
#include "kit/text/NowAndLaterBoardTextView.h"
#include "platform/linux/spelling/HunspellSpellChecker.h"
#include "platform/services/SpellCheckerAPI.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTextEdit>

#include <benchmark/benchmark.h>

#include <algorithm>

namespace kr::bench {

struct InstalledSpelling {
  kr::HunspellSpellChecker checker{QStringLiteral("en_US")};
  InstalledSpelling() { kr::SpellCheckerAPI::install(&checker); }
  ~InstalledSpelling() { kr::SpellCheckerAPI::install(nullptr); }
  InstalledSpelling(const InstalledSpelling&) = delete;
  InstalledSpelling& operator=(const InstalledSpelling&) = delete;
};

// A pad's editor as the benchmarks use it: Hunspell installed, the editor
// 400 by 600 pixels and shown.
struct ShownPadEditor {
  InstalledSpelling spelling;
  kr::NowAndLaterBoardTextView view;
  ShownPadEditor() {
    view.awakeFromNib();
    view.resize(400, 600);
    view.show();
    QApplication::processEvents();
  }
};

inline void typeKey(QWidget* view, QChar c) {
  const int key = c == u' ' ? int(Qt::Key_Space) : int(c.toUpper().unicode());
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
  QApplication::sendEvent(view, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
  QApplication::sendEvent(view, &release);
}

// One key of `keys` (in turn) per iteration, from the press to the editor
// repainted and the events it caused served; the worst and mean key as
// counters.
inline void timeKeys(benchmark::State& state, QTextEdit& view, const QString& keys) {
  int i = 0;
  double worst = 0;
  double total = 0;
  for (auto _ : state) {
    QElapsedTimer timer;
    timer.start();
    typeKey(&view, keys.at(i++ % keys.size()));
    view.viewport()->repaint();
    QApplication::processEvents();
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    worst = std::max(worst, ms);
    total += ms;
  }
  state.counters["worst_key_ms"] = worst;
  state.counters["mean_key_ms"] = total / double(state.iterations());
}

} // namespace kr::bench
