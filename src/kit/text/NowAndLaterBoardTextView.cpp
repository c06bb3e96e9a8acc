#include "kit/text/NowAndLaterBoardTextView.h"

#include "kit/text/FastTypeTextViewDelegate.h"
#include "kit/text/LongTextDocumentLayout.h"
#include "kit/text/PadTextSettings.h"
#include "kit/text/SmartTyping.h"
#include "kit/text/SpellingHighlighter.h"
#include "kit/text/TextIndicatorsView.h"
#include "platform/richtext/RichTextDocument.h"
#include "platform/richtext/RtfChunkCache.h"
#include "platform/services/UrlOpenerAPI.h"
#include "platform/settings/UserDefaults.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextFrame>
#include <QTimer>

#include <algorithm>

namespace kr {

namespace {

const QStringList kOptionKeys = {QStringLiteral("dataDetectorsOn"),
                                 QStringLiteral("continuousSpellChecking"),
                                 QStringLiteral("automaticSpellingCorrection"),
                                 QStringLiteral("grammarChecking"),
                                 QStringLiteral("textReplacement"),
                                 QStringLiteral("smartLinks"),
                                 QStringLiteral("smartQuotes"),
                                 QStringLiteral("smartDashes"),
                                 QStringLiteral("smartInsertAndDelete")};

bool option(const QString& key, bool fallback) {
  const UserDefaults& defaults = UserDefaults::standard();
  return defaults.defined(key) ? defaults.boolValue(key) : fallback;
}

// Tab stops every 28 points, as in the pads' files.
constexpr double kTabInterval = 28.0;

// The text sits 5 points below the top and above the end, flush at the sides.
// Each of these changes has the whole text laid out again at once: a
// document that has them already is left alone.
void applyInset(QTextDocument* document, double dpi) {
  QTextOption option = document->defaultTextOption();
  if (option.tabStopDistance() != kTabInterval * dpi / 72.0) {
    option.setTabStopDistance(kTabInterval * dpi / 72.0);
    document->setDefaultTextOption(option);
  }
  if (document->documentMargin() != 0)
    document->setDocumentMargin(0);
  QTextFrameFormat frame = document->rootFrame()->frameFormat();
  if (frame.leftMargin() == 0 && frame.rightMargin() == 0 && frame.topMargin() == 5 &&
      frame.bottomMargin() == 5)
    return;
  frame.setLeftMargin(0);
  frame.setRightMargin(0);
  frame.setTopMargin(5);
  frame.setBottomMargin(5);
  document->rootFrame()->setFrameFormat(frame);
}

// A long text is laid out only where it is seen. Given once the text is in
// and before the editor gives it a width: its paragraphs are counted once.
void useLayoutForLength(QTextDocument* document) {
  if (document->characterCount() > NowAndLaterBoardTextView::kOwnLayoutFrom &&
      !document->findChild<LongTextDocumentLayout*>(QString(), Qt::FindDirectChildrenOnly))
    document->setDocumentLayout(new LongTextDocumentLayout(document));
}

// Whether `text` holds a letter written from right to left: the characters
// by which a paragraph without a direction of its own takes that direction.
bool writesRightToLeft(QStringView text) {
  for (qsizetype i = 0; i < text.size(); ++i) {
    char32_t c = text[i].unicode();
    if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
      c = QChar::surrogateToUcs4(text[i], text[i + 1]);
      ++i;
    }
    const QChar::Direction direction = QChar::direction(c);
    if (direction == QChar::DirR || direction == QChar::DirAL)
      return true;
  }
  return false;
}

// A paragraph without a direction of its own reads it from its first letter
// written in either direction, or runs left to right without one. Qt looks
// for that letter in every paragraph it lays out, and places again every
// paragraph below an edit: in a long text that search is most of a key's
// time. A text without a letter written from right to left has every such
// paragraph run left to right, and says so once for all of them; the first
// such letter hands the choice back to each paragraph. Either change lays
// the whole text out again, so a document already right is left alone.
void settleDirection(QTextDocument* document, bool rightToLeftText) {
  const Qt::LayoutDirection direction = rightToLeftText ? Qt::LayoutDirectionAuto : Qt::LeftToRight;
  QTextOption option = document->defaultTextOption();
  if (option.textDirection() == direction)
    return;
  option.setTextDirection(direction);
  document->setDefaultTextOption(option);
}

enum class Command {
  none,
  bold,
  italic,
  underline,
  strikeOut,
  plain,
  markAsCompleted,
  nextField,
  previousField
};

Command commandForKey(const QKeyEvent& event) {
  const Qt::KeyboardModifiers modifiers =
      event.modifiers() &
      (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier | Qt::MetaModifier);
  const bool control = modifiers == Qt::ControlModifier;
  const bool controlShift = modifiers == (Qt::ControlModifier | Qt::ShiftModifier);
  switch (event.key()) {
  case Qt::Key_B:
    return control ? Command::bold : Command::none;
  case Qt::Key_I:
    return control ? Command::italic : Command::none;
  case Qt::Key_U:
    return control ? Command::underline : Command::none;
  case Qt::Key_X:
    return controlShift ? Command::strikeOut : Command::none;
  case Qt::Key_Backslash:
    return control ? Command::plain : Command::none;
  case Qt::Key_Return:
  case Qt::Key_Enter:
    return control ? Command::markAsCompleted : Command::none;
  case Qt::Key_J:
    return control ? Command::nextField : controlShift ? Command::previousField : Command::none;
  default:
    return Command::none;
  }
}

} // namespace

