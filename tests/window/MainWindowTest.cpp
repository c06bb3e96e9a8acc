#include "window/MainWindow.h"
#include "window/MainMenu.h"
#include "window/MainWindowController.h"
#include "window/MenuItemManager.h"

#include "kit/walls/Wall.h"
#include "platform/settings/UserDefaults.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

using namespace kr;

namespace {

struct Page {
  Page() {
    info.setMinimumSize(440, 200);
    buttons.setFixedSize(440, 34);
    field = new QLineEdit(&info);
  }
  QWidget info;
  QWidget buttons;
  QLineEdit* field;
};

void forgetPosition() {
  // -1 means never placed; the application registers it so.
  UserDefaults::standard().registerDefault(QStringLiteral("topLeftX"), -1.0);
  UserDefaults::standard().registerDefault(QStringLiteral("topLeftY"), -1.0);
  UserDefaults::standard().remove(QStringLiteral("topLeftX"));
  UserDefaults::standard().remove(QStringLiteral("topLeftY"));
}

} // namespace

TEST(MainWindow, FirstPageGoesToTheDefaultPositionAndLaterPagesDoNotMoveIt) {
  forgetPosition();
  auto window = MainWindow::makeMainWindow(UserDefaults::standard());
  MainWindowController& controller = window->controller();
  Page first;
  controller.showPage(&first.info, &first.buttons, first.field);
  window->show();
  const QRect visible = QGuiApplication::primaryScreen()->availableGeometry();
  const QSize size = window->frameGeometry().size();
  EXPECT_EQ(window->pos(), QPoint(visible.x() + visible.width() / 2 - (size.width() + 1) / 2,
                                  visible.y() + (size.height() + 1) / 2));
  EXPECT_TRUE(controller.initialPositionAlreadyGiven());
  // The button wall keeps its size, 8 in from the right of the 400-wide container.
  EXPECT_EQ(first.buttons.geometry(), QRect(-48, 1, 440, 34));
  EXPECT_EQ(first.info.parentWidget(), controller.infoWallContainer());
  EXPECT_EQ(window->focusWidget(), first.field);
  EXPECT_GE(controller.buttonWallContainer()->y(),
            controller.infoWallContainer()->y() + controller.infoWallContainer()->height());

  window->move(120, 80);
  EXPECT_EQ(UserDefaults::standard().doubleValue(QStringLiteral("topLeftX")), 120.0);
  EXPECT_EQ(UserDefaults::standard().doubleValue(QStringLiteral("topLeftY")), 80.0);
  Page second;
  controller.showPage(&second.info, &second.buttons, nullptr);
  EXPECT_EQ(window->pos(), QPoint(120, 80));
  EXPECT_EQ(first.info.parentWidget(), nullptr);
  EXPECT_EQ(first.buttons.parentWidget(), nullptr);
  controller.detachPage();
}

// A page shown while the window is hidden sets the window's size; the size
// the window system reports late for the page shown before (the window was
// hidden before it answered) does not come back when the window shows again.
TEST(MainWindow, ALateSizeOfThePreviousPageDoesNotOutliveThePageShownWhileHidden) {
  forgetPosition();
  auto window = MainWindow::makeMainWindow(UserDefaults::standard());
  MainWindowController& controller = window->controller();
  Page tall;
  tall.info.setFixedSize(440, 300);
  controller.showPage(&tall.info, &tall.buttons, nullptr);
  window->show();
  const int tallHeight = window->height();
  window->hide();
  Page low;
  low.info.setFixedSize(440, 100);
  controller.showPage(&low.info, &low.buttons, nullptr);
  const int lowHeight = window->sizeHint().height();
  ASSERT_LT(lowHeight, tallHeight);
  EXPECT_EQ(window->height(), lowHeight);
  // The window system now answers the tall page's show.
  QCoreApplication::processEvents();
  window->show();
  QCoreApplication::processEvents();
  EXPECT_EQ(window->height(), lowHeight);
  ASSERT_NE(window->windowHandle(), nullptr);
  EXPECT_EQ(window->windowHandle()->height(), lowHeight);
  controller.detachPage();
}

TEST(MainWindow, RememberedCornerIsUsedAsStored) {
  UserDefaults::standard().setValue(QStringLiteral("topLeftX"), 33.0);
  UserDefaults::standard().setValue(QStringLiteral("topLeftY"), 44.0);
  auto window = MainWindow::makeMainWindow(UserDefaults::standard());
  Page page;
  window->controller().showPage(&page.info, &page.buttons, nullptr);
  EXPECT_EQ(window->pos(), QPoint(33, 44));
  window->controller().detachPage();
  forgetPosition();
}

