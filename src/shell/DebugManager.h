#pragma once

#include <QByteArray>
#include <QObject>

namespace kr {

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

private:
  void followLoggerSetting();
  void storeSpeed(int speed);

  UserDefaults& defaults_;
};

} // namespace kr
