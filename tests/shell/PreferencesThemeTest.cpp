// The preferences window is drawn in the desktop's palette: under a light and
// a dark desktop theme its unticked check boxes and radio buttons, and the
// shortcut recorders' fields, stand out from the window they sit on.
#include "PreferencesFixture.h"

#include "platform/MacOSXVersion.h"
#include "platform/drawing/MacOSVersion.h"
#include "preferences/PreferencesController.h"
#include "preferences/ShortcutsPane.h"
#include "shortcuts/RecordView.h"

#include "support/DarkPalette.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QHash>
#include <QImage>
#include <QRadioButton>
#include <QScopeGuard>
#include <QStackedWidget>
#include <QStyle>
#include <QStyleOptionButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace kr;

namespace {

class PreferencesTheme : public test::PreferencesFixture {};

QPalette lightDesktop() { return kr::test::lightDesktopPalette(); }

// A dark GTK theme's colours as the desktop hands them over (its window a
// little lighter than its fields).
QPalette darkGtkDesktop() {
  QPalette palette = test::darkDesktopPalette();
  palette.setColor(QPalette::Window, QColor(0x35, 0x35, 0x35));
  palette.setColor(QPalette::Base, QColor(0x2d, 0x2d, 0x2d));
  palette.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xec));
  palette.setColor(QPalette::Text, QColor(0xee, 0xee, 0xec));
  return palette;
}

double contrast(QRgb a, QRgb b) { return kr::test::contrastRatio(a, b); }

// The colour most pixels of `shot` in `area` but outside `inner` show.
QRgb mostIn(const QImage& shot, const QRect& area, const QRect& inner = {}) {
  QHash<QRgb, int> counts;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (!inner.contains(x, y))
        ++counts[shot.pixel(x, y) | 0xff000000u];
  QRgb best = 0;
  int most = -1;
  for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
    if (it.value() > most) {
      most = it.value();
      best = it.key();
    }
  }
  return best;
}

// How far the pixel of `shot` in `area` that differs most from `ground` stands
// out from it.
double standsOut(const QImage& shot, const QRect& area, QRgb ground) {
  double best = 1.0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      best = std::max(best, contrast(shot.pixel(x, y), ground));
  return best;
}

// The least contrast of an unticked box or circle of the shown pane with the
// window round it (the band just outside the indicator), and how many there
// were.
std::pair<double, int> faintestIndicator(QWidget* window, const QImage& shot) {
  double least = 21.0;
  int count = 0;
  for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
    const bool box = qobject_cast<QCheckBox*>(button) != nullptr;
    if ((!box && !qobject_cast<QRadioButton*>(button)) || button->isChecked() ||
        !button->isVisibleTo(window) || !button->isEnabled())
      continue;
    QStyleOptionButton option;
    option.initFrom(button);
    const QRect indicator = button->style()->subElementRect(
        box ? QStyle::SE_CheckBoxIndicator : QStyle::SE_RadioButtonIndicator, &option, button);
    // Only a box wholly in sight, away from the edges of what holds it.
    if (!button->visibleRegion().contains(indicator.adjusted(-2, -2, 2, 2)))
      continue;
    const QRect onShot(button->mapTo(window, indicator.topLeft()), indicator.size());
    const QRgb ground = mostIn(shot, onShot.adjusted(-2, -2, 2, 2), onShot);
    least = std::min(least, standsOut(shot, onShot, ground));
    ++count;
  }
  return {least, count};
}

} // namespace

// Each pane is drawn under a light and a dark desktop palette. Every unticked
// check box and radio button in sight stands out from the window round it by
// 3 : 1; each shortcut recorder's edge from the window by 3 : 1, its field in
// the theme's tone (a dark one under the dark theme, a light one under the
// light theme).
TEST_F(PreferencesTheme, UntickedBoxesAndShortcutFieldsStandOutUnderALightAndADarkDesktop) {
  const QPalette desktop = QApplication::palette();
  MacOSXVersion::setDarkModeProbe(&MacOSVersion::paletteIsDark);
  const auto restore = qScopeGuard([&] {
    QApplication::setPalette(desktop);
    MacOSXVersion::setDarkModeProbe({});
  });
  for (const bool dark : {false, true}) {
    SCOPED_TRACE(dark ? "dark desktop" : "light desktop");
    QApplication::setPalette(dark ? darkGtkDesktop() : lightDesktop());
    runWith([&](PreferencesController& c) {
      QDialog* window = c.window();
      window->resize(900, 700);
      int boxes = 0;
      for (const QString& pane : PreferencesController::kPaneIdentifiers) {
        QAction* item = c.toolbarItem(pane);
        if (!item || !item->isEnabled())
          continue;
        item->trigger();
        QCoreApplication::processEvents();
        const QImage shot = window->grab().toImage();
        const auto [least, count] = faintestIndicator(window, shot);
        boxes += count;
        if (count > 0) {
          EXPECT_GE(least, 3.0) << pane.toStdString();
          qInfo("%s desktop, %s: faintest unticked box %.2f : 1", dark ? "dark" : "light",
                qPrintable(pane), least);
        }
        if (pane != QLatin1String("Shortcuts"))
          continue;
        double leastEdge = 21.0;
        QRgb ground = 0;
        QRgb field = 0;
        for (const QString& root : PreferencesController::kShortcutRoots) {
          RecordView* recorder = c.shortcutsPane()->recordView(root);
          ASSERT_NE(recorder, nullptr);
          const QRect onShot(recorder->mapTo(window, QPoint()), recorder->size());
          ground = mostIn(shot, onShot.adjusted(-2, -2, 2, 2), onShot);
          const QRect edge = onShot;
          const double out =
              std::max(standsOut(shot, QRect(edge.topLeft(), QSize(edge.width(), 2)), ground),
                       standsOut(shot, QRect(edge.topLeft(), QSize(2, edge.height())), ground));
          EXPECT_GE(out, 3.0) << root.toStdString();
          field = mostIn(shot, onShot.adjusted(3, 3, -3, -3));
          if (dark)
            EXPECT_LT(kr::test::relativeLuminance(field), 0.1)
                << root.toStdString() << " " << QColor(field).name().toStdString();
          else
            EXPECT_GT(kr::test::relativeLuminance(field), 0.6)
                << root.toStdString() << " " << QColor(field).name().toStdString();
          // The one with the keyboard focus has the focus rim instead.
          if (!recorder->hasFocus())
            leastEdge = std::min(leastEdge, out);
        }
        qInfo("%s desktop: faintest recorder edge %.2f : 1 on %s, field %s",
              dark ? "dark" : "light", leastEdge, qPrintable(QColor(ground).name()),
              qPrintable(QColor(field).name()));
      }
      EXPECT_GE(boxes, 8) << "unticked boxes in sight";
    });
  }
}