TEST(MainWindow, ARightEdgePastTheScreenIsPulledBackAndTheMoveRemembered) {
  forgetPosition();
  auto window = MainWindow::makeMainWindow(UserDefaults::standard());
  Page page;
  window->controller().showPage(&page.info, &page.buttons, nullptr);
  window->show();
  const QRect visible = window->screen()->availableGeometry();
  window->move(visible.right() - 100, visible.y() + 40);
  window->controller().ensureThatWindowIsCompletelyOnScreen();
  EXPECT_EQ(window->frameGeometry().right(), visible.right());
  EXPECT_EQ(window->y(), visible.y() + 40);
  EXPECT_EQ(UserDefaults::standard().doubleValue(QStringLiteral("topLeftX")),
            static_cast<double>(window->x()));
  window->controller().detachPage();
}

TEST(MainWindow, CloseRunsTheCloseHandlerInsteadOfClosing) {
  auto window = MainWindow::makeMainWindow(UserDefaults::standard());
  int asked = 0;
  window->setCloseHandler([&] { ++asked; });
  window->show();
  EXPECT_FALSE(window->close());
  EXPECT_EQ(asked, 1);
  window->setCloseHandler({});
  window->close();
  EXPECT_FALSE(window->isVisible());
}

TEST(MainMenu, ItemsSendTheirActionsAndTheTitleBandButtonOpensTheMenu) {
  QStringList sent;
  MainMenu menu([&](const QString& action) { sent.append(action); });
  auto window = MainWindow::makeMainWindow(UserDefaults::standard());
  window->controller().setMainMenu(menu.menu());
  EXPECT_EQ(window->controller().mainMenuButton()->menu(), menu.menu());
  menu.itemSending(QStringLiteral("terminate"))->trigger();
  EXPECT_EQ(sent, QStringList{QStringLiteral("terminate")});
  EXPECT_EQ(menu.itemSending(QStringLiteral("terminate"))->shortcut(),
            QKeySequence(Qt::CTRL | Qt::Key_Q));
  menu.installShortcuts(*window);
  EXPECT_TRUE(window->actions().contains(menu.itemSending(QStringLiteral("terminate"))));
  // Page commands without a menu item still have their keys on the window.
  bool changeDurationKey = false;
  for (QAction* action : window->actions()) {
    if (action->shortcut() == QKeySequence(Qt::CTRL | Qt::Key_D)) {
      action->trigger();
      changeDurationKey = true;
    }
  }
  EXPECT_TRUE(changeDurationKey);
  EXPECT_EQ(sent.last(), QStringLiteral("changeDuration"));

  // F10 opens the menu from the keyboard, wherever the focus is in the window.
  window->show();
  QApplication::setActiveWindow(window.get());
  bool opened = false;
  QAction* chosen = nullptr;
  QObject::connect(menu.menu(), &QMenu::aboutToShow, menu.menu(), [&] {
    opened = true;
    QTimer::singleShot(0, menu.menu(), [&menu, &chosen] {
      chosen = menu.menu()->activeAction();
      for (QAction* item : menu.menu()->actions()) {
        if (item->menu() && item->menu()->isVisible())
          chosen = nullptr;
      }
      menu.menu()->close();
    });
  });
  QTest::keyClick(window.get(), Qt::Key_F10);
  EXPECT_TRUE(opened);
  // Its first item is chosen, for the arrows and Return to work at once, its
  // submenu still closed.
  ASSERT_FALSE(menu.menu()->actions().isEmpty());
  EXPECT_EQ(chosen, menu.menu()->actions().constFirst());
}

TEST(MenuItemManager, NamesTheGroupsAndInsertsAfterANamedGroup) {
  MainMenu menu([](const QString&) {});
  MenuItemManager manager(menu.menu());
  for (const char* name : {"About", "Preferences", "Hide", "Quit", "EditUndo", "EditCut",
                           "WindowMinimize", "WindowBringAllToFront", "Help"})
    EXPECT_TRUE(manager.menuItemGroups().contains(QString::fromLatin1(name))) << name;
  EXPECT_EQ(manager.menuItemGroups().value(QStringLiteral("EditCut")).items.size(), 4);

  QAction separator;
  separator.setSeparator(true);
  QAction first(QStringLiteral("First"));
  QAction second(QStringLiteral("Second"));
  ASSERT_TRUE(manager.addMenuItemGroupAfterExistingGroup(
      QStringLiteral("Hide"), {{&separator, &first, &second}}, QStringLiteral("extra")));
  auto* app = qobject_cast<QMenu*>(menu.itemSending(QStringLiteral("hide"))->parent());
  ASSERT_NE(app, nullptr);
  const QList<QAction*> items = app->actions();
  const qsizetype hide = items.indexOf(menu.itemSending(QStringLiteral("hide")));
  EXPECT_EQ(items.at(hide + 1), &separator);
  EXPECT_EQ(items.at(hide + 2), &first);
  EXPECT_EQ(items.at(hide + 3), &second);
  EXPECT_TRUE(manager.menuItemGroups().contains(QStringLiteral("extra")));
  EXPECT_FALSE(manager.addMenuItemGroupAfterExistingGroup(QStringLiteral("Nope"), {{&first}},
                                                          QStringLiteral("x")));
  EXPECT_EQ(MenuItemManager::groupName(QString()), QString());
  EXPECT_EQ(MenuItemManager::groupName(QStringLiteral("Quitter Korvane-R")),
            QStringLiteral("Quit"));
}

