#include "stats/PercentBarPage.h"

#include "stats/JavaScriptSource.h"

namespace kr::percentbars {

void add(ValuesByKey& values, QHash<QString, double>& totals, const QString& key,
         const QString& rating, double seconds) {
  if (const std::optional<ConcentrationLevel> level = concentration::fromRawValue(rating))
    values[key][*level] += seconds;
  totals[key] += seconds;
}

double valueOf(const ValuesByKey& values, const QString& key, ConcentrationLevel level) {
  const auto entry = values.constFind(key);
  if (entry == values.constEnd())
    return 0.0;
  const auto found = entry->find(level);
  return found == entry->end() ? 0.0 : found->second;
}

QString describe(const ValuesByKey& values, const QStringList& keys) {
  QString text = QStringLiteral("{");
  for (const QString& key : keys) {
    const auto entry = values.constFind(key);
    if (entry == values.constEnd())
      continue;
    text += u' ' + key + QStringLiteral(" = {");
    for (const auto& [level, value] : *entry)
      text += u' ' + concentration::caseName(level) + QStringLiteral(" = ") +
              QString::number(value, 'g', 17) + u';';
    text += QStringLiteral(" };");
  }
  return text + QStringLiteral(" }");
}

QString seriesScript(const ValuesByKey& values, const QStringList& rows) {
  QString script;
  for (ConcentrationLevel level : concentration::sequence) {
    std::vector<double> series;
    series.reserve(std::size_t(rows.size()));
    for (const QString& row : rows)
      series.push_back(valueOf(values, row, level));
    script += QStringLiteral("var ") + concentration::caseName(level) + QStringLiteral(" = ") +
              asJavaScriptSource(series) + QStringLiteral(";\n");
  }
  return script;
}

QString pageHead() {
  return QStringLiteral(
      R"(        <!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 4.01//EN" "http://www.w3.org/TR/html4/strict.dtd">
        <html>
        <head>
        <link rel="stylesheet" type="text/css" href="vt/chartist.css">
        <script type="text/javascript" src="chartist.min.js"></script>
        <script type="text/javascript" src="vt/plugins/chartist-plugin-legend.js"></script>
        <script language="javascript" type="text/javascript">

            )");
}

namespace {

QString responsiveRule(const ResponsiveRule& rule, bool last) {
  QString text = QStringLiteral(R"(            ['%1', {
                seriesBarDistance: %2,
                axisY: {
                    offset: %3)")
                     .arg(rule.mediaQuery)
                     .arg(rule.seriesBarDistance)
                     .arg(rule.axisYOffset);
  if (!rule.labelFunctionBody.isEmpty())
    text += QStringLiteral(",\n                    labelInterpolationFnc: function (value) { ") +
            rule.labelFunctionBody + QStringLiteral(" }");
  text += QStringLiteral("\n                }\n            }]");
  return text + (last ? QStringLiteral("\n") : QStringLiteral(",\n"));
}

} // namespace

QString pageTail(const std::vector<ResponsiveRule>& rules) {
  QString text = QStringLiteral(R"(
        </script>
        <style>
        body { background-color: #EADBC4; }
        .ct-bar { stroke-opacity: 0.8; }
        .ct-grid { stroke: rgba(0.1, 0.1, 0.1, 0.5); }
        .ct-grid.ct-horizontal { stroke-dasharray: none; }
        .ct-grid.ct-vertical { stroke-dasharray: 1px; }
        </style>
        <title></title>
        </head>
        <body oncontextmenu="return false;">
        <div class="ct-chart ct-golden-section"></div>
        <div id="legend"></div>
        <script language="javascript" type="text/javascript">
        var legendElement = document.getElementById('legend');

        var data = {
            labels: labels,
            series: [experiencedFlow, highlyFocused, good, distracted]
        };

        var options = {
            stackBars: true,
            fullWidth: true,
            horizontalBars: true,
            axisY: {
                position: 'start',
                onlyInteger: true
            },
            axisX: {
                type: Chartist.FixedScaleAxis,
                onlyInteger: true,
                high: 100,
                low: 0,
                ticks: [0, 25, 50, 75, 100],
                labelInterpolationFnc: function (value) {
                    return value === 0 || value === 100 ? '' : value + '%';
                }
            },
            plugins: [
                Chartist.plugins.legend({
                    legendNames: ['Experienced Flow', 'Highly Focused', 'Good', 'Distracted'],
                    position: legendElement
                })
            ]
        };

        var responsiveOptions = [
)");
  for (std::size_t i = 0; i < rules.size(); ++i)
    text += responsiveRule(rules[i], i + 1 == rules.size());
  text += QStringLiteral(R"(        ];

        new Chartist.Bar('.ct-chart', data, options, responsiveOptions);
        </script>
        </body>
        </html>
)");
  return text;
}

} // namespace kr::percentbars
