#pragma once

#include <QUrl>
#include <QWidget>

#include <functional>

namespace kr {

// The program's web view: shows local HTML pages (the statistics, the help).
//
// Made through create(), which gives the view of the back end the program
// installed at start-up; before that, a view that shows nothing. A load
// always reads the file afresh. loadFinished() also fires when a link moves
// within the page. Clicked links for which the link policy answers false are
// handed to the desktop's browser instead of being followed.
class HtmlView : public QWidget {
  Q_OBJECT

public:
  using Factory = std::function<HtmlView*(QWidget* parent)>;
  using LinkPolicy = std::function<bool(const QUrl& url)>;

  explicit HtmlView(QWidget* parent = nullptr);
  ~HtmlView() override;

  static HtmlView* create(QWidget* parent = nullptr);
  // Installs the back end's factory; none: views that show nothing.
  static void installFactory(Factory factory);

  // Shows the local file, bypassing every cache.
  virtual void loadFile(const QString& path) = 0;
  // An empty page; with a text, that one line on it.
  virtual void showBlankPage(const QString& line = {}) = 0;
  virtual QUrl url() const = 0;
  virtual void back() = 0;
  virtual void forward() = 0;
  virtual bool canGoBack() const = 0;
  virtual bool canGoForward() const = 0;

  // Which clicked links stay in the view. The default keeps local files.
  void setLinkPolicy(LinkPolicy policy);
  bool linkStaysInside(const QUrl& url) const;

Q_SIGNALS:
  void loadFinished(bool ok);

private:
  LinkPolicy linkPolicy_;
};

} // namespace kr