// A full menu in either language: every group is named by the title of its
// first item, whatever the application is called; separators start groups.
TEST(MenuItemManager, NamesEveryGroupOfAnEnglishAndAFrenchMenu) {
  struct Language {
    QList<QStringList> menus; // "-" is a separator
    QStringList groups;
  };
  const QStringList names{
      "About",      "Preferences", "Hide",     "Quit",           "FileNew",
      "FileClose",  "FilePrint",   "EditUndo", "EditCut",        "EditFind",
      "FormatFont", "FormatText",  "View",     "WindowMinimize", "WindowBringAllToFront",
      "Help"};
  const Language languages[] = {
      {{{"About Zeit", "-", "Preferences\u2026", "-", "Hide Zeit", "Hide Others", "-", "Quit Zeit"},
        {"New", "Open\u2026", "-", "Close", "Save", "-", "Page Setup\u2026", "Print\u2026"},
        {"Undo", "Redo", "-", "Cut", "Copy", "Paste", "-", "Find"},
        {"Font", "-", "Text"},
        {"Show Toolbar"},
        {"Minimize", "Zoom", "-", "Bring All to Front"},
        {"Zeit Help"}},
       names},
      {{{"\u00C0 propos de Zeit", "-", "Pr\u00E9f\u00E9rences\u2026", "-", "Masquer Zeit", "-",
         "Quitter Zeit"},
        {"Nouveau", "Ouvrir\u2026", "-", "Fermer", "-", "Format d'impression\u2026"},
        {"Annuler", "-", "Couper", "Copier", "-", "Rechercher"},
        {"Police", "-", "Texte"},
        {"Afficher la barre d'outil"},
        {"Placer dans le Dock", "-", "Ramener tout au premier plan"},
        {"Aide Zeit"}},
       // The page set-up rule knows the English title only.
       QStringList(names).replaceInStrings(QStringLiteral("FilePrint"),
                                           QStringLiteral("Format d'impression\u2026"))},
  };
  for (const Language& language : languages) {
    QMenu bar;
    for (const QStringList& titles : language.menus) {
      QMenu* menu = bar.addMenu(QStringLiteral("menu"));
      for (const QString& title : titles)
        title == QLatin1String("-") ? menu->addSeparator() : menu->addAction(title);
    }
    MenuItemManager manager(&bar);
    QStringList found = manager.menuItemGroups().keys();
    QStringList expected = language.groups;
    found.sort();
    expected.sort();
    EXPECT_EQ(found.join(QStringLiteral(", ")).toStdString(),
              expected.join(QStringLiteral(", ")).toStdString());
    EXPECT_EQ(manager.menuItemGroups().value(QStringLiteral("Hide")).items.size(),
              language.menus.first().contains(QStringLiteral("Hide Others")) ? 2 : 1);
  }
}

// The frameless window's own controls, drawn with the kit's round title-bar
// button: close runs the close handler (the application hides), minimise
// minimises.
TEST(MainWindow, TheTitleBandsCloseAndMinimiseControlsWork) {
  forgetPosition();
  auto window = MainWindow::makeMainWindow(UserDefaults::standard());
  MainWindowController& controller = window->controller();
  Page page;
  controller.showPage(&page.info, &page.buttons, nullptr);
  int closes = 0;
  window->setCloseHandler([&] { ++closes; });
  window->show();
  QAbstractButton* close = controller.closeButton();
  QAbstractButton* minimise = controller.miniaturizeButton();
  ASSERT_NE(close, nullptr);
  ASSERT_NE(minimise, nullptr);
  EXPECT_TRUE(close->isVisible());
  EXPECT_EQ(close->toolTip(), QStringLiteral("Close"));
  EXPECT_EQ(minimise->toolTip(), QStringLiteral("Minimize"));
  // At the band's top left, close first, as a window system puts them.
  const QPoint closeAt = close->mapTo(window.get(), QPoint(0, 0));
  const QPoint minimiseAt = minimise->mapTo(window.get(), QPoint(0, 0));
  EXPECT_EQ(closeAt.x(), 1 + 7);
  EXPECT_EQ(minimiseAt.x(), 1 + 27);
  EXPECT_LT(closeAt.y() + close->height(), MainWindowController::kTitleBandHeight + 2);
  // The kit's grey circle left of the glyph.
  const QImage face = close->grab().toImage();
  const QColor circle = face.pixelColor(3, 9);
  EXPECT_NEAR(circle.red(), 128, 8);
  EXPECT_NEAR(circle.blue(), 128, 8);

  QTest::mouseClick(close, Qt::LeftButton);
  EXPECT_EQ(closes, 1);
  QTest::mouseClick(minimise, Qt::LeftButton);
  EXPECT_TRUE(window->isMinimized());
  controller.detachPage();
}

