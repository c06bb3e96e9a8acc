// The program at rest: until a web page is first shown, nothing of the web
// engine or of OpenGL exists in the process, and only a known set of threads
// runs, in little memory. Showing the statistics loads the engine then, and
// hiding them leaves no timer of theirs running, nor the main window composed
// through OpenGL.
#include "StartedProgram.h"

#include "support/TestEnvironment.h"

#include "effects/EffectsServices.h"
#include "effects/SoundManager.h"
#include "effects/SpeechManager.h"
#include "engine/DataModel.h"
#include "kit/text/ObjectiveTextView.h"
#include "platform/CaretBlinkRest.h"
#include "platform/linux/media/QtAudioOutput.h"
#include "platform/linux/media/QtSpeechSynthesizer.h"
#include "platform/linux/spelling/HunspellSpellChecker.h"
#include "platform/linux/web/DeferredHtmlView.h"
#include "platform/linux/x11/X11SendBuffer.h"
#include "platform/services/HtmlView.h"
#include "platform/services/SpellCheckerAPI.h"
#include "shell/AppDelegate.h"
#include "shell/ApplicationShell.h"
#include "stats/StatsViewController.h"
#include "window/DefineDurationTimeIndicatorWall.h"
#include "window/MainMenu.h"
#include "window/MainWindow.h"
#include "window/MainWindowController.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QBackingStore>
#include <QDir>
#include <QFile>
#include <QOpenGLContext>
#include <QPaintEvent>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QThreadPool>
#include <QWindow>

#include <algorithm>
#include <cmath>

using namespace kr;

namespace {

QString procFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

bool mapped(const char* library) {
  return procFile(QStringLiteral("/proc/self/maps")).contains(QLatin1String(library));
}

bool engineMapped() { return mapped("WebEngineCore"); }

QStringList threadNames() {
  QStringList names;
  const QDir tasks(QStringLiteral("/proc/self/task"));
  for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
    names << procFile(tasks.filePath(task) + QStringLiteral("/comm")).trimmed();
  return names;
}

// Resident memory in MB.
double residentMegabytes() {
  for (const QString& line : procFile(QStringLiteral("/proc/self/status")).split(u'\n')) {
    if (line.startsWith(QLatin1String("VmRSS:")))
      return line.section(u':', 1).trimmed().section(u' ', 0, 0).toDouble() / 1024.0;
  }
  return -1.0;
}

// The widget of the process with that name; none when there is none.
QWidget* widgetNamed(const QString& name) {
  for (QWidget* widget : QApplication::allWidgets()) {
    if (widget->objectName() == name)
      return widget;
  }
  return nullptr;
}

// Whether the window's last repaint was composed through OpenGL: Qt makes
// its context current on the window to compose it, and leaves it so.
bool composedThroughOpenGL(QWidget* window) {
  const QOpenGLContext* context = QOpenGLContext::currentContext();
  return context && context->surface() == static_cast<QSurface*>(window->windowHandle());
}

void forgetCurrentContext() {
  if (QOpenGLContext* context = QOpenGLContext::currentContext())
    context->doneCurrent();
}

} // namespace

namespace {

// Where the widgets of a window repaint, in the window's coordinates.
class PaintRecorder : public QObject {
public:
  explicit PaintRecorder(QWidget* window) : window_(window) {
    QCoreApplication::instance()->installEventFilter(this);
  }
  ~PaintRecorder() override { QCoreApplication::instance()->removeEventFilter(this); }
  QRegion painted;
  QStringList widgets;

protected:
  bool eventFilter(QObject* object, QEvent* event) override {
    auto* widget = qobject_cast<QWidget*>(object);
    if (event->type() == QEvent::Paint && widget && widget->window() == window_) {
      const QRect rect = static_cast<QPaintEvent*>(event)->rect();
      painted += QRect(widget->mapTo(window_, rect.topLeft()), rect.size());
      widgets << QString::fromLatin1(widget->metaObject()->className());
    }
    return false;
  }

private:
  QWidget* window_;
};

} // namespace

TEST(LeanStart, NoWebEngineNorOpenGLUntilAWebPageIsShown) {
  const QByteArray usersRenderer = qgetenv("LP_NUM_THREADS");
  test::StartedProgram p;
  QCoreApplication::processEvents();
  EXPECT_FALSE(DeferredHtmlView::isEngineLoaded());
  EXPECT_FALSE(engineMapped()) << "the web engine's libraries are not even loaded";
  EXPECT_EQ(QOpenGLContext::globalShareContext(), nullptr) << "no OpenGL context";
  EXPECT_FALSE(QCoreApplication::testAttribute(Qt::AA_ShareOpenGLContexts));

  // Our own threads carry names; the rest are Qt's and the desktop
  // libraries' own, none of them a renderer's. The system keeps 15
  // characters of a name.
  const QStringList known{QStringLiteral("test_lean_start"), QStringLiteral("QXcbEventQueue"),
                          QStringLiteral("QDBusConnection"), QStringLiteral("gmain"),
                          QStringLiteral("gdbus"),           QStringLiteral("dconf worker"),
                          QStringLiteral("Thread (pooled)"), QStringLiteral("folderContentMonitor"),
                          QStringLiteral("calendar files"),  QStringLiteral("oneUpdateAtATime"),
                          QStringLiteral("settingsWriter"),  QStringLiteral("logFileReader")};
  const QStringList names = threadNames();
  for (const QString& name : names) {
    const bool listed = std::any_of(known.begin(), known.end(),
                                    [&](const QString& k) { return k.left(15) == name; });
    EXPECT_TRUE(listed) << "unexpected thread " << qPrintable(name);
  }
  // Qt paints large areas with the shared pool's threads, as many as the
  // machine has cores; they end soon after.
  const qsizetype pooled = names.count(QStringLiteral("Thread (pooled)"));
  EXPECT_LE(names.size() - pooled, 8) << qPrintable(names.join(QStringLiteral(", ")));
  EXPECT_LE(QThreadPool::globalInstance()->expiryTimeout(), 2000);
  EXPECT_EQ(names.count(QStringLiteral("test_lean_start")), 1)
      << "every thread but the main one has a name of its own";
#if !KR_ADDRESS_SANITIZER && !defined(__SANITIZE_THREAD__)
  const double rss = residentMegabytes();
  EXPECT_GT(rss, 0.0);
  // About 38 MB of it are the pages of Qt and the system's libraries that
  // every Qt program maps (50 in all); the spelling dictionary would add 8,
  // the web engine some 170.
  EXPECT_LT(rss, 55.0) << "MB resident before any web page";
#endif
  // The program's own timers on the define page, once the start-up's are done.
  p.clock.advance(30.0);
  const int idleTimers = p.clock.runningTimerCount();
  // Workers waiting for their next job hold no thread: once the start-up's
  // reads and writes are done, the settings writer, the log reloads' queue and
  // the calendar reader have none.
  const QStringList workers{QStringLiteral("settingsWriter"), QStringLiteral("oneUpdateAtATim"),
                            QStringLiteral("calendar files")};
  const auto workersGone = [&] {
    const QStringList now = threadNames();
    return std::none_of(workers.begin(), workers.end(),
                        [&](const QString& worker) { return now.contains(worker); });
  };
  EXPECT_TRUE(QTest::qWaitFor(workersGone, 10000)) << qPrintable(threadNames().join(u','));

  MainMenu& menu = p.program->shell().mainMenu();
  QAction* statistics = menu.itemSending(QStringLiteral("toggleStatisticsWindow"));
  ASSERT_NE(statistics, nullptr);
  statistics->trigger();
  MainWindowController& window = p.program->shell().appDelegate().mainWindow()->controller();
  ASSERT_NE(window.statsController(), nullptr);
  auto* view = qobject_cast<DeferredHtmlView*>(window.statsController()->webView.data());
  ASSERT_NE(view, nullptr);
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->engineView() != nullptr; }, 20000));
  EXPECT_TRUE(DeferredHtmlView::isEngineLoaded());
  EXPECT_TRUE(engineMapped());
  // Mesa's software renderer draws on the composing thread, unless the user
  // chose otherwise.
  EXPECT_EQ(qgetenv("LP_NUM_THREADS"), usersRenderer.isNull() ? QByteArray("0") : usersRenderer);
  EXPECT_TRUE(view->failureLine().isEmpty());
  QSignalSpy loaded(view, &HtmlView::loadFinished);
  view->loadFile(QStringLiteral(KR_TEST_PAGE));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !loaded.isEmpty(); }, 20000));
  EXPECT_TRUE(loaded.last().at(0).toBool()) << "the page shows through the loaded engine";
  // It is drawn in a window embedded where the view is, which fills it; the
  // main window is not composed through OpenGL.
  QWidget* mainWindow = &window.window();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(mainWindow));
  QWidget* page = widgetNamed(QStringLiteral("Web Page Window"));
  QWidget* container = widgetNamed(QStringLiteral("Web Page"));
  ASSERT_TRUE(page && container && mainWindow->isAncestorOf(container));
  ASSERT_TRUE(QTest::qWaitFor([&] { return page->size() == container->size(); }, 5000));
  EXPECT_TRUE(page->isVisible());
  EXPECT_NE(page->windowHandle()->parent(), nullptr) << "no window of its own on the desktop";
  forgetCurrentContext();
  mainWindow->repaint(); // painted and shown at once
  EXPECT_FALSE(composedThroughOpenGL(mainWindow));

  // Hidden again: the statistics keep no timer of ours running, the page's
  // window goes with them, and the clock's ticks repaint the main window
  // alone, as before the page was shown.
  statistics->trigger();
  QCoreApplication::processEvents();
  EXPECT_FALSE(view->isVisible());
  EXPECT_FALSE(page->windowHandle()->isVisible());
  // The keyboard the pad had goes back to the page; a caret there blinks
  // until it rests.
  p.clock.advance(CaretBlinkRest::kRestAfterSeconds);
  QCoreApplication::processEvents();
  PaintRecorder recorder(mainWindow);
  forgetCurrentContext();
  for (int tick = 0; tick < 5; ++tick) {
    p.clock.advance(1.0);
    QCoreApplication::processEvents();
    EXPECT_FALSE(composedThroughOpenGL(mainWindow)) << "tick " << tick;
  }
  EXPECT_FALSE(recorder.painted.isEmpty()) << "the clock still ticks";
  // The page is given back a minute after it was hidden, and the freed memory
  // a few seconds later; then only the define page's timers run.
  p.clock.advance(60.0);
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        p.clock.advance(1.0);
        return p.clock.runningTimerCount() == idleTimers;
      },
      int(test::timeLimit(5000))))
      << p.clock.runningTimerCount() << " timers run";
}