NowAndLaterBoardTextView::NowAndLaterBoardTextView(QWidget* parent, Selection selection)
    : QTextEdit(parent) {
  setObjectName(QStringLiteral("NowAndLaterBoardTextView"));
  setAcceptRichText(true);
  setUndoRedoEnabled(true);
  setLineWrapMode(QTextEdit::WidgetWidth);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // A black caret; the selection in the system blue with white text.
  QPalette colours = palette();
  for (int group = 0; group < QPalette::NColorGroups; ++group) {
    const auto g = static_cast<QPalette::ColorGroup>(group);
    colours.setColor(g, QPalette::Text, Qt::black);
    if (selection == Selection::pads) {
      colours.setColor(g, QPalette::Highlight, QColor(0, 122, 255));
      colours.setColor(g, QPalette::HighlightedText, Qt::white);
    }
  }
  setPalette(colours);
  // Each step is an event of its own: keys and paints go between them.
  encodeSteps_ = new QTimer(this);
  encodeSteps_->setInterval(0);
  connect(encodeSteps_, &QTimer::timeout, this, &NowAndLaterBoardTextView::encodeStep);
  highlighter_ = new SpellingHighlighter(this);
  settleDirection(document(), writesRightToLeft(document()->toRawText()));
  attachDocument(document());
  connect(this, &QTextEdit::currentCharFormatChanged, this,
          &NowAndLaterBoardTextView::updateIndicators);
  connect(this, &QTextEdit::cursorPositionChanged, this,
          &NowAndLaterBoardTextView::updateIndicators);
}

NowAndLaterBoardTextView::~NowAndLaterBoardTextView() {
  // The highlighter lets go of the document while this editor is whole: its
  // last changes to the document must not reach a half-destroyed editor.
  disconnect(document(), nullptr, this, nullptr);
  retireDocument(document());
  highlighter_->letGo();
  delete highlighter_;
}

void NowAndLaterBoardTextView::retireDocument(QTextDocument* document) {
  // A document without a page size is laid out no more: letting go of it
  // (the highlighter clears the formats of every paragraph) costs no layout
  // of the whole text.
  document->setPageSize(QSizeF(0, 0));
}

void NowAndLaterBoardTextView::attachDocument(QTextDocument* document) {
  const bool undo = document->isUndoRedoEnabled();
  document->setUndoRedoEnabled(false);
  applyInset(document, logicalDpiX());
  document->setUndoRedoEnabled(undo);
  connect(document, &QTextDocument::contentsChanged, this,
          &NowAndLaterBoardTextView::onContentsChanged, Qt::UniqueConnection);
  connect(document, &QTextDocument::contentsChange, this,
          &NowAndLaterBoardTextView::onContentsChange, Qt::UniqueConnection);
  highlighter_->followDocument();
  encodeInStepsWhenDue();
}

bool NowAndLaterBoardTextView::isEncodingInSteps() const { return encodeSteps_->isActive(); }

