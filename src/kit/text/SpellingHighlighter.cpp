#include "kit/text/SpellingHighlighter.h"

#include "kit/text/LongTextDocumentLayout.h"
#include "platform/services/SpellCheckerAPI.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QScrollBar>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <QTimer>

#include <algorithm>

namespace kr {

namespace {

// What a paragraph's check left: the checker's round it belongs to, and
// whether it holds underlines.
class SpellingState : public QTextBlockUserData {
public:
  int generation = 0;
  bool marked = false;
};

SpellingState* stateOf(const QTextBlock& block) {
  return static_cast<SpellingState*>(block.userData());
}

bool isApostrophe(QChar c) { return c == u'\'' || c == u'\u2019'; }

} // namespace

SpellingHighlighter::SpellingHighlighter(QTextEdit* editor)
    : QSyntaxHighlighter(static_cast<QObject*>(editor)), editor_(editor) {
  // Words checked before the dictionary came counted as spelt right.
  dictionaryListener_ = SpellCheckerAPI::addDictionaryListener([this] {
    ++generation_;
    if (enabled_)
      checkVisibleSoon();
  });
}

SpellingHighlighter::~SpellingHighlighter() {
  SpellCheckerAPI::removeDictionaryListener(dictionaryListener_);
}

std::vector<std::pair<int, int>> SpellingHighlighter::words(const QString& text) {
  std::vector<std::pair<int, int>> result;
  const qsizetype size = text.size();
  qsizetype i = 0;
  while (i < size) {
    if (!text.at(i).isLetter()) {
      ++i;
      continue;
    }
    const qsizetype start = i;
    bool skip = false;
    while (i < size) {
      const QChar c = text.at(i);
      if (c.isLetter() || c.isMark()) {
        ++i;
      } else if (isApostrophe(c) && i + 1 < size && text.at(i + 1).isLetter()) {
        ++i;
      } else if (c.isDigit() || c == u'_' || c == u'@' || c == u'/' ||
                 (c == u'.' && i + 1 < size && text.at(i + 1).isLetter()) ||
                 (c == u':' && i + 1 < size && text.at(i + 1) == u'/')) {
        // Part of a code, an address or a path: not a word to check.
        skip = true;
        ++i;
      } else {
        break;
      }
    }
    if (skip) {
      while (i < size && !text.at(i).isSpace())
        ++i;
      continue;
    }
    if (start > 0 && (text.at(start - 1).isDigit() || text.at(start - 1) == u'@'))
      continue;
    result.emplace_back(int(start), int(i - start));
  }
  return result;
}

void SpellingHighlighter::setEnabled(bool enabled) {
  if (enabled == enabled_)
    return;
  enabled_ = enabled;
  ++generation_;
  if (enabled) {
    checkVisibleSoon();
    return;
  }
  // Only the paragraphs with underlines need their formats cleared, once
  // the text is laid out to its end (see checkVisible()).
  if (!document())
    return;
  if (!LongTextDocumentLayout::laidOutToTheEnd(*document()))
    document()->documentLayout()->documentSize();
  for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
    SpellingState* state = stateOf(block);
    if (state && state->marked) {
      forced_ = true;
      rehighlightBlock(block);
      forced_ = false;
    }
  }
}

void SpellingHighlighter::followDocument() {
  QTextDocument* document = editor_->document();
  if (this->document() == document)
    return;
  letGo();
  follow(document);
}

int SpellingHighlighter::wholePassLimit_ = SpellingHighlighter::kWholePassLimit;

void SpellingHighlighter::setWholePassLimit(int characters) {
  wholePassLimit_ = characters < 0 ? kWholePassLimit : characters;
}

void SpellingHighlighter::letGo() {
  editsLeftToUs_ = false;
  editedFrom_ = QTextCursor();
  editedTo_ = QTextCursor();
  if (this->document())
    disconnect(this->document(), &QTextDocument::contentsChange, this, nullptr);
  setDocument(nullptr);
}

