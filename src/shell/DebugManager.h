#pragma once

#include <QByteArray>
#include <QObject>

class QWidget;

namespace kr {

class Responder;
class UserDefaults;

// The target of the debug menu: keeps the console-logging switch in step with
// the "loggerIsOn" setting from the moment it exists, and stores the debug
// speed.
class DebugManager : public QObject {
  Q_OBJECT

public:
  explicit DebugManager(UserDefaults& defaults, QObject* parent = nullptr);
  ~DebugManager() override;

  // The instance the application created, or nullptr.
  static DebugManager* sharedDebugManager();

  void setLoggerIsOn(bool on);

  // Menu actions: store the speed under "debug_speed" and save at once.
  void normalSpeed();
  void fastSpeed();
  void warpSpeed();
  void warp2Speed();

  // The tick interval, in seconds, for the stored debug speed.
  double intervalForStateMachine() const;
  static double intervalForSpeed(qint64 speed);

  // Writes the data to the console with one character per byte.
  static void printRTFDataAsPlainText(const QByteArray& data);

  // The first link of the application's responder chain (the main
  // controller), set by start-up once the chain is built.
  void setApplicationNextResponder(Responder* responder) { applicationNextResponder_ = responder; }
  // Console dumps for finding out where a command or a key press goes.
  void logCurrentResponderChainFromApplicationDownwards() const;
  static void logCurrentResponderChainUpFromFirstResponderOfWindow(QWidget* window);
  static void logKeyLoopForView(QWidget* view);

private:
  void followLoggerSetting();
  void storeSpeed(int speed);

  UserDefaults& defaults_;
  Responder* applicationNextResponder_ = nullptr;
};

} // namespace kr
