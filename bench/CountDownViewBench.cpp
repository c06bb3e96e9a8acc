// The rest screen's dial frame by frame, as the screen shows it: a 600x600
// dial in a 1440x900 window, the ring pulsing and the slice turning, each
// frame repainted where refresh() asks. With argument 1 the memory is made
// cold between frames, as half a second of other programs leaves it.
#include "kit/CountDownView.h"
#include "kit/ProportionValueProvider.h"

#include "platform/FreedMemory.h"
#include "support/TestClock.h"

#include <QWidget>

#include <benchmark/benchmark.h>

#include <vector>

namespace {

struct Provider final : kr::ProportionValueProvider {
  double currentProportion() const override { return value; }
  double value = 0.1;
};

void BM_DialFrame(benchmark::State& state) {
  // Large blocks taken from the system and given back at once, as in the program.
  kr::keepLargeBlocksOutOfTheHeap();
  kr::test::TestClock clock;
  QWidget window;
  window.setAttribute(Qt::WA_DontShowOnScreen);
  window.resize(1440, 900);
  auto* view = new kr::CountDownView(&window);
  view->setGeometry(420, 150, 600, 600);
  Provider provider;
  view->setProportionValueProvider(&provider);
  window.show();
  view->animate(600.0);
  view->repaint();
  std::vector<char> other(64 << 20, 1);
  qint64 rects = 0;
  for (auto _ : state) {
    state.PauseTiming();
    clock.advance(0.5);
    provider.value += 0.5 / 600.0;
    if (state.range(0) != 0) {
      for (size_t i = 0; i < other.size(); i += 64)
        other[i] = static_cast<char>(other[i] + 1);
    }
    state.ResumeTiming();
    if (view->refresh()) {
      rects += view->requestedRegion().rectCount();
      view->repaint(view->requestedRegion());
    }
  }
  state.counters["rects"] = benchmark::Counter(double(rects), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_DialFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace
