#include "platform/linux/web/DeferredHtmlView.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLibrary>
#include <QLoggingCategory>
#include <QOpenGLContext>
#include <QStackedLayout>
#include <QTimer>

#include <unistd.h>

// Qt's own hook for the context that every OpenGL context of the application
// shares with; QtGui exports it for modules such as the web engine.
QT_BEGIN_NAMESPACE
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);
QT_END_NAMESPACE

namespace kr {

namespace {

// The loading of the web engine's module; the pages log as "kr.platform.web".
Q_LOGGING_CATEGORY(lcWebLoader, "kr.platform.web.loader")

using MakeView = HtmlView* (*)(QWidget* parent);

const char kModuleFile[] = "korvane-r-web.so";
const char kMakeViewSymbol[] = "kr_make_web_engine_html_view";

// One load for the process: the engine's libraries stay until the end.
struct Module {
  MakeView make = nullptr;
  QString error;
  bool tried = false;
};

Module& module() {
  static Module m;
  return m;
}

// What the engine expects of the application before its library is loaded:
// a shared OpenGL context, made here rather than at start-up, so a program
// that never shows a web page never starts OpenGL. False where OpenGL cannot
// be had.
bool prepareSharedContext() {
  // A window that holds a web view is composed through OpenGL whenever any of
  // it repaints. Where OpenGL is Mesa's software renderer (no graphics
  // driver: virtual machines, remote desktops), its default of a thread per
  // core wakes every core for each composition of a static page, and even
  // one helper thread costs two wake-ups a frame (handing the frame over and
  // waiting for it): "0" draws on the thread that composes, as fast for a
  // window of this size. A user's own setting stands; graphics drivers ignore
  // it. The engine's own processes inherit it and draw without OpenGL.
  if (!qEnvironmentVariableIsSet("LP_NUM_THREADS"))
    qputenv("LP_NUM_THREADS", "0");
  if (QOpenGLContext* shared = QOpenGLContext::globalShareContext())
    return shared->isValid();
  // Without OpenGL (no driver, or a display that offers none) the engine's
  // view would take the window down at its first repaint: no engine then.
  auto* context = new QOpenGLContext(QCoreApplication::instance());
  context->setFormat(QSurfaceFormat::defaultFormat());
  if (!context->create()) {
    delete context;
    return false;
  }
  qt_gl_set_global_share_context(context);
  return true;
}

MakeView loadModule(QString* error) {
  Module& m = module();
  if (!m.tried) {
    m.tried = true;
    const QString path = DeferredHtmlView::modulePath();
    if (!prepareSharedContext()) {
      m.error = QStringLiteral("this display offers no OpenGL, which the web engine needs");
    } else if (path.isEmpty()) {
      m.error = QStringLiteral("%1 was not found").arg(QString::fromLatin1(kModuleFile));
    } else {
      QLibrary library(path);
      m.make = reinterpret_cast<MakeView>(library.resolve(kMakeViewSymbol));
      if (!m.make)
        m.error = library.errorString();
    }
    if (!m.make)
      qCWarning(lcWebLoader).noquote() << "The web engine could not be loaded:" << m.error;
  }
  *error = m.error;
  return m.make;
}

} // namespace

DeferredHtmlView::DeferredHtmlView(QWidget* parent)
    : HtmlView(parent), stack_(new QStackedLayout(this)), line_(new QLabel(this)) {
  stack_->setContentsMargins(0, 0, 0, 0);
  line_->setAlignment(Qt::AlignCenter);
  line_->setWordWrap(true);
  line_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  stack_->addWidget(line_);
}

DeferredHtmlView::~DeferredHtmlView() { delete engine_; }

void DeferredHtmlView::prepareApplication() {
  // The engine's sandbox refuses to run as root.
  if (::geteuid() == 0) {
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.contains("--no-sandbox"))
      qputenv("QTWEBENGINE_CHROMIUM_FLAGS", (flags + " --no-sandbox").trimmed());
  }
}

bool DeferredHtmlView::isEngineLoaded() { return module().make != nullptr; }

QString DeferredHtmlView::modulePath() {
  const QString file = QString::fromLatin1(kModuleFile);
  const QString dir = QCoreApplication::applicationDirPath();
  QStringList candidates{dir + QLatin1Char('/') + file,
                         dir + QStringLiteral("/../lib/korvane-r/") + file};
#ifdef KR_WEB_MODULE_BUILD_PATH
  candidates << QStringLiteral(KR_WEB_MODULE_BUILD_PATH);
#endif
  for (const QString& candidate : candidates) {
    if (QFileInfo(candidate).isFile())
      return QFileInfo(candidate).canonicalFilePath();
  }
  return {};
}

void DeferredHtmlView::showEvent(QShowEvent* event) {
  HtmlView::showEvent(event);
  if (!engine_ && !failed_)
    startEngine();
}

void DeferredHtmlView::startEngine() {
  QString error;
  const MakeView make = loadModule(&error);
  if (!make) {
    failed_ = true;
    line_->setText(QStringLiteral("Web pages cannot be shown: %1").arg(error));
    stack_->setCurrentWidget(line_);
    if (pending_.isValid()) {
      pending_.clear();
      // Reported after the caller's own step, as a load would be.
      QTimer::singleShot(0, this, [this] { Q_EMIT loadFinished(false); });
    }
    return;
  }
  engine_ = make(this);
  engine_->setLinkPolicy([this](const QUrl& url) { return linkStaysInside(url); });
  connect(engine_, &HtmlView::loadFinished, this, &HtmlView::loadFinished);
  stack_->addWidget(engine_);
  stack_->setCurrentWidget(engine_);
  if (pending_.isValid()) {
    const QString path = pending_.toLocalFile();
    pending_.clear();
    engine_->loadFile(path);
  } else if (pendingBlank_) {
    engine_->showBlankPage(pendingLine_);
  }
  pendingBlank_ = false;
  pendingLine_.clear();
}

void DeferredHtmlView::loadFile(const QString& path) {
  if (engine_) {
    engine_->loadFile(path);
    return;
  }
  if (failed_) {
    QTimer::singleShot(0, this, [this] { Q_EMIT loadFinished(false); });
    return;
  }
  pending_ = QUrl::fromLocalFile(path);
  pendingBlank_ = false;
}

void DeferredHtmlView::showBlankPage(const QString& line) {
  if (engine_) {
    engine_->showBlankPage(line);
    return;
  }
  pending_.clear();
  pendingBlank_ = true;
  pendingLine_ = line;
}

QUrl DeferredHtmlView::url() const {
  if (engine_)
    return engine_->url();
  if (pending_.isValid())
    return pending_;
  return QUrl(QStringLiteral("about:blank"));
}

void DeferredHtmlView::back() {
  if (engine_)
    engine_->back();
}

void DeferredHtmlView::forward() {
  if (engine_)
    engine_->forward();
}

bool DeferredHtmlView::canGoBack() const { return engine_ && engine_->canGoBack(); }

bool DeferredHtmlView::canGoForward() const { return engine_ && engine_->canGoForward(); }

QString DeferredHtmlView::failureLine() const { return failed_ ? line_->text() : QString(); }

} // namespace kr
