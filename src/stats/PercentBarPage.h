#pragma once

#include "stats/ConcentrationLevel.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <map>
#include <vector>

namespace kr {

// What the day-of-week and hour-of-day pages share: both add up seconds per
// concentration level under a row key, turn them into percentages of the row's
// total and draw them as full-width horizontal bars from 0 to 100 percent.
namespace percentbars {

using LevelValues = std::map<ConcentrationLevel, double>;
using ValuesByKey = QHash<QString, LevelValues>;

// One responsive rule of the bar chart.
struct ResponsiveRule {
  QString mediaQuery;
  int seriesBarDistance;
  int axisYOffset;
  // The body of the category labels' function of `value`; empty: none.
  QString labelFunctionBody;
};

// Adds `seconds` under `key`: to the level's value when the rating is a level
// (the entry is made then), to the key's total always.
void add(ValuesByKey& values, QHash<QString, double>& totals, const QString& key,
         const QString& rating, double seconds);
// The value of `level` under `key`; 0 when there is none.
double valueOf(const ValuesByKey& values, const QString& key, ConcentrationLevel level);
// "{ Friday = { distracted = 1200; experiencedFlow = 3600; }; }", the keys in
// the given order, only those that have an entry.
QString describe(const ValuesByKey& values, const QStringList& keys);
// The "var" lines of the four series, one value per row.
QString seriesScript(const ValuesByKey& values, const QStringList& rows);

// The head of every percent page and the report: the overview's head without
// its two empty lines.
QString pageHead();
// The tail of a percent bar page with its three responsive rules.
QString pageTail(const std::vector<ResponsiveRule>& rules);

} // namespace percentbars

} // namespace kr