void SpellingHighlighter::stayWithDocument() {
  SpellCheckerAPI::removeDictionaryListener(dictionaryListener_);
  enabled_ = false;
  editedFrom_ = QTextCursor();
  editedTo_ = QTextCursor();
  if (QTextDocument* text = document()) {
    // The base class's own handling of edits goes too.
    disconnect(text, nullptr, this, nullptr);
    if (QAbstractTextDocumentLayout* layout = text->documentLayout())
      disconnect(layout, nullptr, this, nullptr);
  }
  // Checks and passes queued for it.
  QCoreApplication::removePostedEvents(this);
  setParent(nullptr);
}

void SpellingHighlighter::follow(QTextDocument* document) {
  // Signals reach their receivers in the order they were connected: this
  // mark comes before the highlighter's own handling of an edit, its reset
  // after.
  connect(document, &QTextDocument::contentsChange, this, [this] { inEdit_ = true; });
  // Given a text, the base class queues a pass over every paragraph (seconds
  // for a very long sheet, and the first key waits for it) and leaves edits
  // alone until it has run. For a very long text that pass is dropped: the
  // paragraphs on screen are checked here, and the edited ones as they
  // change, at the price of a second layout pass per key (the marks are then
  // an edit of their own). A shorter text keeps the base class's handling,
  // whose marks come with the key's own pass.
  editsLeftToUs_ = document->characterCount() > wholePassLimit_;
  setDocument(document);
  if (editsLeftToUs_) {
    QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
    checkPending_ = false;
    connect(document, &QTextDocument::contentsChange, this, &SpellingHighlighter::checkEdited);
  }
  connect(document, &QTextDocument::contentsChange, this, [this] { inEdit_ = false; });
  connect(document->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged, this,
          &SpellingHighlighter::checkVisibleSoon, Qt::UniqueConnection);
  checkVisibleSoon();
}

void SpellingHighlighter::checkEdited(int from, int removed, int added) {
  // A paragraph given its formats here changes the document again; and the
  // formats cleared when the highlighter lets go are no edit.
  if (checkingEdit_ || !editsLeftToUs_)
    return;
  // The marks are given once the edit is done, in one pass for the edits of
  // one event. The cursors keep the edited stretch in place through later
  // edits.
  QTextDocument* text = document();
  const int last = text->characterCount() - 1;
  const int start = std::clamp(from, 0, last);
  const int end = std::clamp(from + added + (removed > 0 ? 1 : 0), 0, last);
  if (editedFrom_.isNull() || editedTo_.isNull()) {
    editedFrom_ = QTextCursor(text);
    editedTo_ = QTextCursor(text);
    editedFrom_.setPosition(start);
    editedTo_.setPosition(end);
  } else {
    editedFrom_.setPosition(std::min(editedFrom_.position(), start));
    editedTo_.setPosition(std::max(editedTo_.position(), end));
  }
  if (editCheckPending_)
    return;
  editCheckPending_ = true;
  QTimer::singleShot(0, this, &SpellingHighlighter::checkEditedNow);
}

void SpellingHighlighter::checkEditedNow() {
  editCheckPending_ = false;
  QTextDocument* text = document();
  if (!text || editedFrom_.isNull() || editedTo_.isNull() || editedFrom_.document() != text)
    return;
  QTextBlock block = text->findBlock(editedFrom_.position());
  const QTextBlock last = text->findBlock(editedTo_.position());
  editedFrom_ = QTextCursor();
  editedTo_ = QTextCursor();
  const int end = last.isValid() ? last.position() + last.length() : text->characterCount();
  checkingEdit_ = true;
  forced_ = true;
  bool onScreen = false;
  for (; block.isValid() && block.position() < end; block = block.next()) {
    rehighlightBlock(block);
    onScreen = onScreen || isVisible(block);
  }
  forced_ = false;
  checkingEdit_ = false;
  // The layout of a text this long asks for no repaint of formats changed
  // after the edit: the marks on screen are drawn here.
  if (onScreen)
    editor_->viewport()->update();
}

void SpellingHighlighter::checkVisibleSoon() {
  if (checkPending_)
    return;
  checkPending_ = true;
  QTimer::singleShot(0, this, [this] {
    checkPending_ = false;
    checkVisible();
  });
}