// Two zoom commands in a row zoom the window to the screen's available height
// and back to the frame it had; the full-screen command zooms too.
TEST(MainWindow, TwoZoomsInARowZoomAndRestore) {
  forgetPosition();
  auto window = MainWindow::makeMainWindow(UserDefaults::standard());
  MainWindowController& controller = window->controller();
  Page page;
  controller.showPage(&page.info, &page.buttons, nullptr);
  window->show();
  const QRect area = window->screen()->availableGeometry();
  window->move(area.x() + 30, area.y() + 40);
  const QRect before = window->frameGeometry();
  ASSERT_LT(before.height(), area.height());

  window->zoom();
  EXPECT_TRUE(window->isZoomed());
  EXPECT_EQ(window->frameGeometry(), QRect(before.x(), area.y(), before.width(), area.height()));
  // A page shown while zoomed keeps the zoomed frame.
  Page other;
  controller.showPage(&other.info, &other.buttons, nullptr);
  EXPECT_EQ(window->frameGeometry().height(), area.height());

  window->zoom();
  EXPECT_FALSE(window->isZoomed());
  EXPECT_EQ(window->frameGeometry(), before);

  window->toggleFullScreen();
  EXPECT_TRUE(window->isZoomed());
  EXPECT_FALSE(window->windowState() & Qt::WindowFullScreen);
  window->toggleFullScreen();
  EXPECT_EQ(window->frameGeometry(), before);
  controller.detachPage();
}

// The first page puts the whole window on a screen: a remembered corner where
// no screen is (a monitor was removed) gives the default position, and a
// window too tall for the space below its corner moves up.
TEST(MainWindow, TheFirstPagePutsTheWholeWindowOnAScreen) {
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  {
    UserDefaults::standard().setValue(QStringLiteral("topLeftX"), 5000.0);
    UserDefaults::standard().setValue(QStringLiteral("topLeftY"), 5000.0);
    auto window = MainWindow::makeMainWindow(UserDefaults::standard());
    Page page;
    window->controller().showPage(&page.info, &page.buttons, nullptr);
    const QSize size = window->frameGeometry().size();
    const QPointF expected = WindowPlacement::keepInsideVisibleArea(
        QRectF(WindowPlacement::defaultPosition(size, area), size),
        {{QRectF(QGuiApplication::primaryScreen()->geometry()), QRectF(area)}}, 0);
    EXPECT_EQ(window->pos(), expected.toPoint());
    EXPECT_TRUE(area.contains(window->frameGeometry()));
    window->controller().detachPage();
  }
  {
    forgetPosition();
    auto window = MainWindow::makeMainWindow(UserDefaults::standard());
    Page tall;
    tall.info.setFixedSize(440, area.height() * 3 / 4);
    window->controller().showPage(&tall.info, &tall.buttons, nullptr);
    // Half a window below the top would end below the screen.
    ASSERT_GT(area.y() + window->height() / 2 + window->height(), area.bottom());
    EXPECT_EQ(window->frameGeometry().bottom(), area.bottom());
    window->controller().detachPage();
  }
  forgetPosition();
}

// A page that makes the window taller near the bottom of the screen moves it
// up, so its bottom stays on the screen.
TEST(MainWindow, ATallerPageKeepsTheWindowsBottomOnTheScreen) {
  forgetPosition();
  auto window = MainWindow::makeMainWindow(UserDefaults::standard());
  MainWindowController& controller = window->controller();
  Page low;
  low.info.setFixedSize(440, 200);
  controller.showPage(&low.info, &low.buttons, nullptr);
  window->show();
  const QRect area = window->screen()->availableGeometry();
  window->move(area.x() + 20, area.bottom() + 1 - window->frameGeometry().height());
  const int lowHeight = window->frameGeometry().height();
  Page tall;
  tall.info.setFixedSize(440, 350);
  controller.showPage(&tall.info, &tall.buttons, nullptr);
  QCoreApplication::processEvents();
  ASSERT_EQ(window->frameGeometry().height(), lowHeight + 150);
  EXPECT_EQ(window->frameGeometry().bottom(), area.bottom());
  EXPECT_EQ(window->x(), area.x() + 20);
  controller.detachPage();
}