void NowAndLaterBoardTextView::encodeInStepsWhenDue() {
  if (encodeSteps_->isActive() || !isSheetWritable())
    return;
  // A sheet's text saved before, or one too long to be left to its first
  // save; a text that is never saved is never encoded.
  RtfChunkCache* cache = RtfChunkCache::find(document());
  if (!cache && backingStoreDescriptor_ && document()->characterCount() >= kEncodeInStepsFrom)
    cache = RtfChunkCache::of(document());
  // A change within a chunk of paragraphs is left to the save: a step
  // encodes a chunk at least, and an edit's chunk changes again with the
  // next key.
  if (cache && cache->staleBlocks() > RtfChunkCache::kBlocksPerChunk &&
      cache->staleCharacters() >= kEncodeInStepsFrom)
    encodeSteps_->start();
}

void NowAndLaterBoardTextView::encodeStep() {
  RtfChunkCache* cache = RtfChunkCache::find(document());
  const auto step = [&] {
    return cache->staleCharacters() >= kEncodeStepsSharedFrom
               ? cache->encodeSharedFor(kEncodeStepMs)
               : cache->encodeFor(kEncodeStepMs);
  };
  if (!cache || !isSheetWritable() || step()) {
    encodeSteps_->stop();
    Q_EMIT encodedInSteps();
  }
}

void NowAndLaterBoardTextView::awakeFromNib() {
  if (!delegate_)
    delegate_ = std::make_unique<FastTypeTextViewDelegate>(this);
  applyDefaultTypingAttributes();
  updateTextViewFeatures();
  if (awake_)
    return;
  awake_ = true;
  connect(&UserDefaults::standard(), &UserDefaults::changed, this,
          &NowAndLaterBoardTextView::followSetting);
}

void NowAndLaterBoardTextView::updateTextViewFeatures() {
  Options o;
  o.continuousSpellChecking = option(QStringLiteral("continuousSpellChecking"), true);
  o.automaticSpellingCorrection = option(QStringLiteral("automaticSpellingCorrection"), false);
  o.smartQuotes = option(QStringLiteral("smartQuotes"), true);
  o.smartDashes = option(QStringLiteral("smartDashes"), true);
  o.smartLinks = option(QStringLiteral("smartLinks"), true);
  o.smartInsertAndDelete = option(QStringLiteral("smartInsertAndDelete"), true);
  o.textReplacement = option(QStringLiteral("textReplacement"), true);
  o.grammarChecking = option(QStringLiteral("grammarChecking"), false);
  o.dataDetectorsOn = option(QStringLiteral("dataDetectorsOn"), false);
  options_ = o;
  updateSpellChecking();
}

void NowAndLaterBoardTextView::updateSpellChecking() {
  highlighter_->setEnabled(options_.continuousSpellChecking && checksSpelling());
}

void NowAndLaterBoardTextView::followSetting(const QString& key) {
  if (key == QLatin1String("textColor"))
    recolourWholeText();
  else if (key == QLatin1String("defaultFont"))
    refontWholeText();
  else if (kOptionKeys.contains(key))
    updateTextViewFeatures();
}

void NowAndLaterBoardTextView::applyDefaultTypingAttributes() {
  const QFont font = PadTextSettings::defaultFont();
  // A new default font lays the whole text out again.
  if (document()->defaultFont() != font)
    document()->setDefaultFont(font);
  QTextCharFormat typing = currentCharFormat();
  typing.setForeground(PadTextSettings::textColor());
  setCurrentCharFormat(typing);
}

void NowAndLaterBoardTextView::recolourWholeText() {
  // A changed setting, not an edit of this text: Undo does not take it back.
  QTextCharFormat colour;
  colour.setForeground(PadTextSettings::textColor());
  quietly([&] {
    document()->setUndoRedoEnabled(false);
    QTextCursor all(document());
    all.select(QTextCursor::Document);
    all.mergeCharFormat(colour);
    document()->setUndoRedoEnabled(true);
  });
  applyDefaultTypingAttributes();
  updateIndicators();
}

void NowAndLaterBoardTextView::refontWholeText() {
  QTextCharFormat font;
  font.setFont(PadTextSettings::defaultFont(), QTextCharFormat::FontPropertiesAll);
  quietly([&] {
    document()->setUndoRedoEnabled(false);
    QTextCursor all(document());
    all.select(QTextCursor::Document);
    all.mergeCharFormat(font);
    document()->setUndoRedoEnabled(true);
  });
  applyDefaultTypingAttributes();
  QTextCharFormat typing = currentCharFormat();
  typing.setFont(PadTextSettings::defaultFont(), QTextCharFormat::FontPropertiesAll);
  setCurrentCharFormat(typing);
  updateIndicators();
}

