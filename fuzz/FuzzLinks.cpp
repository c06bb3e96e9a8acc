// Feeds arbitrary text to the two ways the desktop hands the program words:
// a link ("korvaner2things://...") for the URL handler, with and without a
// task manager to take it, and the command line's "--perform" arguments
// (the input cut at NUL bytes). Every action read must be a known one.
#include "platform/services/TestTaskManagerBridge.h"
#include "shell/PerformArguments.h"
#include "shell/UrlHandler.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  static QCoreApplication app(*argc, *argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
  const QString text = QString::fromUtf8(input);

  kr::TestTaskManagerBridge bridge;
  kr::UrlHandler(bridge).getUrl(text);
  bridge.installed.insert(kr::TaskManagerBridge::Application::Things);
  bridge.thingsToDos.insert(text.mid(text.indexOf(QStringLiteral("://")) + 3));
  kr::UrlHandler(bridge).getUrl(text);

  QStringList arguments;
  for (const QByteArray& piece : input.split('\0'))
    arguments.append(QString::fromUtf8(piece));
  const QStringList known = {QStringLiteral("attemptToTriggerStartTimeSlice"),
                             QStringLiteral("bringToFront")};
  QStringList unknown;
  const QStringList actions = kr::PerformArguments::actions(arguments, known, &unknown);
  for (const QString& action : actions) {
    if (!known.contains(action))
      std::abort();
  }
  // Each name read is given by one "--perform" of its own, followed by the
  // name or joined to it by "=".
  const qsizetype performs =
      std::count_if(arguments.cbegin(), arguments.cend(), [](const QString& a) {
        return a == QLatin1String("--perform") || a.startsWith(QLatin1String("--perform="));
      });
  if (actions.size() + unknown.size() > performs)
    std::abort();
  return 0;
}
