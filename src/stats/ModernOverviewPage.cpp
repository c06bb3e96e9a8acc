// The fixed text around the overview's script values.
#include "stats/ModernOverviewStatistic.h"

namespace kr {

QString ModernOverviewStatistic::pageHead() {
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

QString ModernOverviewStatistic::pageTail() {
  return QStringLiteral(R"(
        </script>
        <style>
        body { background-color: #EADBC4; }
        .ct-bar { stroke-opacity: 0.8; }
        .ct-grid { stroke: rgba(0.1, 0.1, 0.1, 0.5); }
        .ct-grid.ct-vertical { stroke-dasharray: none; }
        .ct-grid.ct-horizontal { stroke-dasharray: 1px; }
        </style>
        <title></title>
        </head>
        <body oncontextmenu="return false;">
        <div class="ct-chart ct-golden-section"></div>
        <div id="legend"></div>
        <script language="javascript" type="text/javascript">
        var legendElement = document.getElementById('legend');

        if (!$use_minutes_y_axis) {
            [experiencedFlow, highlyFocused, good, distracted].forEach(function (series) {
                for (var i = 0; i < series.length; i++) {
                    series[i] = series[i] / 60;
                }
            });
        }

        var data = {
            labels: labels,
            series: [experiencedFlow, highlyFocused, good, distracted]
        };

        var numberOfDays = experiencedFlow.length;
        function fullName(value) { return value; }
        function firstLetters(count) {
            return function (value) { return value.slice(0, count); };
        }
        function mondayWednesdayFriday(value) {
            if (value === 'Monday') { return 'M'; }
            if (value === 'Wednesday') { return 'W'; }
            if (value === 'Friday') { return 'F'; }
            return '';
        }

        var smallScreenLabels = firstLetters(1);
        var mediumScreenLabels = firstLetters(2);
        var largeScreenLabels = firstLetters(3);
        if (numberOfDays === 7) {
            smallScreenLabels = firstLetters(3);
            mediumScreenLabels = fullName;
            largeScreenLabels = fullName;
        } else if (numberOfDays === 14) {
            smallScreenLabels = firstLetters(2);
            mediumScreenLabels = firstLetters(2);
            largeScreenLabels = firstLetters(3);
        } else if (numberOfDays === 28) {
            smallScreenLabels = mondayWednesdayFriday;
            mediumScreenLabels = firstLetters(1);
            largeScreenLabels = firstLetters(2);
        }

        var options = {
            stackBars: true,
            fullWidth: true,
            axisY: {
                onlyInteger: true
            },
            plugins: [
                Chartist.plugins.legend({
                    legendNames: ['Experienced Flow', 'Highly Focused', 'Good', 'Distracted'],
                    position: legendElement
                })
            ]
        };

        var responsiveOptions = [
            ['screen and (max-width: 2048px)', {
                axisX: { labelInterpolationFnc: largeScreenLabels }
            }],
            ['screen and (max-width: 800px)', {
                axisX: { labelInterpolationFnc: mediumScreenLabels }
            }],
            ['screen and (max-width: 400px)', {
                axisY: { onlyInteger: true },
                axisX: { labelInterpolationFnc: smallScreenLabels }
            }]
        ];

        if ($use_minutes_y_axis) {
            options.axisY = {
                onlyInteger: true,
                labelOffset: { x: 0, y: 5 },
                position: 'start',
                offset: 40,
                type: Chartist.FixedScaleAxis,
                low: 0,
                high: 60,
                ticks: [0, 15, 30, 45, 60]
            };
        } else {
            options.axisY = {
                onlyInteger: true,
                labelOffset: { x: 0, y: 5 },
                offset: 30,
                labelInterpolationFnc: function (value) {
                    return value === 0 ? '' : value + ' h';
                }
            };
        }

        var chart = new Chartist.Bar('.ct-chart', data, options, responsiveOptions);
        chart.on('draw', function (context) {
            if (context.type === 'bar') {
                context.element.attr({ style: 'stroke-width: ' + barWidth });
            }
        });
        </script>
        </body>
        </html>
)");
}

} // namespace kr