void NowAndLaterBoardTextView::showSheet(const RichText& text, const QString& notice) {
  loading_ = false;
  notice_ = notice;
  replaceWholeText(text);
  // As read: nothing to save until it changes.
  document()->setModified(false);
  setReadOnly(!notice.isEmpty());
}

void NowAndLaterBoardTextView::showSheetLoading() {
  loading_ = true;
  notice_.clear();
  replaceWholeText(RichText());
  document()->setModified(false);
  setReadOnly(true);
}

PadSheetWriter::SheetText NowAndLaterBoardTextView::takeTextForPageTurn() {
  applyTypedAhead();
  // A long text would cost the window its encoding and its deletion.
  if (document()->characterCount() <= kOwnLayoutFrom || document()->parent() != this)
    return encodedText();
  std::shared_ptr<LeftDocument> left;
  loading_ = true;
  notice_.clear();
  swapInDocument(buildSheetDocument(RichText(), sheetLook()), &left);
  document()->setModified(false);
  setReadOnly(true);
  return left;
}

void NowAndLaterBoardTextView::showSheetDocument(QTextDocument* built, const QString& notice) {
  loading_ = false;
  notice_ = notice;
  swapInDocument(built);
  document()->setModified(false);
  setReadOnly(!notice.isEmpty());
}

NowAndLaterBoardTextView::SheetLook NowAndLaterBoardTextView::sheetLook() const {
  SheetLook look;
  look.font = awake_ ? PadTextSettings::defaultFont() : document()->defaultFont();
  look.option = document()->defaultTextOption();
  look.dpi = logicalDpiX();
  return look;
}

QTextDocument* NowAndLaterBoardTextView::buildSheetDocument(const RichText& text,
                                                            const SheetLook& look) {
  // Whatever concerns the whole document is set while it is empty: set
  // later, it would have the whole text laid out at once. No layout is made
  // here: the editor that shows the document makes it.
  auto* fresh = new QTextDocument;
  fresh->setUndoRedoEnabled(false);
  fresh->setDefaultFont(look.font);
  fresh->setDefaultTextOption(look.option);
  applyInset(fresh, look.dpi);
  settleDirection(fresh, writesRightToLeft(text.plainText()));
  RichTextDocument::fill(fresh, text);
  // Filling clears the document, and with it the frame's inset: set again
  // here, before there is a layout, it costs the window's thread no pass
  // over the whole text when the editor checks it.
  applyInset(fresh, look.dpi);
  FastTypeTextViewDelegate::keepSeparatorsUnbroken(fresh);
  // Its paragraphs are counted here too, away from the window's thread.
  useLayoutForLength(fresh);
  // Its file's encoding is kept by paragraphs from the start (a long text
  // has its layout by now); the editor encodes it in steps once it is shown.
  if (fresh->characterCount() > kOwnLayoutFrom)
    RtfChunkCache::of(fresh);
  fresh->setUndoRedoEnabled(true);
  return fresh;
}

RichText NowAndLaterBoardTextView::richText() {
  applyTypedAhead();
  RichText text = RichTextDocument::fromDocument(*document());
  // The sheets' files carry the stops the editor shows.
  text.setTabInterval(kTabInterval);
  return text;
}

EncodedRichText NowAndLaterBoardTextView::encodedText() {
  applyTypedAhead();
  return RtfChunkCache::of(document())->encoded(kTabInterval);
}

bool NowAndLaterBoardTextView::writeTextAndWait(const QString& path, const QString& folder,
                                                QString* error) {
  PadSheetWriter& writer = PadSheetWriter::shared();
  applyTypedAhead();
  RtfChunkCache* cache = RtfChunkCache::of(document());
  if (cache->staleCharacters() >= RtfChunkCache::kStreamFrom) {
    if (const std::shared_ptr<StreamedRichText> stream = cache->stream(kTabInterval)) {
      const auto outcome =
          writer.write(path, folder, stream, nullptr, {}, PadSheetWriter::KeptBy::caller);
      const bool whole = cache->encodeInto(*stream);
      writer.drain();
      if (whole) {
        if (error)
          *error = outcome->error;
        return outcome->written;
      }
      // The write stopped short, leaving the file as it was; the text is
      // encoded again from the start and written whole.
    }
  }
  return writer.writeAndWait(path, folder, encodedText(), error, PadSheetWriter::KeptBy::caller);
}

