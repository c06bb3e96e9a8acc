#include "window/HelpManager.h"

#include "window/HelpViewController.h"

#include "platform/QnLog.h"
#include "platform/services/GenericAlertHelpDelegate.h"
#include "platform/services/UrlOpenerAPI.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace kr {

namespace {

const QString kPagesPath = QStringLiteral("/Korvane-R/help_pages");

HelpManager::HelpPadShower& helpPad() {
  static HelpManager::HelpPadShower shower;
  return shower;
}

} // namespace

void HelpManager::installHelpPad(HelpPadShower shower) { helpPad() = std::move(shower); }

QString HelpManager::helpFolder() {
  // Installed beside the program, else (run from the build tree) the sources'.
  const QString installed =
      QCoreApplication::applicationDirPath() + QStringLiteral("/../share/korvane-r") + kPagesPath;
  if (QFileInfo(installed).isDir())
    return QDir::cleanPath(installed);
  return QStringLiteral(KR_SOURCE_RESOURCES_DIR) + kPagesPath;
}

QUrl HelpManager::pageUrl(const QString& lastPathComponent) {
  return QUrl::fromLocalFile(helpFolder() + QLatin1Char('/') + lastPathComponent);
}

bool HelpManager::isPageName(const QString& lastPathComponent) {
  // A plain file name: nothing that could reach outside the folder.
  if (lastPathComponent.isEmpty() || lastPathComponent.startsWith(QLatin1Char('.')) ||
      lastPathComponent.contains(QLatin1Char('/')) ||
      lastPathComponent.contains(QLatin1Char('\\')) ||
      !lastPathComponent.endsWith(QLatin1String(".html")))
    return false;
  return QFileInfo(helpFolder() + QLatin1Char('/') + lastPathComponent).isFile();
}

bool HelpManager::showPage(const QString& lastPathComponent, bool inBrowser) {
  if (inBrowser) {
    if (!isPageName(lastPathComponent)) {
      platformLog(QStringLiteral("There is no help page \"%1\" in %2")
                      .arg(lastPathComponent, helpFolder()));
      return false;
    }
    return UrlOpenerAPI::shared().open(pageUrl(lastPathComponent));
  }
  HelpViewController* viewer = helpPad() ? helpPad()() : nullptr;
  if (!viewer) {
    platformLog(QStringLiteral("No help pad to show \"%1\"").arg(lastPathComponent));
    return false;
  }
  viewer->showPage(lastPathComponent);
  return isPageName(lastPathComponent);
}

void HelpManager::showHelpIndex() { showPage(QStringLiteral("index.html"), false); }

void HelpManager::showWelcome() { showPage(QStringLiteral("welcome.html"), false); }

QString HelpManager::tipPageName(int day) {
  if (day < 0)
    return {};
  return (day <= 9 ? QStringLiteral("Tip0%1.html") : QStringLiteral("Tip%1.html")).arg(day);
}

void HelpManager::showTip(int day) { showPage(tipPageName(day), false); }

void HelpManager::showNotePadHelp() { showPage(QStringLiteral("fast_type_syntax.html"), false); }

void HelpManager::showProductivityTechniques() {
  showPage(QStringLiteral("productivity_techniques.html"), false);
}

void HelpManager::showSoftBreakHelp() {
  showPage(QStringLiteral("soft_break_feature.html"), false);
}

void HelpManager::showAutomaticallyBringToFront() {
  showPage(QStringLiteral("automatically_bring_to_front.html"), false);
}

void HelpManager::showFocusLevelHelp() {
  showPage(QStringLiteral("concentration_level.html"), false);
}

void HelpManager::showHushboxIntegrationHelp(bool inBrowser) {
  showPage(QStringLiteral("hushbox.html"), inBrowser);
}

void HelpManager::showOmniFocusHelp(bool inBrowser) {
  showPage(QStringLiteral("omnifocus.html"), inBrowser);
}

void HelpManager::showThingsHelp(bool inBrowser) {
  showPage(QStringLiteral("things.html"), inBrowser);
}

void HelpManager::showDropboxHelp(bool inBrowser) {
  showPage(QStringLiteral("dropbox.html"), inBrowser);
}

void HelpManager::showAppleScriptHelp(bool inBrowser) {
  showPage(QStringLiteral("applescript.html"), inBrowser);
}

void HelpManager::showSpeechTagsReference(bool inBrowser) {
  showPage(QStringLiteral("speech_reminder_tags.html"), inBrowser);
}

void HelpManager::showHitListHelp(bool) { showPage(QStringLiteral("hitlist.html"), true); }

std::shared_ptr<GenericAlertHelpDelegate> HelpManager::createAlertHelpDelegateForDropbox() {
  return std::make_shared<GenericAlertHelpDelegate>(
      [] { showPage(QStringLiteral("dropbox.html"), false); });
}

} // namespace kr