bool SpellingHighlighter::isVisible(const QTextBlock& block) const {
  // A hidden editor (a pad not shown) is checked when it shows.
  if (!editor_->isVisible())
    return false;
  const int top = editor_->verticalScrollBar()->value();
  const int bottom = top + editor_->viewport()->height();
  // A long text knows where each paragraph stands, laid out or not.
  if (const auto* own = longLayout()) {
    const int number = block.blockNumber();
    return own->blockTop(number + 1) >= top && own->blockTop(number) <= bottom;
  }
  const QTextLayout* layout = block.layout();
  if (!layout || layout->lineCount() == 0)
    return false;
  const QRectF rect = layout->boundingRect().translated(layout->position());
  return rect.bottom() >= top && rect.top() <= bottom;
}

QTextBlock SpellingHighlighter::firstBlockReaching(int y) const {
  // The text is laid out from its start: the paragraphs laid out and ending
  // above `y` come first (a hit test is not used: right after a long text
  // is shown it can answer with a paragraph far down).
  if (const auto* own = longLayout())
    return own->blockAt(y);
  const QTextDocument* text = document();
  int low = 0;
  int high = text->blockCount() - 1;
  while (low < high) {
    const int middle = low + (high - low) / 2;
    const QTextLayout* layout = text->findBlockByNumber(middle).layout();
    if (layout && layout->lineCount() > 0 &&
        layout->position().y() + layout->boundingRect().height() < y)
      low = middle + 1;
    else
      high = middle;
  }
  return text->findBlockByNumber(low);
}

void SpellingHighlighter::checkVisible() {
  // Marks given before the text is laid out to its end would cut its layout
  // short; the layout's next step brings the check back.
  if (!document() || !editor_->isVisible() || !LongTextDocumentLayout::laidOutToTheEnd(*document()))
    return;
  const int top = editor_->verticalScrollBar()->value();
  const int bottom = top + editor_->viewport()->height();
  QTextBlock block = firstBlockReaching(top);
  const LongTextDocumentLayout* own = longLayout();
  for (int number = block.blockNumber(); block.isValid(); block = block.next(), ++number) {
    const QTextLayout* layout = block.layout();
    if (own ? own->blockTop(number) > bottom
            : layout && layout->lineCount() > 0 && layout->position().y() > bottom)
      break;
    const SpellingState* state = stateOf(block);
    if (state && state->generation == generation_)
      continue;
    forced_ = true;
    rehighlightBlock(block);
    forced_ = false;
  }
}

const LongTextDocumentLayout* SpellingHighlighter::longLayout() const {
  const QTextDocument* text = document();
  return text ? qobject_cast<const LongTextDocumentLayout*>(text->documentLayout()) : nullptr;
}

void SpellingHighlighter::highlightBlock(const QString& text) {
  ++passedParagraphs_;
  const QTextBlock block = currentBlock();
  SpellingState* state = stateOf(block);
  if (state) {
    state->marked = false;
    state->generation = 0;
  }
  // Not on screen and not edited: seen to when it shows. A paragraph given
  // a format here is laid out again, and with it the text up to it: a long
  // text shown is never given formats as a whole. Nor is one before the text
  // is laid out to its end (see checkVisible()).
  if (!inEdit_ &&
      ((!forced_ && !isVisible(block)) || !LongTextDocumentLayout::laidOutToTheEnd(*document())))
    return;
  if (!state) {
    state = new SpellingState;
    setCurrentBlockUserData(state);
  }
  state->generation = generation_;
  // Links show as links: blue and underlined, on screen only.
  QTextCharFormat link;
  link.setForeground(QColor(0, 102, 204));
  link.setFontUnderline(true);
  for (auto it = block.begin(); !it.atEnd(); ++it) {
    const QTextFragment fragment = it.fragment();
    if (fragment.charFormat().isAnchor())
      setFormat(fragment.position() - block.position(), fragment.length(), link);
  }
  if (!enabled_)
    return;
  ++checkedParagraphs_;
  SpellCheckerAPI& checker = SpellCheckerAPI::shared();
  QTextCharFormat misspelt;
  misspelt.setUnderlineStyle(QTextCharFormat::SpellCheckUnderline);
  misspelt.setUnderlineColor(Qt::red);
  for (const auto& [start, length] : words(text)) {
    if (!checker.isCorrect(text.mid(start, length))) {
      setFormat(start, length, misspelt);
      state->marked = true;
    }
  }
}

} // namespace kr
