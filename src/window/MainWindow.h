#pragma once

#include <QPoint>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

namespace kr {

class MainWindowController;
class UserDefaults;

// The one main window: frameless and drawn by us, dragged by its background.
// Closing it hides the application instead; the full-screen command zooms it.
class MainWindow final : public QWidget {
  Q_OBJECT

public:
  static std::unique_ptr<MainWindow> makeMainWindow(UserDefaults& defaults);
  ~MainWindow() override;

  MainWindowController& controller() const { return *controller_; }
  // What a close does instead of closing (the application hides); hides only
  // this window until set.
  void setCloseHandler(std::function<void()> handler) { closeHandler_ = std::move(handler); }
  // The full-screen command: zooms instead.
  void toggleFullScreen();
  // Zooms between the zoomed frame (as high as the screen's available area,
  // at its top) and the frame the window had before; the page shown does not
  // matter.
  void zoom();
  bool isZoomed() const { return zoomed_; }
  // Shown, and not yet exposed by the window system.
  bool isAwaitingPlacement() const { return awaitingPlacement_; }

protected:
  void closeEvent(QCloseEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Tab and Shift+Tab follow the page as it stands when they are pressed.
  bool focusNextPrevChild(bool next) override;

private:
  explicit MainWindow(UserDefaults& defaults);

  std::unique_ptr<MainWindowController> controller_;
  std::function<void()> closeHandler_;
  bool zoomed_ = false;
  QPoint userTopLeft_;
  // Shown, and not yet exposed by the window system: where the window
  // manager reports the window meanwhile is not where it stays.
  bool awaitingPlacement_ = false;
  // A press on the background, while its button is held: where the pointer
  // and the window were, and whether the window follows the pointer yet.
  struct BackgroundDrag {
    QPoint press;
    QPoint windowAtPress;
    bool moving = false;
  };
  std::optional<BackgroundDrag> backgroundDrag_;
  bool watchingExposure_ = false;
};

} // namespace kr
