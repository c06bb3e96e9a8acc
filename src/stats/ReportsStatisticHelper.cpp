#include "stats/ReportsStatisticHelper.h"

#include "stats/PercentBarPage.h"

namespace kr {

QString ReportsStatisticHelper::renderOutputString(const QString& script) {
  return percentbars::pageHead() + script + pageTail();
}

QString ReportsStatisticHelper::pageTail() {
  return QStringLiteral(R"(
        </script>
        <title></title>
        <style>
        .ct-legend.ct-legend-inside { position: relative; }
        body { background-color: #EADBC4; }
        .ct-bar { stroke-opacity: 0.8; }
        .ct-grid { stroke: rgba(0.1, 0.1, 0.1, 0.5); }
        .ct-grid.ct-horizontal { stroke-dasharray: none; }
        .ct-grid.ct-vertical { stroke-dasharray: 1px; }
        table, th, td { }
        table#value_table { font-size: .75rem; color: rgba(0,0,0,0.4); padding-bottom: 10px; }
        .label { color: rgba(0,0,0,0.4); }
        .value { color: rgba(0,0,0,0.5); }
        </style>
        </head>
        <body oncontextmenu="return false;">
        <table id="value_table" align="center">
        <tr><td class="label">Hours:</td><td class="value" id="hours_placeholder"></td></tr>
        <tr><td class="label">Time Slices:</td><td class="value" id="time_slices_placeholder"></td></tr>
        <tr><td class="label">Distinct Days:</td><td class="value" id="distinct_days_placeholder"></td></tr>
        </table>
        <script language="javascript" type="text/javascript">
        document.getElementById('hours_placeholder').insertAdjacentHTML('beforeend', $time);
        document.getElementById('time_slices_placeholder').insertAdjacentHTML('beforeend', $timeslice_value);
        document.getElementById('distinct_days_placeholder').insertAdjacentHTML('beforeend', $days_value);
        </script>
        <div class="ct-chart ct-golden-section"></div>
        <div id="legend"></div>
        <script language="javascript" type="text/javascript">
        var legendElement = document.getElementById('legend');

        var data = {
            labels: $labels,
            series: [$flow, $highlyConcentrated, $good, $distracted]
        };

        var options = {
            donut: true,
            labelPosition: 'inside',
            labelDirection: 'implode',
            fullWidth: true,
            plugins: [
                Chartist.plugins.legend({
                    legendNames: ['Experienced Flow', 'Highly Focused', 'Good', 'Distracted'],
                    position: legendElement
                })
            ]
        };

        var responsiveOptions = [
            ['screen and (min-width: 801px) and (max-width: 2048px)', {}],
            ['screen and (min-width: 401px) and (max-width: 800px)', {}],
            ['screen and (max-width: 400px)', {}]
        ];

        new Chartist.Pie('.ct-chart', data, options, responsiveOptions);
        </script>
        </body>
        </html>
)");
}

} // namespace kr