TEST(LeanStart, AClockTickRepaintsOnlyTheReadoutItChanges) {
  test::StartedProgram p;
  MainWindow* window = p.program->shell().appDelegate().mainWindow();
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
  p.clock.advance(30.0); // the start-up's work done
  QCoreApplication::processEvents();
  DefineDurationTimeIndicatorWall* wall = nullptr;
  for (auto* candidate : window->findChildren<DefineDurationTimeIndicatorWall*>()) {
    if (candidate->isVisible())
      wall = candidate;
  }
  ASSERT_NE(wall, nullptr);
  QLabel* ends = wall->endDateField();

  // The page refreshes once a second; the end time it shows changes with
  // each tick, the calendar strip and the rest of the page do not (within a
  // minute: the quarter hours of the slider move with the minutes).
  p.clock.advance(70.0 - std::fmod(p.clock.now(), 60.0));
  QCoreApplication::processEvents();
  PaintRecorder recorder(window);
  const QString before = ends->text();
  p.clock.advance(1.0);
  QCoreApplication::processEvents();
  ASSERT_NE(ends->text(), before);
  const QRect label(ends->mapTo(window, QPoint()), ends->size());
  EXPECT_FALSE(recorder.painted.isEmpty()) << "the new time is drawn";
  EXPECT_EQ(recorder.painted - QRegion(label), QRegion())
      << "painted beside the clock: " << qPrintable(recorder.widgets.join(u' '));

  // Nor is the page laid out again for a new time no wider than the field
  // already is: only a reading that needs more room asks for it.
  struct LayoutCounter : QObject {
    QWidget* window = nullptr;
    int requests = 0;
    bool eventFilter(QObject* watched, QEvent* event) override {
      auto* widget = qobject_cast<QWidget*>(watched);
      if (event->type() == QEvent::LayoutRequest && widget && widget->window() == window)
        ++requests;
      return false;
    }
  } counter;
  counter.window = window;
  qApp->installEventFilter(&counter);
  int narrowTicks = 0;
  // A layout asks its parent's in turn, one round of events later.
  const auto settle = [] {
    for (int round = 0; round < 20; ++round)
      QCoreApplication::processEvents();
  };
  for (int tick = 0; tick < 20; ++tick) {
    settle();
    const int room = ends->width();
    counter.requests = 0;
    p.clock.advance(1.0);
    settle();
    if (ends->sizeHint().width() > room)
      continue;
    ++narrowTicks;
    EXPECT_EQ(counter.requests, 0) << "laid out for " << qPrintable(ends->text());
  }
  qApp->removeEventFilter(&counter);
  EXPECT_GT(narrowTicks, 10);
}

