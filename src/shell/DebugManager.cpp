#include "shell/DebugManager.h"

#include "platform/QnLog.h"
#include "platform/Responder.h"
#include "platform/settings/UserDefaults.h"

#include <QAbstractButton>
#include <QSet>
#include <QWidget>

#include <cxxabi.h>

#include <cstdlib>
#include <memory>

namespace kr {

namespace {
const QString kLoggerIsOn = QStringLiteral("loggerIsOn");
const QString kDebugSpeed = QStringLiteral("debug_speed");
DebugManager* sharedInstance = nullptr;

QString address(const void* object) {
  return QStringLiteral("0x%1").arg(reinterpret_cast<quintptr>(object), 0, 16);
}

QString describe(const Responder* responder) {
  const char* mangled = typeid(*responder).name();
  int status = 0;
  std::unique_ptr<char, decltype(&std::free)> demangled(
      abi::__cxa_demangle(mangled, nullptr, nullptr, &status), &std::free);
  const QString name = QString::fromLatin1(status == 0 && demangled ? demangled.get() : mangled);
  return QStringLiteral("<%1: %2>").arg(name, address(responder));
}

QString describe(const QWidget* widget) {
  QString text = QStringLiteral("<%1: %2").arg(
      QString::fromLatin1(widget->metaObject()->className()), address(widget));
  if (!widget->objectName().isEmpty())
    text += QStringLiteral(" \"%1\"").arg(widget->objectName());
  return text + u'>';
}

int ancestorCount(const QWidget* widget) {
  int count = 0;
  for (const QWidget* w = widget->parentWidget(); w; w = w->parentWidget())
    ++count;
  return count;
}

const QString kSeparator = QStringLiteral("---------------------------------------");
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

void DebugManager::logCurrentResponderChainFromApplicationDownwards() const {
  qn_log(QStringLiteral("*** logCurrentResponderChainFromApplicationDownwards ***"));
  for (const Responder* r = applicationNextResponder_; r; r = r->nextResponder())
    qn_log(QStringLiteral("responder: %1").arg(describe(r)));
  qn_log(QStringLiteral("*** responder chain end ***"));
}

void DebugManager::logCurrentResponderChainUpFromFirstResponderOfWindow(QWidget* window) {
  qn_log(QStringLiteral("*** logCurrentResponderChainUpFromFirstResponderOfWindow Chain ***"));
  // A key press goes to the focus widget first, then up through its parents.
  const QWidget* first =
      window ? (window->focusWidget() ? window->focusWidget() : window) : nullptr;
  for (const QWidget* w = first; w; w = w->parentWidget())
    qn_log(QStringLiteral("responder: %1").arg(describe(w)));
  qn_log(QStringLiteral("*** responder chain end ***"));
}

void DebugManager::logKeyLoopForView(QWidget* view) {
  qn_log(kSeparator);
  qn_log(QStringLiteral("keyboard loop:"));
  QWidget* window = view ? view->window() : nullptr;
  QWidget* start = window ? (window->focusWidget() ? window->focusWidget() : window) : nullptr;
  QSet<const QWidget*> seen; // the focus chain is a ring; never walk it twice
  for (QWidget* w = start; w && !seen.contains(w);) {
    seen.insert(w);
    const QString indent = QStringLiteral("--").repeated(1 + ancestorCount(w));
    if (const auto* button = qobject_cast<const QAbstractButton*>(w)) {
      qn_log(QStringLiteral("%1nextKeyView: %2 %3").arg(indent, describe(w), button->text()));
    } else {
      qn_log(QStringLiteral("%1nextKeyView: %2").arg(indent, describe(w)));
    }
    if (w->isHidden())
      qn_log(QStringLiteral("previous view is hidden!!!"));
    w = w->nextInFocusChain();
    if (w == start)
      break;
  }
  qn_log(kSeparator);
}

} // namespace kr
