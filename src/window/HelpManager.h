#pragma once

#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

namespace kr {

class GenericAlertHelpDelegate;
class HelpViewController;

// The one entry point for help: every menu item, button and alert that offers
// help names its page here and says whether it wants the desktop's browser
// or the help pad beside the main window's pages.
//
// The pages are installed with the program, in "Korvane-R/help_pages/" under
// "share/korvane-r" beside it; a program run from its build tree reads them
// from the source's "resources" folder.
class HelpManager {
public:
  // Makes the help pad visible and gives its viewer (none when there is no
  // help pad to show).
  using HelpPadShower = std::function<HelpViewController*()>;

  static void installHelpPad(HelpPadShower shower);

  // The folder of the pages, and the file address of one page.
  static QString helpFolder();
  static QUrl pageUrl(const QString& lastPathComponent);
  // Whether the name is a plain file name of a page of the help folder.
  static bool isPageName(const QString& lastPathComponent);

  // Shows the page in the browser, or in the help pad, which is made
  // visible first. False when nothing could show it.
  static bool showPage(const QString& lastPathComponent, bool inBrowser);

  static void showHelpIndex();
  static void showWelcome();
  // "Tip00.html" .. "Tip09.html", then "Tip10.html" and on.
  static void showTip(int day);
  static QString tipPageName(int day);
  static void showNotePadHelp();
  static void showProductivityTechniques();
  static void showSoftBreakHelp();
  static void showAutomaticallyBringToFront();
  static void showFocusLevelHelp();
  static void showHushboxIntegrationHelp(bool inBrowser);
  static void showOmniFocusHelp(bool inBrowser);
  static void showThingsHelp(bool inBrowser);
  static void showDropboxHelp(bool inBrowser);
  static void showAppleScriptHelp(bool inBrowser);
  static void showSpeechTagsReference(bool inBrowser);
  // Always in the browser.
  static void showHitListHelp(bool inBrowser);
  // The help of the Dropbox alerts: "dropbox.html" in the help pad.
  static std::shared_ptr<GenericAlertHelpDelegate> createAlertHelpDelegateForDropbox();
};

} // namespace kr