void NowAndLaterBoardTextView::insertAtStart(const RichText& text) {
  if (isReadOnly() || text.isEmpty())
    return;
  QTextDocument scratch;
  RichTextDocument::fill(&scratch, text);
  QTextCursor cursor(document());
  cursor.beginEditBlock();
  cursor.movePosition(QTextCursor::Start);
  cursor.insertFragment(QTextDocumentFragment(&scratch));
  cursor.endEditBlock();
}

void NowAndLaterBoardTextView::replaceWholeText(const RichText& text) {
  swapInDocument(buildSheetDocument(text, sheetLook()));
}

void NowAndLaterBoardTextView::swapInDocument(QTextDocument* fresh,
                                              std::shared_ptr<LeftDocument>* left) {
  // A long text is built in a document of its own and then swapped in: filled
  // in place, every piece inserted would be laid out again.
  // The editor deletes a document it made itself; one made here is its
  // child and goes here. Shown, the text is laid out as far as the screen
  // reaches, and the rest in steps between the events.
  applyTypedAhead();
  layoutStopped_ = false;
  QPointer<QTextDocument> old = document();
  fresh->setParent(this);
  useLayoutForLength(fresh);
  settingText_ = true;
  setDocument(fresh);
  settingText_ = false;
  if (old) {
    disconnect(old, nullptr, this, nullptr);
    retireDocument(old);
  }
  // Gone before the highlighter follows the new document, which then has
  // no marks to clear from every paragraph of the old one. A document handed
  // over, or a long one (whose deletion takes a while) deleted on the sheet
  // writer's thread, keeps its marks, and the highlighter that made them:
  // the editor gets a new one.
  const bool handedOver =
      old && old->parent() == this && (left || old->characterCount() > kOwnLayoutFrom);
  if (handedOver) {
    highlighter_->stayWithDocument();
    auto leaving = std::make_shared<LeftDocument>(old.data(), kTabInterval,
                                                  std::exchange(highlighter_, nullptr));
    highlighter_ = new SpellingHighlighter(this);
    if (left)
      *left = std::move(leaving);
    else
      PadSheetWriter::shared().dispose(std::move(leaving));
  } else if (old && old->parent() == this) {
    delete old.data();
  }
  attachDocument(fresh);
  if (handedOver)
    updateSpellChecking();
  documentChanged(true);
  setTextCursor(QTextCursor(fresh));
  if (awake_)
    applyDefaultTypingAttributes();
  updateIndicators();
}

bool NowAndLaterBoardTextView::event(QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride) {
    auto* key = static_cast<QKeyEvent*>(event);
    // The editor's own keys win over the window's shortcuts (the Format
    // menu shows the same keys).
    if (commandForKey(*key) != Command::none || key->matches(QKeySequence::Undo) ||
        key->matches(QKeySequence::Redo) || movesFocusOn(*key)) {
      event->accept();
      return true;
    }
  }
  return QTextEdit::event(event);
}

bool NowAndLaterBoardTextView::movesFocusOn(const QKeyEvent& event) const {
  if (event.key() != Qt::Key_Tab && event.key() != Qt::Key_Backtab)
    return false;
  // Alt and Meta keep their own meaning.
  if (event.modifiers() & (Qt::AltModifier | Qt::MetaModifier))
    return false;
  // Tab and Shift+Tab where they move on, and with Ctrl as well; where Tab is
  // typed into the text, Ctrl+Tab still leaves it for the page's other controls.
  return tabChangesFocus() || (event.modifiers() & Qt::ControlModifier);
}

void NowAndLaterBoardTextView::keyPressEvent(QKeyEvent* event) {
  if (takeTypedAhead(event))
    return;
  applyTypedAhead();
  if (movesFocusOn(*event)) {
    const bool backwards =
        event->key() == Qt::Key_Backtab || (event->modifiers() & Qt::ShiftModifier);
    // Past the text editor's own refusal to move on while it takes tabs.
    QWidget::focusNextPrevChild(!backwards);
    event->accept();
    return;
  }
  switch (commandForKey(*event)) {
  case Command::bold:
    toggleBoldAttribute();
    return;
  case Command::italic:
    toggleItalicAttribute();
    return;
  case Command::underline:
    underline();
    return;
  case Command::strikeOut:
    toggleStrikeOutAttribute();
    return;
  case Command::plain:
    if (canMakePlainText())
      makePlainText();
    return;
  case Command::markAsCompleted:
    markAsCompleted();
    return;
  case Command::nextField:
    selectNextField();
    return;
  case Command::previousField:
    selectPreviousField();
    return;
  case Command::none:
    break;
  }
  if (event->matches(QKeySequence::Undo)) {
    undo();
    return;
  }
  if (event->matches(QKeySequence::Redo)) {
    redo();
    return;
  }
  typeKey(event);
}

