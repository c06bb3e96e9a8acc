#include "stats/Statistic.h"

namespace kr {

void Statistic::computeStatistic(const FullDataSet*) {}

bool Statistic::noDataToShow() const { return false; }

QString Statistic::render() const { return QStringLiteral("<empty>"); }

} // namespace kr
