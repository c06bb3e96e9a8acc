#include "StartedProgram.h"

#include "platform/services/TestHtmlView.h"

#include "platform/settings/UserDefaults.h"

#include "shell/AppDelegate.h"
#include "shell/ApplicationShell.h"
#include "window/MainWindow.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>

namespace kr::test {

StartedProgram::StartedProgram(const QVariantMap& settings) {
  // On a virtual desktop with a tray host (scripts/desktop-session) the host
  // may still be taking its place.
  if (QGuiApplication::platformName() == QLatin1String("xcb") && qgetenv("KR_TRAY") == "trayer") {
    EXPECT_TRUE(QTest::qWaitFor([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 30000))
        << "no tray host took its place";
  }
  date.testCurrentTimeIntervalFromReferenceDate = clock.now();
  UserDefaults& defaults = UserDefaults::standard();
  defaults.setValue(QStringLiteral("firstLaunch"), false);
  defaults.setValue(QStringLiteral("launchManagerLaunchCounter"), 5);
  // Far from the mailing-list offer's sixth launch.
  defaults.setValue(QStringLiteral("mailing_list_launchCounter"), 0);
  for (auto it = settings.begin(); it != settings.end(); ++it)
    defaults.setValue(it.key(), it.value());
  Program::Options options;
  options.dateProvider = &date;
  // Qt WebEngine cannot draw on the offscreen platform; the web views of the
  // statistics and the help are tested on a virtual display (label "web").
  if (QGuiApplication::platformName() == QLatin1String("offscreen"))
    options.htmlViews = [](QWidget* parent) { return new TestHtmlView(parent); };
  program = std::make_unique<Program>(options);
  program->launch({});
}

StartedProgram::~StartedProgram() { program.reset(); }

QAbstractButton* StartedProgram::button(const QString& title) const {
  MainWindow* window = program->shell().appDelegate().mainWindow();
  for (QAbstractButton* candidate : window->findChildren<QAbstractButton*>()) {
    if (candidate->text() == title && candidate->isVisible())
      return candidate;
  }
  ADD_FAILURE() << "no visible button " << title.toStdString();
  return nullptr;
}

void StartedProgram::click(const QString& title) const {
  if (QAbstractButton* target = button(title)) {
    EXPECT_TRUE(target->isEnabled()) << title.toStdString();
    QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, target->rect().center());
  }
}

AlertAnswerer::AlertAnswerer(QString button) : button_(std::move(button)), timer_(new QTimer) {
  timer_->setInterval(5);
  QObject::connect(timer_, &QTimer::timeout, timer_, [this] { poll(); });
  timer_->start();
}

AlertAnswerer::~AlertAnswerer() { delete timer_; }

void AlertAnswerer::poll() {
  auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
  if (!box || !box->isVisible())
    return;
  seen << box->text() + QStringLiteral(" | ") + box->informativeText();
  for (QAbstractButton* candidate : box->buttons()) {
    if (candidate->text() == button_) {
      timer_->stop();
      QTest::mouseClick(candidate, Qt::LeftButton);
      return;
    }
  }
  ADD_FAILURE() << "the alert \"" << box->text().toStdString() << "\" has no button "
                << button_.toStdString();
  timer_->stop();
  box->reject();
}

} // namespace kr::test
