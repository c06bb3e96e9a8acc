#pragma once

#include <QWebEnginePage>

#include <functional>

namespace kr {

// The page inside the web view: clicked links that should not stay in the
// view go to the desktop's browser (through the installed URL opener), and script errors go to the
// console as warnings.
class WebEnginePage : public QWebEnginePage {
  Q_OBJECT

public:
  using LinkPolicy = std::function<bool(const QUrl& url)>;

  WebEnginePage(QWebEngineProfile* profile, LinkPolicy staysInside, QObject* parent = nullptr);

protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
  void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                int lineNumber, const QString& sourceID) override;

private:
  LinkPolicy staysInside_;
};

} // namespace kr