TEST(LeanStart, TheConnectionToTheXServerHasRoomForADialFrame) {
  test::StartedProgram p;
  // The system grants at most its own largest room, and counts it twice.
  QFile limit(QStringLiteral("/proc/sys/net/core/wmem_max"));
  ASSERT_TRUE(limit.open(QIODevice::ReadOnly));
  const qint64 largest = limit.readAll().trimmed().toLongLong();
  ASSERT_GT(largest, 0);
  EXPECT_GE(qint64(X11SendBuffer::current()),
            2 * std::min<qint64>(X11SendBuffer::kWanted, largest));
}

TEST(LeanStart, TheSpellingDictionaryIsReadForTheUsersOwnWordsOnly) {
  test::StartedProgram p;
  QCoreApplication::processEvents();
  auto* checker = dynamic_cast<HunspellSpellChecker*>(&SpellCheckerAPI::shared());
  ASSERT_NE(checker, nullptr);
  ASSERT_TRUE(checker->isAvailable()) << qPrintable(checker->unavailableReason());
  ObjectiveTextView* objective = nullptr;
  for (QWidget* widget : QApplication::allWidgets()) {
    if (auto* editor = qobject_cast<ObjectiveTextView*>(widget); editor && editor->isVisible())
      objective = editor;
  }
  ASSERT_NE(objective, nullptr);
  // The prompt on the define page is the program's own text.
  ASSERT_EQ(objective->toPlainText(), DataModel::kObjectivePlaceholder);
  p.clock.advance(5.0);
  QCoreApplication::processEvents();
  EXPECT_FALSE(checker->isLoaded());

  // The user's words are checked once the dictionary is there: the key
  // that asks for it is not held up by its reading.
  objective->setFocus();
  objective->selectAll();
  QTest::keyClicks(objective, QStringLiteral("Wrtie the reprot "));
  EXPECT_EQ(objective->toPlainText(), QStringLiteral("Wrtie the reprot "));
  const auto marked = [&] {
    int underlined = 0;
    for (const QTextLayout::FormatRange& range :
         objective->document()->firstBlock().layout()->formats())
      underlined += range.format.underlineStyle() == QTextCharFormat::SpellCheckUnderline;
    return underlined;
  };
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return checker->isLoaded() && marked() == 2; }, test::timeLimit(5000)))
      << marked() << " words marked";
}

