#include "shell/DebugManager.h"

#include "platform/QnLog.h"
#include "platform/UserDefaults.h"

namespace kr {

namespace {
const QString kLoggerIsOn = QStringLiteral("loggerIsOn");
const QString kDebugSpeed = QStringLiteral("debug_speed");
DebugManager* sharedInstance = nullptr;
} // namespace

DebugManager::DebugManager(UserDefaults& defaults, QObject* parent)
    : QObject(parent), defaults_(defaults) {
  connect(&defaults_, &UserDefaults::changed, this, [this](const QString& key) {
    if (key == kLoggerIsOn)
      followLoggerSetting();
  });
  followLoggerSetting();
  sharedInstance = this;
}

DebugManager::~DebugManager() {
  if (sharedInstance == this)
    sharedInstance = nullptr;
}

DebugManager* DebugManager::sharedDebugManager() { return sharedInstance; }

void DebugManager::followLoggerSetting() { QnLog::setOn(defaults_.boolValue(kLoggerIsOn)); }

void DebugManager::setLoggerIsOn(bool on) { QnLog::setOn(on); }

void DebugManager::normalSpeed() { storeSpeed(0); }
void DebugManager::fastSpeed() { storeSpeed(1); }
void DebugManager::warpSpeed() { storeSpeed(2); }
void DebugManager::warp2Speed() { storeSpeed(3); }

void DebugManager::storeSpeed(int speed) {
  defaults_.setValue(kDebugSpeed, speed);
  defaults_.synchronize();
}

double DebugManager::intervalForStateMachine() const {
  return intervalForSpeed(defaults_.integer(kDebugSpeed));
}

double DebugManager::intervalForSpeed(qint64 speed) {
  switch (speed) {
  case 1:
    return 0.1;
  case 2:
    return 0.01;
  case 3:
    return 0.003;
  default:
    return 1.0;
  }
}

void DebugManager::printRTFDataAsPlainText(const QByteArray& data) {
  // Each byte stands for itself, whatever encoding the data was written in.
  qn_log(QString::fromLatin1(data));
}

} // namespace kr
