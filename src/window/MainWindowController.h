#pragma once

#include "window/WindowPlacement.h"

#include "platform/layout/LayoutConstraint.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <memory>
#include <optional>

class QAbstractButton;
class QMenu;
class QToolButton;

namespace kr {

class LogBookTableViewController;
class HelpViewController;
class MainWindow;
class StatsViewController;
class PadSection;
class PadViewController;
class UserDefaults;
class Wall;

// Builds the content of the main window (the left column with the title band,
// the page containers and the space between them), shows the pages of the
// states and keeps the window's position.
class MainWindowController {
public:
  static constexpr int kLeftColumnWidth = 440;
  static constexpr int kTitleBandHeight = 28;
  // The horizontal inset of controls from a wall's edge.
  static constexpr int kHorizontalInset = 8;

  MainWindowController(MainWindow& window, UserDefaults& defaults);
  ~MainWindowController();

  MainWindow& window() const { return window_; }
  QWidget* contentWall() const { return contentWall_; }
  QWidget* leftFragmentWall() const { return leftFragmentWall_; }
  Wall* infoWallContainer() const { return infoWallContainer_; }
  Wall* buttonWallContainer() const { return buttonWallContainer_; }
  QToolButton* mainMenuButton() const { return mainMenuButton_; }
  // The title band's window controls: close (hides the application) and minimise.
  QAbstractButton* closeButton() const { return closeButton_; }
  QAbstractButton* miniaturizeButton() const { return miniaturizeButton_; }
  bool initialPositionAlreadyGiven() const { return initialPositionAlreadyGiven_; }
  // The statistics page and the log book, made while the window is built (the
  // statistics page makes the shared statistics manager), kept for the run.
  StatsViewController* statsController() const { return statsController_.get(); }
  LogBookTableViewController* logBookTableViewController() const {
    return logBookTableViewController_.get();
  }

  // The pads beside the left column.
  PadSection& padSection() const { return *padSection_; }
  static QStringList padStorageKeyPaths();
  bool isPadSectionVisible() const;
  void hideAllPadsExcept(const QString& key);
  void showPad(const QString& key);
  void showCurrentWeekStatisticsPad();
  PadViewController* nowPadController() const;
  PadViewController* laterPadController() const;
  PadViewController* scratchPadController() const;

  // The main menu opened by the title band's menu button (not owned).
  void setMainMenu(QMenu* menu);

  // Shows the help pad alone and gives its viewer, made the first time the
  // pad shows (so no web engine starts with the program).
  HelpViewController& showHelpPad();
  // The help viewer; none before the help was first shown.
  HelpViewController* helpController() const { return helpController_.get(); }
  // Gives the keyboard to the main control of the pad stored under `key`
  // ("logBookPadHidden", "statsPadHidden", "helpPadHidden"): the list of
  // slices, the statistic chooser, the help page.
  void focusPad(const QString& key);

  // Shows a state's page: its info wall above, its button wall below, focus
  // on its first responder. The first page places the window.
  void showPage(QWidget* infoWall, QWidget* buttonWall, QWidget* firstResponder);
  // Gives the shown page's walls back to their owner.
  void detachPage();
  // Orders Tab through the shown page as it stands now.
  void recalculateKeyViewLoop();

  // The window system has moved the shown and exposed window, or the program
  // has: the place is remembered.
  void windowDidMove();
  void windowDidResize();
  // The window is about to show again: back to the remembered place.
  void windowWillShow();
  // The window system has exposed the window shown: where it took it in, if
  // not the remembered place, is put right.
  void windowWasPlaced();
  void ensureThatWindowIsCompletelyOnScreen();
  // Moves the window to where a frame of its coming size lies inside its
  // screen (the window system reports a new size only later).
  void placeInsideScreen(const QRectF& frame);
  // Makes the window this high (its zoomed frame), or back to its page's
  // height with 0.
  void setZoomedHeight(int height);
  QPointF defaultPosition() const;
  // Moves the window next to a point (from the status item), or to the
  // remembered position when the point is (0, 0).
  void repositionMainWindowAccordingToSettingsWithHint(const QPointF& suggestedLocation);

  // The screens as the placement rules see them, and the main one.
  static std::vector<WindowPlacement::Screen> screens();
  static int mainScreenIndex();

private:
  HelpViewController& ensureHelpController();
  void build();
  QWidget* buildTitleBand();
  // Lays the window out now, its column first.
  void relayout();
  // Puts the window's frame at `corner` and remembers it there.
  void moveWindowTo(const QPoint& corner);
  void remember(const QPoint& corner);

  MainWindow& window_;
  UserDefaults& defaults_;
  QWidget* contentWall_ = nullptr;
  QWidget* leftFragmentWall_ = nullptr;
  Wall* infoWallContainer_ = nullptr;
  Wall* buttonWallContainer_ = nullptr;
  LayoutConstraints infoWallConstraints_;
  LayoutConstraints buttonWallConstraints_;
  QToolButton* mainMenuButton_ = nullptr;
  QAbstractButton* closeButton_ = nullptr;
  QAbstractButton* miniaturizeButton_ = nullptr;
  std::unique_ptr<PadSection> padSection_;
  QPointer<QWidget> shownInfoWall_;
  QPointer<QWidget> shownButtonWall_;
  bool initialPositionAlreadyGiven_ = false;
  // Where the window's frame is meant to be: where the program put it or the
  // window system moved it while shown.
  std::optional<QPoint> placedCorner_;
  std::unique_ptr<LogBookTableViewController> logBookTableViewController_;
  std::unique_ptr<StatsViewController> statsController_;
  std::unique_ptr<HelpViewController> helpController_;
};

} // namespace kr
