#include "window/PadViewController.h"

#include "window/PadSheetButton.h"
#include "window/SheetCaretMemory.h"

#include "engine/BackingStoreDescriptor.h"
#include "engine/BackingStoreManager.h"
#include "kit/text/BorderedBackgroundView.h"
#include "kit/text/FastTypeTextViewDelegate.h"
#include "kit/text/NowAndLaterBoardTextView.h"
#include "kit/text/PadSheetWriter.h"
#include "kit/text/TextIndicatorsView.h"
#include "platform/DetachedJob.h"
#include "platform/FatalError.h"
#include "platform/QnLog.h"
#include "platform/drawing/GraphicsContext.h"
#include "platform/richtext/RtfdPackage.h"
#include "platform/services/AlertPresenterAPI.h"
#include "platform/settings/UserDefaults.h"

#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QThread>
#include <QToolButton>

#include <array>

namespace kr {

namespace {

QList<QPointer<PadViewController>>& controllers() {
  static QList<QPointer<PadViewController>> list;
  return list;
}

std::function<void(const QString&)>& helpPageShower() {
  static std::function<void(const QString&)> show;
  return show;
}

// A widget that places its children itself whenever it is resized.
class PlacingWidget : public QWidget {
public:
  std::function<void()> place;

protected:
  void resizeEvent(QResizeEvent* event) override {
    QWidget::resizeEvent(event);
    if (place)
      place();
  }
};

} // namespace

// A document built for a controller, deleted unless it takes it over.
struct BuiltDocument {
  QTextDocument* document = nullptr;
  BuiltDocument() = default;
  BuiltDocument(const BuiltDocument&) = delete;
  BuiltDocument& operator=(const BuiltDocument&) = delete;
  ~BuiltDocument() { delete document; }
};

// What was read of a sheet, without its text (the document holds that).
struct PadViewController::ReadSheet {
  BackingStoreManager::SelectedFile::Status status = BackingStoreManager::SelectedFile::Status::Ok;
  QString path;
  QString error;
};

namespace {
bool writesInBackground = false;
// Between a quit's start and its end (or its cancellation).
bool quittingNow = false;
} // namespace

// PadViewController

const QString PadViewController::kDeleteQuestion =
    QStringLiteral("Are you certain that you want to permanently delete this sheet?");

PadViewController::PadViewController(bool delayedBuild, QObject* parent)
    : NiblessViewController(delayedBuild, parent) {}

PadViewController::~PadViewController() {
  dropSheetBuild();
  controllers().removeAll(this);
  // The views may outlive the controller inside the window: they stop
  // calling it.
  for (QWidget* widget : {view(), textViewWall_}) {
    if (auto* placing = dynamic_cast<PlacingWidget*>(widget))
      placing->place = nullptr;
  }
}

QList<PadViewController*> PadViewController::allPadViewControllers() {
  QList<PadViewController*> all;
  for (const QPointer<PadViewController>& controller : controllers()) {
    if (controller)
      all.append(controller);
  }
  return all;
}

void PadViewController::setShowHelpPage(std::function<void(const QString&)> show) {
  helpPageShower() = std::move(show);
}

void PadViewController::build() {
  KR_ASSERT(!backgroundColorStorageKey.isEmpty(),
            QStringLiteral("PadViewController built without a background colour key"));
  KR_ASSERT(backingStoreDescriptor != nullptr,
            QStringLiteral("PadViewController built without a backing store"));
  auto* view = new PlacingWidget;
  view->setObjectName(QStringLiteral("padView"));
  view->setMinimumWidth(kMinimumWidth);
  view->setMinimumHeight(kTopBand + kButtonStrip + 40);
  // The top band belongs to the pad wall's button row, which lies under this
  // view: only the indicators and the text take clicks.
  view->setAttribute(Qt::WA_TranslucentBackground);
  setView(view);

  textIndicatorsView_ = new TextIndicatorsView(view);
  textViewWall_ = createTextViewWall();
  textViewWall_->setParent(view);
  textViewWall_->setObjectName(QStringLiteral("textViewWall"));
  textView_->setBackingStoreDescriptor(backingStoreDescriptor);
  view->place = [this] { layoutView(); };

  textView_->setTextIndicatorsView(textIndicatorsView_);
  updateToolbarButtons();
  textView_->awakeFromNib();
  connect(textView_->delegate(), &FastTypeTextViewDelegate::leftSheetNotWritten, this,
          &PadViewController::turnBackTo);
  // What was said about keys not kept goes once the user types again.
  connect(textView_, &NowAndLaterBoardTextView::editedByUser, this, [this] {
    if (!keysNotice_.isEmpty() && !textView_->isLoadingSheet()) {
      keysNotice_.clear();
      showNotice();
    }
  });
  textView_->installEventFilter(this);
  controllers().append(this);
}

void PadViewController::layoutView() {
  QWidget* view = this->view();
  const int width = view->width();
  textIndicatorsView_->setGeometry(width - TextIndicatorsView::kWidth, 4,
                                   TextIndicatorsView::kWidth, TextIndicatorsView::kHeight);
  // One point in from the sides, two below the bottom (the window's frame
  // covers them).
  textViewWall_->setGeometry(1, kTopBand, width - 2, view->height() - kTopBand + 2);
}

QWidget* PadViewController::createTextViewWall() {
  auto* wall = new PlacingWidget;
  background_ = BorderedBackgroundView::createForColorKey(backgroundColorStorageKey, wall);
  textView_ = new NowAndLaterBoardTextView(background_);
  caretMemory_ = new SheetCaretMemory(
      *textView_, [store = backingStoreDescriptor] { return store->getPathToSelectedFile(); });
  connect(this, &PadViewController::sheetShown, caretMemory_, &SheetCaretMemory::sheetShown);
  textView_->setFrameShape(QFrame::NoFrame);
  textView_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  textView_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  textView_->setLineWrapMode(QTextEdit::WidgetWidth);
  textView_->viewport()->setAutoFillBackground(false);
  textView_->setAutoFillBackground(false);
  textView_->setStyleSheet(QStringLiteral("QTextEdit { background: transparent; }"));
  textView_->verticalScrollBar()->setObjectName(QStringLiteral("SpecialScroller"));

  noticeLabel_ = new QLabel(background_);
  noticeLabel_->setObjectName(QStringLiteral("sheetNotice"));
  noticeLabel_->setWordWrap(true);
  noticeLabel_->setStyleSheet(
      QStringLiteral("QLabel { background: #fff4c0; color: #5a3c00; padding: 4px; }"));
  noticeLabel_->hide();

  updateTextView();

  // From the right: new, next, previous, delete, help.
  using Glyph = PadSheetButton::Glyph;
  const auto button = [wall](Glyph glyph, const char* name, const QString& tip) {
    return new PadSheetButton(glyph, kSheetButtonSize, QString::fromLatin1(name), tip, wall);
  };
  newSheetButton_ = button(Glyph::add, "newSheetButton", QStringLiteral("Create A New Sheet"));
  nextSheetButton_ = button(Glyph::next, "nextSheetButton", QStringLiteral("Next / New Pad"));
  previousSheetButton_ =
      button(Glyph::previous, "previousSheetButton", QStringLiteral("Previous Pad"));
  deleteSheetButton_ =
      button(Glyph::stop, "deleteSheetButton", QStringLiteral("Delete Current Pad"));
  helpButton_ = button(Glyph::help, "helpButton", QStringLiteral("More Information\u2026"));
  connect(newSheetButton_, &QToolButton::clicked, this, [this] {
    // The new sheet takes the focus, pressed from the keyboard or clicked:
    // what is typed next goes onto it (not into the page's objective), and a
    // second Space does not make another sheet.
    if (newSheet())
      textView_->setFocus(Qt::OtherFocusReason);
  });
  connect(nextSheetButton_, &QToolButton::clicked, this, [this] { nextSheet(); });
  connect(previousSheetButton_, &QToolButton::clicked, this, [this] { previousSheet(); });
  connect(deleteSheetButton_, &QToolButton::clicked, this, [this] { deleteSheet(); });
  connect(helpButton_, &QToolButton::clicked, this, [this] { showHelp(); });
  // Tab goes through them as they show, from the left.
  const std::array<QWidget*, 5> fromTheLeft = {
      helpButton_, deleteSheetButton_, previousSheetButton_, nextSheetButton_, newSheetButton_};
  for (std::size_t i = 1; i < fromTheLeft.size(); ++i)
    QWidget::setTabOrder(fromTheLeft[i - 1], fromTheLeft[i]);
  wall->place = [this] { layoutTextViewWall(); };
  return wall;
}

void PadViewController::layoutTextViewWall() {
  const QSize size = textViewWall_->size();
  const int backgroundHeight = std::max(0, size.height() - kButtonStrip);
  background_->setGeometry(0, 0, size.width(), backgroundHeight);
  // Inside the background's one-point frame.
  const int innerWidth = std::max(0, size.width() - 2);
  int top = 1;
  if (!noticeLabel_->isHidden()) {
    noticeLabel_->setGeometry(1, 1, innerWidth, noticeLabel_->heightForWidth(innerWidth));
    top += noticeLabel_->height();
  }
  textView_->setGeometry(1, top, innerWidth, std::max(0, backgroundHeight - top - 1));
  const int inset = 8;
  int right = size.width() - inset;
  const int bottom = size.height() - 11;
  for (QToolButton* button :
       {newSheetButton_, nextSheetButton_, previousSheetButton_, deleteSheetButton_, helpButton_}) {
    button->move(right - kSheetButtonSize, bottom - kSheetButtonSize);
    right -= kSheetButtonSize + kSheetButtonGap;
  }
}

bool PadViewController::writeCurrentSheet() {
  FastTypeTextViewDelegate* delegate = textView_ ? textView_->delegate() : nullptr;
  return !delegate || delegate->writeBeforeLeaving();
}

void PadViewController::turnBackTo(const QString& path) {
  BackingStoreDescriptor& store = *backingStoreDescriptor;
  if (store.index().selectedID() == path || !store.index().indexOfIDs().contains(path))
    return;
  // Typing has begun on the sheet shown: it stays, and the other text is
  // kept for when the pad comes back to it (and written with every save of
  // this pad until that succeeds).
  if (textView_->document()->isModified())
    return;
  store.pointToFileWithID(path);
  updateTextView();
  updateToolbarButtons();
}

bool PadViewController::newSheet() {
  if (!writeCurrentSheet())
    return false;
  BackingStoreDescriptor& store = *backingStoreDescriptor;
  const QString path = BackingStoreManager::sharedManager().newFile(store);
  store.pointToFileWithID(path);
  updateTextView();
  // A new sheet holds its pad's template, a heading over empty lines: what
  // is typed goes on the first empty line, under the heading, not into it.
  QTextCursor cursor = textView_->textCursor();
  cursor.movePosition(QTextCursor::End);
  for (QTextBlock block = textView_->document()->begin(); block.isValid(); block = block.next()) {
    if (block.length() == 1) { // its paragraph mark alone
      cursor.setPosition(block.position());
      break;
    }
  }
  textView_->setTextCursor(cursor);
  updateToolbarButtons();
  return true;
}

bool PadViewController::nextSheet() {
  const std::optional<QString> next = backingStoreDescriptor->index().nextID();
  if (!next || !writeCurrentSheet())
    return false;
  backingStoreDescriptor->pointToFileWithID(*next);
  updateTextView();
  updateToolbarButtons();
  return true;
}

bool PadViewController::previousSheet() {
  const std::optional<QString> previous = backingStoreDescriptor->index().previousID();
  if (!previous || !writeCurrentSheet())
    return false;
  backingStoreDescriptor->pointToFileWithID(*previous);
  updateTextView();
  updateToolbarButtons();
  return true;
}

bool PadViewController::deleteSheet() {
  BackingStoreIndex& index = backingStoreDescriptor->index();
  if ((!index.hasNextID() && !index.hasPreviousID()) || isLoadingSheet())
    return false;
  // The sheet may be deleted: it is written here and now, not behind the
  // deletion's back.
  FastTypeTextViewDelegate* delegate = textView_->delegate();
  if (delegate && !delegate->save())
    return false;
  Alert alert{kDeleteQuestion, {}, {QStringLiteral("OK"), QStringLiteral("Cancel")}};
  alert.style = Alert::Style::informational;
  if (AlertPresenterAPI::shared().runModal(alert, askingAboutSheet()) != 0)
    return false;
  const std::optional<QString> selected = index.selectedID();
  if (!selected)
    return false;
  const std::optional<QString> next = index.hasNextID() ? index.nextID() : index.previousID();
  if (next)
    backingStoreDescriptor->pointToFileWithID(*next);
  BackingStoreManager::sharedManager().removeSheetFromDescriptor(*backingStoreDescriptor,
                                                                 *selected);
  PadSheetWriter::shared().forget(*selected);
  updateTextView();
  updateToolbarButtons();
  return true;
}

AskedAbout PadViewController::askingAboutSheet() {
  // The pad, its sheet and the sheet's last write: a sheet another page
  // turn shows, or another program wrote, is not the one asked about.
  const auto identity = [self = QPointer<PadViewController>(this)] {
    if (!self || !self->backingStoreDescriptor)
      return QVariant();
    const QString sheet = self->backingStoreDescriptor->index().selectedID().value_or(QString());
    const QFileInfo text(sheet + QLatin1Char('/') + QLatin1String(RtfdPackage::kTextFileName));
    return identityOf(sheet, QFileInfo(sheet).lastModified(), text.lastModified(), text.size());
  };
  return AskedAbout(QStringLiteral("The pad's sheet"), identity);
}

void PadViewController::showHelp() {
  const QString page = QStringLiteral("fast_type_syntax.html");
  if (helpPageShower())
    helpPageShower()(page);
  else
    platformLog(QStringLiteral("no help viewer to show %1").arg(page));
}

void PadViewController::focus() {
  if (!view() || !textView_ || !view()->window() || !view()->isVisible())
    return;
  caretMemory_->placeForKeyboard();
  textView_->setFocus(Qt::OtherFocusReason);
}

void PadViewController::updateTextView() {
  // Keys held for a sheet the page turns away from are not kept.
  if (!dropHeldKeys())
    keysNotice_.clear();
  dropSheetBuild();
  caretMemory_->sheetLeaving();
  BackingStoreDescriptor& store = *backingStoreDescriptor;
  const QString path = store.getPathToSelectedFile();
  // A sheet whose text has not reached the disk yet shows that text, still
  // to be saved.
  if (std::optional<RichText> kept = PadSheetWriter::shared().unwrittenText(path)) {
    textView_->showSheet(*kept);
    textView_->document()->setModified(true);
    showNotice();
    store.index().refreshIndexFromDisk();
    Q_EMIT sheetShown();
    return;
  }
  store.index().refreshIndexFromDisk();
  const QFileInfo textFile(path + u'/' + QLatin1String(RtfdPackage::kTextFileName));
  if (textFile.isFile() && textFile.size() > kLongSheetBytes) {
    buildSheetInBackground(path);
    return;
  }
  BackingStoreManager::SelectedFile file = BackingStoreManager::readSheet(path);
  showReadSheet({file.status, file.path, file.error},
                NowAndLaterBoardTextView::buildSheetDocument(file.text, textView_->sheetLook()));
}

void PadViewController::buildSheetInBackground(const QString& path) {
  dropSheetBuild();
  textView_->showSheetLoading();
  showNotice();
  updateToolbarButtons();
  const NowAndLaterBoardTextView::SheetLook look = textView_->sheetLook();
  QThread* home = thread();
  // A sheet read and built on a thread of its own. The controller lets go of
  // it when it goes or turns to another sheet; the thread then drops what it
  // built, and nobody waits for it.
  sheetBuild_ =
      DetachedJob::start(this, "padSheetReader", [this, path, look, home](DetachedJob& job) {
        BackingStoreManager::SelectedFile file = BackingStoreManager::readSheet(path);
        if (!job.wanted())
          return;
        std::unique_ptr<QTextDocument> built(
            NowAndLaterBoardTextView::buildSheetDocument(file.text, look));
        file.text = RichText();
        // Deleted with the call when the controller goes before it runs.
        built->moveToThread(home);
        auto document = std::make_shared<BuiltDocument>();
        document->document = built.release();
        const ReadSheet sheet{file.status, file.path, file.error};
        job.handBack([this, document, sheet] {
          sheetBuild_.reset();
          showReadSheet(sheet, std::exchange(document->document, nullptr));
        });
      });
}

void PadViewController::dropSheetBuild() {
  if (sheetBuild_)
    std::exchange(sheetBuild_, nullptr)->release();
}

bool PadViewController::isLoadingSheet() const { return sheetBuild_ != nullptr; }

void PadViewController::showReadSheet(const ReadSheet& sheet, QTextDocument* built) {
  using Status = BackingStoreManager::SelectedFile::Status;
  QString notice;
  if (sheet.status != Status::Ok) {
    const QString name = QFileInfo(sheet.path).fileName();
    if (sheet.status == Status::Unkept)
      notice = QStringLiteral("The sheet \"%1\" holds %2, which this editor cannot keep. It is "
                              "shown read-only and will not be changed.")
                   .arg(name, sheet.error);
    else if (sheet.status == Status::Partial)
      notice = QStringLiteral("Only part of the sheet \"%1\" could be read (%2). It is shown "
                              "read-only and will not be changed.")
                   .arg(name, sheet.error);
    else
      notice = QStringLiteral("The sheet \"%1\" could not be read (%2). It is shown "
                              "read-only and will not be changed.")
                   .arg(name, sheet.error);
    platformLog(QStringLiteral("%1 (%2)").arg(notice, sheet.path));
  }
  textView_->showSheetDocument(built, notice);
  showNotice();
  updateToolbarButtons();
  Q_EMIT sheetShown();
  if (!textView_->holdsKeysForSheet())
    return;
  // The keys typed while it was read go where the caret is given to the
  // sheet, unless it takes none, or the program is quitting (its last save
  // may be over).
  int notKept = 0;
  if (!notice.isEmpty() || quittingNow) {
    notKept = textView_->dropKeysHeldForSheet();
  } else {
    if (textView_->hasTypedAhead())
      caretMemory_->place();
    notKept = textView_->applyKeysHeldForSheet();
  }
  if (notKept > 0) {
    keysNotice_ = notKeptNotice(notKept);
    if (quittingNow)
      platformLog(QStringLiteral("%1 (%2)").arg(keysNotice_, sheet.path));
  }
  showNotice();
}

QString PadViewController::notKeptNotice(int characters) {
  return characters == 1
             ? QStringLiteral("1 typed character was not kept: the sheet was not shown yet.")
             : QStringLiteral("%1 typed characters were not kept: the sheet was not shown yet.")
                   .arg(characters);
}

bool PadViewController::dropHeldKeys() {
  if (!textView_ || !textView_->isLoadingSheet() || !textView_->holdsKeysForSheet())
    return false;
  const int notKept = textView_->dropKeysHeldForSheet();
  if (notKept == 0)
    return false;
  keysNotice_ = notKeptNotice(notKept);
  return true;
}

void PadViewController::showNotice() {
  QString notice = textView_->sheetNotice();
  if (textView_->isLoadingSheet())
    notice = QStringLiteral("The sheet is being read. What you type meanwhile goes into it once it "
                            "is shown.");
  if (!keysNotice_.isEmpty())
    notice = notice.isEmpty() ? keysNotice_ : notice + u' ' + keysNotice_;
  noticeLabel_->setText(notice);
  noticeLabel_->setVisible(!notice.isEmpty());
  if (textViewWall_)
    layoutTextViewWall();
}

bool PadViewController::eventFilter(QObject* watched, QEvent* event) {
  // The pad hidden (or its window) before the sheet is shown: what was
  // typed for it is not kept. A quit tells the console instead.
  if (watched == textView_ && event->type() == QEvent::Hide && !quittingNow && dropHeldKeys())
    showNotice();
  return false;
}

void PadViewController::updateToolbarButtons() {
  // Not made yet while the first sheet is shown.
  if (!nextSheetButton_)
    return;
  const BackingStoreIndex& index = backingStoreDescriptor->index();
  nextSheetButton_->setEnabled(index.hasNextID());
  previousSheetButton_->setEnabled(index.hasPreviousID());
  // The sheet being read is not deleted under the reader.
  deleteSheetButton_->setEnabled((index.hasNextID() || index.hasPreviousID()) && !isLoadingSheet());
  newSheetButton_->setEnabled(true);
  helpButton_->setEnabled(true);
}

void PadViewController::setQuitting(bool quitting, bool waitForWrites) {
  writesInBackground = quitting && !waitForWrites;
  quittingNow = quitting;
  for (PadViewController* controller : allPadViewControllers()) {
    NowAndLaterBoardTextView* view = controller->textView_;
    if (!view)
      continue;
    if (quitting)
      view->stopLayout();
    else
      view->resumeLayout();
  }
}

void PadViewController::dropKeysHeldAtQuit() {
  for (PadViewController* controller : allPadViewControllers()) {
    if (!controller->textView_ || !controller->textView_->isLoadingSheet())
      continue;
    const int notKept = controller->textView_->dropKeysHeldForSheet();
    if (notKept > 0)
      platformLog(QStringLiteral("%1 (%2, still being read as the program quit)")
                      .arg(notKeptNotice(notKept),
                           controller->backingStoreDescriptor->getPathToSelectedFile()));
  }
}

QStringList PadViewController::saveAllPads() {
  QStringList failures;
  if (writesInBackground) {
    // For this quit's save only. Once the window is no longer served; the
    // sheets left earlier are written on the writer's thread meanwhile.
    writesInBackground = false;
    for (PadViewController* controller : allPadViewControllers()) {
      if (controller->textView_ && controller->textView_->delegate())
        controller->textView_->delegate()->saveWhenFinishing();
    }
    return {};
  }
  // Sheets the pads turned away from are written first.
  PadSheetWriter::shared().drain();
  for (PadViewController* controller : allPadViewControllers()) {
    FastTypeTextViewDelegate* delegate =
        controller->textView_ ? controller->textView_->delegate() : nullptr;
    // A pad unchanged since it was read or saved is on disk as it stands.
    if (!delegate || !delegate->hasUnsavedChanges())
      continue;
    if (!delegate->save(FastTypeTextViewDelegate::Report::consoleOnly))
      failures.append(delegate->failure());
  }
  return failures;
}

} // namespace kr