void NowAndLaterBoardTextView::typeKey(QKeyEvent* event) {
  // An Alt or Super chord is a command, never text; AltGr, which types the
  // keys' third characters, is neither of them.
  if ((event->modifiers() & (Qt::AltModifier | Qt::MetaModifier)) && !event->text().isEmpty()) {
    event->ignore();
    return;
  }
  UserEdit what;
  what.afterReturn = (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
                     !(event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier));
  const QString typed = event->text();
  if (!typed.isEmpty() && typed.at(0).isPrint())
    what.typed = typed;
  what.deleted = event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete ||
                 event->matches(QKeySequence::Cut);
  runUserEdit([&] { QTextEdit::keyPressEvent(event); }, what);
  // Return belongs to the editor, a locked one too: it never goes on to the
  // page's default button.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
    event->accept();
}

void NowAndLaterBoardTextView::inputMethodEvent(QInputMethodEvent* event) {
  applyTypedAhead();
  UserEdit what;
  what.typed = event->commitString();
  runUserEdit([&] { QTextEdit::inputMethodEvent(event); }, what);
}

void NowAndLaterBoardTextView::mousePressEvent(QMouseEvent* event) {
  applyTypedAhead();
  // Ctrl+click opens a link.
  if (event->button() == Qt::LeftButton && (event->modifiers() & Qt::ControlModifier)) {
    const QString href = anchorAt(event->position().toPoint());
    if (!href.isEmpty()) {
      UrlOpenerAPI::shared().open(QUrl(href));
      event->accept();
      return;
    }
  }
  QTextEdit::mousePressEvent(event);
}

void NowAndLaterBoardTextView::mouseMoveEvent(QMouseEvent* event) {
  const bool overLink = (event->modifiers() & Qt::ControlModifier) &&
                        !anchorAt(event->position().toPoint()).isEmpty();
  viewport()->setCursor(overLink ? Qt::PointingHandCursor : Qt::IBeamCursor);
  QTextEdit::mouseMoveEvent(event);
}

void NowAndLaterBoardTextView::contextMenuEvent(QContextMenuEvent* event) {
  applyTypedAhead();
  QMenu* menu = createStandardContextMenu(event->pos());
  // Undo and Redo of the menu go the editor's own way.
  for (QAction* action : menu->actions()) {
    if (action->objectName() == QLatin1String("edit-undo") ||
        action->objectName() == QLatin1String("edit-redo")) {
      const bool isUndo = action->objectName() == QLatin1String("edit-undo");
      action->disconnect(SIGNAL(triggered()));
      action->disconnect(SIGNAL(triggered(bool)));
      connect(action, &QAction::triggered, this, [this, isUndo] {
        if (isUndo)
          undo();
        else
          redo();
      });
    }
  }
  SmartTyping::addSpellingSuggestions(*this, *menu, cursorForPosition(event->pos()));
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(event->globalPos());
}

void NowAndLaterBoardTextView::scrollContentsBy(int dx, int dy) {
  // The scroll that keeps the text in place is part of this one.
  if (anchoring_)
    return;
  // In a long text the paragraphs coming into view are laid out only now;
  // where they were estimated wrongly above what the user was reading, that
  // text would jump by the error. The view moves with it instead.
  auto* layout = qobject_cast<LongTextDocumentLayout*>(document()->documentLayout());
  if (dy != 0 && layout) {
    QScrollBar* bar = verticalScrollBar();
    const int value = bar->value();
    const int shift =
        qRound(layout->measureScrolledTo(value, value + viewport()->height(), value + dy));
    if (shift != 0) {
      anchoring_ = true;
      bar->setValue(value + shift);
      anchoring_ = false;
      dy -= bar->value() - value;
    }
  }
  QTextEdit::scrollContentsBy(dx, dy);
  highlighter_->checkVisibleSoon();
}

void NowAndLaterBoardTextView::resizeEvent(QResizeEvent* event) {
  QTextEdit::resizeEvent(event);
  highlighter_->checkVisibleSoon();
}