TEST(LeanStart, SoundAndSpeechAreSetUpAtTheirFirstUseAndNotBefore) {
  test::ConsoleCapture console;
  test::StartedProgram p;
  QCoreApplication::processEvents();
  const EffectsServices::BackEnds& backEnds = EffectsServices::shared().backEnds();
  auto* audio = dynamic_cast<QtAudioOutput*>(&backEnds.audio);
  auto* speech = dynamic_cast<QtSpeechSynthesizer*>(&backEnds.speech);
  ASSERT_TRUE(audio && speech);
  SoundManager& sounds = EffectsServices::shared().soundManager();
  // At rest, muting and unmuting (which cut sounds and speech off) included.
  p.clock.advance(30.0);
  sounds.setMuteOverride(true);
  sounds.setMuteOverride(std::nullopt);
  QCoreApplication::processEvents();
  EXPECT_FALSE(audio->isSetUp()) << "no connection to the sound server";
  EXPECT_FALSE(speech->isStarted()) << "no speech server";
  EXPECT_FALSE(mapped("plugins/texttospeech")) << "the speech engine is not even loaded";
  const auto saidOf = [&](const char* service) {
    return console.lines().filter(QStringLiteral("kr.platform: %1: ").arg(QLatin1String(service)));
  };
  ASSERT_EQ(saidOf("sound").size(), 1);

  // The first sound sets the sound system up and is played, or said once
  // not to be where no device plays it.
  sounds.playSampleWithPrivateName(QStringLiteral("pop"), 0.0f);
  EXPECT_TRUE(audio->isSetUp());
  const QStringList soundSaid = saidOf("sound");
  ASSERT_EQ(soundSaid.size(), 2) << "the set-up says whether sound plays";
  const bool plays = audio->isAvailable();
  EXPECT_EQ(soundSaid.last().contains(QLatin1String(": available")), plays)
      << qPrintable(soundSaid.last());
  EXPECT_EQ(sounds.audioDevices().size(), audio->outputDevices().size() + 1)
      << "the device list follows the system's, after the system default";
  sounds.playSoundWithPrivateName(QStringLiteral("pop"), 0.0f);
  EXPECT_EQ(console.lines().filter(QStringLiteral("No sound: ")).size(), plays ? 0 : 1);
  audio->stopOneShots();

  // The first thing said starts the speech engine.
  EffectsServices::shared().speechManager().speakString(QStringLiteral("Break"));
  EXPECT_TRUE(speech->isStarted());
  EXPECT_TRUE(mapped("plugins/texttospeech"));
  if (!speech->isAvailable()) {
    EXPECT_EQ(console.lines().filter(QStringLiteral("No speech: ")).size(), 1);
  }
  speech->stop();
}

TEST(LeanStart, AHiddenWindowKeepsNoPictureOfItselfAndIsDrawnWholeWhenShown) {
  test::StartedProgram p;
  MainWindow* window = p.program->shell().appDelegate().mainWindow();
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
  p.clock.advance(5.0);
  QCoreApplication::processEvents();
  QBackingStore* store = window->backingStore();
  ASSERT_NE(store, nullptr);
  const QSize shown = store->size();
  ASSERT_GT(shown.width() * shown.height(), 10000);

  window->hide();
  QCoreApplication::processEvents();
  EXPECT_LE(store->size().width() * store->size().height(), 1) << "no picture while hidden";
  p.clock.advance(5.0); // the clock ticks on while hidden
  QCoreApplication::processEvents();
  EXPECT_LE(store->size().width() * store->size().height(), 1);

  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
  ASSERT_TRUE(QTest::qWaitFor([&] { return store->size() == shown; }, test::timeLimit(5000)));
  QCoreApplication::processEvents();
  // Every pixel on the screen is drawn again: it is what the window draws.
  const QImage picture =
      window->screen()->grabWindow(window->winId()).toImage().convertToFormat(QImage::Format_RGB32);
  const QImage drawn = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(picture.size(), drawn.size());
  qsizetype differing = 0;
  for (int y = 0; y < drawn.height(); ++y) {
    for (int x = 0; x < drawn.width(); ++x)
      differing += picture.pixel(x, y) != drawn.pixel(x, y) ? 1 : 0;
  }
  // A caret may blink between the two.
  EXPECT_LT(differing, drawn.width() * drawn.height() / 100) << differing << " pixels differ";
}
