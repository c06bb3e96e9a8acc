#include "kit/SpellingHighlighter.h"

#include "platform/SpellCheckerAPI.h"

#include <QAbstractTextDocumentLayout>
#include <QScrollBar>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <QTimer>

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
  // Only the paragraphs with underlines need their formats cleared.
  if (!document())
    return;
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
  if (this->document())
    disconnect(this->document(), &QTextDocument::contentsChange, this, nullptr);
  setDocument(nullptr);
  // Signals reach their receivers in the order they were connected: this
  // mark comes before the highlighter's own handling of an edit, its reset
  // after. Attaching the document has every paragraph passed here once, not
  // as an edit: only those on screen are checked then.
  connect(document, &QTextDocument::contentsChange, this, [this] { inEdit_ = true; });
  setDocument(document);
  connect(document, &QTextDocument::contentsChange, this, [this] { inEdit_ = false; });
  connect(document->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged, this,
          &SpellingHighlighter::checkVisibleSoon, Qt::UniqueConnection);
  checkVisibleSoon();
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
  const QTextLayout* layout = block.layout();
  if (!layout || layout->lineCount() == 0)
    return false;
  const QRectF rect = layout->boundingRect().translated(layout->position());
  const int top = editor_->verticalScrollBar()->value();
  const int bottom = top + editor_->viewport()->height();
  return rect.bottom() >= top && rect.top() <= bottom;
}

void SpellingHighlighter::checkVisible() {
  if (!document() || !editor_->isVisible())
    return;
  QTextBlock block = editor_->cursorForPosition(QPoint(0, 0)).block();
  const int bottom = editor_->verticalScrollBar()->value() + editor_->viewport()->height();
  for (; block.isValid(); block = block.next()) {
    const QTextLayout* layout = block.layout();
    if (layout && layout->lineCount() > 0 && layout->position().y() > bottom)
      break;
    const SpellingState* state = stateOf(block);
    if (state && state->generation == generation_)
      continue;
    forced_ = true;
    rehighlightBlock(block);
    forced_ = false;
  }
}

void SpellingHighlighter::highlightBlock(const QString& text) {
  const QTextBlock block = currentBlock();
  SpellingState* state = stateOf(block);
  if (state) {
    state->marked = false;
    state->generation = 0;
  }
  // Not on screen and not edited: seen to when it shows. A paragraph given
  // a format here is laid out again, and with it the text up to it: a long
  // text shown is never given formats as a whole.
  if (!forced_ && !inEdit_ && !isVisible(block))
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