void NowAndLaterBoardTextView::showEvent(QShowEvent* event) {
  QTextEdit::showEvent(event);
  highlighter_->checkVisibleSoon();
}

void NowAndLaterBoardTextView::runUserEdit(const std::function<void()>& edit, UserEdit what) {
  const quint64 before = changes_;
  // Within a batch of keys typed ahead the document tells of its changes
  // only at the batch's end.
  const int length = document()->characterCount();
  const bool selected = textCursor().hasSelection();
  edit();
  const bool changed = changes_ != before || length != document()->characterCount() || selected;
  if (!changed || isReadOnly())
    return;
  if (what.insertedFrom >= 0)
    what.insertedTo = textCursor().position();
  userEdited(what);
}

void NowAndLaterBoardTextView::userEdited(const UserEdit& edit) {
  if (FastTypeTextViewDelegate::applyTypingRules(*this, edit.afterReturn))
    return;
  SmartTyping::Edit smart;
  smart.afterReturn = edit.afterReturn;
  smart.typed = edit.typed;
  smart.insertedFrom = edit.insertedFrom;
  smart.insertedTo = edit.insertedTo;
  smart.deleted = edit.deleted;
  SmartTyping::apply(*this, options_, smart);
}

void NowAndLaterBoardTextView::quietly(const std::function<void()>& change) {
  ++quiet_;
  change();
  --quiet_;
}

void NowAndLaterBoardTextView::undo() {
  // A locked editor keeps its text: Qt's own undo would ignore the lock.
  applyTypedAhead();
  if (!isReadOnly())
    quietly([this] { QTextEdit::undo(); });
}

void NowAndLaterBoardTextView::redo() {
  applyTypedAhead();
  if (!isReadOnly())
    quietly([this] { QTextEdit::redo(); });
}

void NowAndLaterBoardTextView::onContentsChanged() {
  encodeInStepsWhenDue();
  // Spelling marks and links on screen change only how the text is drawn,
  // not the text: a document as it was read or saved stays unmodified, and
  // there is nothing to save.
  if (!settingText_ && !document()->isModified())
    return;
  documentChanged(settingText_);
}

void NowAndLaterBoardTextView::onContentsChange(int from, int /*removed*/, int added) {
  QTextDocument* text = document();
  if (added <= 0 || text->defaultTextOption().textDirection() == Qt::LayoutDirectionAuto)
    return;
  QTextCursor inserted(text);
  inserted.setPosition(std::min(from + added, text->characterCount() - 1));
  inserted.setPosition(std::min(from, inserted.position()), QTextCursor::KeepAnchor);
  if (writesRightToLeft(inserted.selectedText()))
    settleDirection(text, true);
}

void NowAndLaterBoardTextView::documentChanged(bool fromOutside) {
  ++changes_;
  if (!fromOutside && quiet_ == 0)
    Q_EMIT editedByUser();
}

void NowAndLaterBoardTextView::setTextIndicatorsView(TextIndicatorsView* view) {
  if (textIndicatorsView_)
    textIndicatorsView_->disconnect(this);
  textIndicatorsView_ = view;
  if (!view)
    return;
  using I = TextIndicatorsView;
  using Action = void (NowAndLaterBoardTextView::*)();
  const std::pair<I::Indicator, Action> actions[] = {
      {I::Plain, &NowAndLaterBoardTextView::makePlainText},
      {I::Bold, &NowAndLaterBoardTextView::toggleBoldAttribute},
      {I::Italics, &NowAndLaterBoardTextView::toggleItalicAttribute},
      {I::Underline, &NowAndLaterBoardTextView::underline},
      {I::StrikeThrough, &NowAndLaterBoardTextView::toggleStrikeOutAttribute}};
  for (const auto& [indicator, action] : actions) {
    connect(view->indicator(indicator), &QPushButton::clicked, this, [this, action = action] {
      (this->*action)();
      // The button toggled itself; the format decides what it shows.
      updateIndicators();
    });
  }
  updateIndicators();
}

void NowAndLaterBoardTextView::updateIndicators() {
  if (textIndicatorsView_) {
    // A format without a font of its own shows in the text's default font.
    QTextCharFormat format = currentCharFormat();
    format.setFont(format.font().resolve(document()->defaultFont()));
    textIndicatorsView_->showFormat(format, PadTextSettings::defaultFont(),
                                    PadTextSettings::textColor());
  }
}

} // namespace kr
