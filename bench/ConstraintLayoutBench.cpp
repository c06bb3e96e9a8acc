// Solving a page of 60 bricks and 240 constraints from scratch: builds the
// solver, takes the intrinsic sizes and lays every brick out.
#include "platform/layout/ConstraintLayout.h"

#include <QApplication>
#include <QLabel>

#include <benchmark/benchmark.h>

using namespace kr;
using A = LayoutAttribute;

namespace {

LayoutConstraint pin(QWidget* a, A aa, QWidget* b, A ba, double c, double m = 1.0) {
  return LayoutConstraint(a, aa, LayoutRelation::Equal, b, ba, m, c);
}

void SolvePageFromScratch(benchmark::State& state) {
  QWidget page;
  auto* layout = ConstraintLayout::of(&page);
  const int rows = 20, columns = 3;
  std::vector<QLabel*> bricks;
  LayoutConstraints constraints;
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      auto* brick = new QLabel(QStringLiteral("Brick %1.%2").arg(r).arg(c), &page);
      layout->addWidget(brick);
      QWidget* above = r > 0 ? bricks[size_t((r - 1) * columns + c)] : nullptr;
      QWidget* left = c > 0 ? bricks.back() : nullptr;
      constraints << (left ? pin(brick, A::Left, left, A::Right, 8)
                           : pin(brick, A::Left, &page, A::Left, 8))
                  << (above ? pin(brick, A::Top, above, A::Bottom, 8)
                            : pin(brick, A::Top, &page, A::Top, 8))
                  << (c == columns - 1 ? pin(brick, A::Right, &page, A::Right, -8)
                                       : pin(brick, A::Width, &page, A::Width, -16, 0.25))
                  << (above ? pin(brick, A::Height, above, A::Height, 0)
                            : LayoutConstraint(brick, A::Height, LayoutRelation::GreaterThanOrEqual,
                                               nullptr, A::NotAnAttribute, 1.0, 22));
      bricks.push_back(brick);
    }
  }
  layout->addConstraints(constraints);
  const QRect frame(0, 0, 800, 1000);
  for (auto _ : state) {
    layout->discardSolver();
    layout->setGeometry(frame);
  }
  state.counters["constraints"] = double(layout->constraints().size());
  state.counters["bricks"] = double(bricks.size());
}

} // namespace

BENCHMARK(SolvePageFromScratch)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
