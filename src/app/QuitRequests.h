#pragma once

#include <QObject>
#include <QString>

#include <functional>

namespace kr {

// Every way out of the program ends here (the menu, Ctrl+Q, the tray, a
// signal, the end of the session). While the event loop runs, a request ends
// it. A request that comes before (a start-up dialog such as the
// mailing-list offer is up, running its own loop) is never lost: every
// dialog open or opened later is closed as its cancel answer would, and the
// event loop ends as soon as it starts.
class QuitRequests final : public QObject {
  Q_OBJECT

public:
  // `sessionEnds` runs when the desktop session asks the application to quit
  // (it saves what must be saved and comes back through request()).
  explicit QuitRequests(std::function<void()> sessionEnds);
  ~QuitRequests() override;

  void request();
  bool isPending() const { return pending_; }
  bool isLoopRunning() const { return loopRunning_; }

  // Runs the application's event loop, ending it at once when a request came
  // before; returns the exit status.
  int exec();

  // Closes every modal dialog as its cancel answer (the Escape key) would.
  static void cancelOpenDialogs();

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  std::function<void()> sessionEnds_;
  bool pending_ = false;
  bool loopRunning_ = false;
};

} // namespace kr
