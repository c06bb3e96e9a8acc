#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace kr {

// Services the pages call that other parts of the application provide: help
// pages, pad templates, the statistics refresh. The shell
// installs each one as its part exists; a call to one that is not installed
// does nothing.
struct PageServices {
  // Shows the named help page ("welcome.html") in the help pad or, when asked,
  // in the web browser.
  std::function<void(const QString& page, bool inBrowser)> showHelpPage;
  // Fills a note pad from its template.
  std::function<void(const QString& padName)> applyPadTemplate;
  // Asks the statistics to read the logged slices again.
  std::function<void()> refreshStatistics;
  // Whether the main window shows its pad section, and the settings keys that
  // hide each pad (one of them "statsPadHidden").
  std::function<bool()> isPadSectionVisible;
  std::function<QStringList()> padStorageKeyPaths;
  // Inserts the breadcrumbs or the priming template into the scratch pad.
  std::function<void()> addBreadcrumbsTemplate;
  std::function<void()> addPrimingTemplate;

  static PageServices& shared();

  void callShowHelpPage(const QString& page, bool inBrowser = false) const {
    if (showHelpPage)
      showHelpPage(page, inBrowser);
  }
  void callApplyPadTemplate(const QString& padName) const {
    if (applyPadTemplate)
      applyPadTemplate(padName);
  }
  void callRefreshStatistics() const {
    if (refreshStatistics)
      refreshStatistics();
  }
  bool callIsPadSectionVisible() const { return isPadSectionVisible && isPadSectionVisible(); }
  QStringList callPadStorageKeyPaths() const {
    return padStorageKeyPaths ? padStorageKeyPaths() : QStringList();
  }
  void callAddBreadcrumbsTemplate() const {
    if (addBreadcrumbsTemplate)
      addBreadcrumbsTemplate();
  }
  void callAddPrimingTemplate() const {
    if (addPrimingTemplate)
      addPrimingTemplate();
  }
};

} // namespace kr
