#include "kit/text/SmartTyping.h"

#include "kit/text/SpellingHighlighter.h"
#include "kit/text/TextReplacement.h"
#include "platform/services/SpellCheckerAPI.h"

#include <QMenu>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

namespace kr {

namespace {

// Replaces [from, to) by `text` in the format of the replaced text, as one
// undo step; the caret keeps its place after the replaced range.
void replaceRange(QTextEdit& view, int from, int to, const QString& text) {
  const int caret = view.textCursor().position();
  replaceAsOneStep(view.document(), from, to, text);
  QTextCursor after(view.document());
  after.setPosition(caret >= to ? caret + int(text.size()) - (to - from) : caret);
  view.setTextCursor(after);
}

QChar charAt(const QTextDocument& document, int position) {
  if (position < 0 || position >= document.characterCount() - 1)
    return QChar(u'\n');
  const QChar c = document.characterAt(position);
  return c == QChar::ParagraphSeparator ? QChar(u'\n') : c;
}

bool opensQuote(QChar before) {
  return before.isSpace() || before == u'\n' || before == u'(' || before == u'[' ||
         before == u'{' || before == u'\u2014' || before == u'\u2013' || before == u'\u2018' ||
         before == u'\u201c';
}

bool smartQuote(QTextEdit& view, int caret, QChar typed) {
  const QTextDocument& document = *view.document();
  const bool opening =
      caret - 1 == view.textCursor().block().position() || opensQuote(charAt(document, caret - 2));
  QChar curly;
  if (typed == u'"')
    curly = QChar(opening ? u'\u201c' : u'\u201d');
  else
    curly = QChar(opening ? u'\u2018' : u'\u2019');
  replaceRange(view, caret - 1, caret, QString(curly));
  return true;
}

bool isWordDelimiter(QChar c) {
  return c.isSpace() || c == u'.' || c == u',' || c == u';' || c == u':' || c == u'!' ||
         c == u'?' || c == u')';
}

// The word ending at `end` in its paragraph: letters with inner apostrophes.
std::pair<int, int> wordBefore(const QTextBlock& block, int end) {
  const QString text = block.text();
  const int inBlock = end - block.position();
  int start = inBlock;
  while (start > 0) {
    const QChar c = text.at(start - 1);
    const bool apostrophe =
        (c == u'\'' || c == u'\u2019') && start - 2 >= 0 && text.at(start - 2).isLetter();
    if (!c.isLetter() && !c.isMark() && !apostrophe)
      break;
    --start;
  }
  // A word that is part of a code or an address is no word to correct.
  if (start > 0 && !text.at(start - 1).isSpace() &&
      !QStringView(u"(\"'\u2018\u201c[").contains(text.at(start - 1)))
    return {end, end};
  return {block.position() + start, end};
}

bool correctSpelling(QTextEdit& view, const QTextBlock& block, int end) {
  const auto [from, to] = wordBefore(block, end);
  if (to - from < 2)
    return false;
  const QString word = block.text().mid(from - block.position(), to - from);
  SpellCheckerAPI& checker = SpellCheckerAPI::shared();
  if (checker.isCorrect(word))
    return false;
  const QStringList suggestions = checker.suggestions(word);
  if (suggestions.isEmpty() || suggestions.first() == word)
    return false;
  replaceRange(view, from, to, suggestions.first());
  return true;
}

bool makeLink(QTextEdit& view, const QTextBlock& block, int end) {
  const QString text = block.text();
  const int inBlock = end - block.position();
  int start = inBlock;
  while (start > 0 && !text.at(start - 1).isSpace())
    --start;
  QString word = text.mid(start, inBlock - start);
  // Closing punctuation after an address is not part of it.
  while (!word.isEmpty() && QStringView(u".,;:!?)]\"'\u2019\u201d").contains(word.back()))
    word.chop(1);
  const QString link = SmartTyping::linkForWord(word);
  if (link.isEmpty())
    return false;
  QTextCursor edit(view.document());
  edit.setPosition(block.position() + start);
  edit.setPosition(block.position() + start + int(word.size()), QTextCursor::KeepAnchor);
  if (edit.charFormat().isAnchor())
    return false;
  QTextCharFormat anchor;
  anchor.setAnchor(true);
  anchor.setAnchorHref(link);
  edit.beginEditBlock();
  edit.mergeCharFormat(anchor);
  edit.endEditBlock();
  return true;
}

// A blank between the pasted text and a word right beside it.
bool mendInsert(QTextEdit& view, int from, int to) {
  const QTextDocument& document = *view.document();
  if (to <= from)
    return false;
  const QChar first = charAt(document, from);
  const QChar last = charAt(document, to - 1);
  const bool before = first.isLetterOrNumber() && charAt(document, from - 1).isLetterOrNumber();
  const bool after = last.isLetterOrNumber() && charAt(document, to).isLetterOrNumber();
  if (!before && !after)
    return false;
  QTextCursor edit(view.document());
  edit.beginEditBlock();
  if (after) {
    edit.setPosition(to);
    edit.insertText(QStringLiteral(" "));
  }
  if (before) {
    edit.setPosition(from);
    edit.insertText(QStringLiteral(" "));
  }
  edit.endEditBlock();
  QTextCursor caret(view.document());
  caret.setPosition(to + (before ? 1 : 0));
  view.setTextCursor(caret);
  return true;
}

// No double blank, nor a blank before a punctuation mark, where a word went.
bool mendDelete(QTextEdit& view) {
  const QTextDocument& document = *view.document();
  const int caret = view.textCursor().position();
  const QChar before = charAt(document, caret - 1);
  const QChar after = charAt(document, caret);
  if (before != u' ')
    return false;
  if (after == u' ') {
    replaceRange(view, caret, caret + 1, QString());
    return true;
  }
  if (QStringView(u".,;:!?").contains(after)) {
    replaceRange(view, caret - 1, caret, QString());
    return true;
  }
  return false;
}

} // namespace

QString SmartTyping::linkForWord(const QString& word) {
  static const QRegularExpression kAddress(
      QStringLiteral("^(?:(?:https?://|mailto:)\\S+|www\\.[^\\s.]+\\.\\S+)$"),
      QRegularExpression::CaseInsensitiveOption);
  if (word.size() < 8 || !kAddress.match(word).hasMatch())
    return {};
  if (word.startsWith(QLatin1String("www."), Qt::CaseInsensitive))
    return QStringLiteral("http://") + word;
  return word;
}

bool SmartTyping::apply(QTextEdit& view, const NowAndLaterBoardTextView::Options& options,
                        const Edit& edit) {
  const QTextCursor caret = view.textCursor();
  if (view.isReadOnly() || caret.hasSelection())
    return false;
  if (edit.insertedFrom >= 0)
    return options.smartInsertAndDelete && mendInsert(view, edit.insertedFrom, edit.insertedTo);
  if (edit.deleted)
    return options.smartInsertAndDelete && mendDelete(view);
  const int position = caret.position();
  QChar typed;
  if (edit.afterReturn)
    typed = QChar(u'\n');
  else if (edit.typed.size() == 1)
    typed = edit.typed.at(0);
  else
    return false;
  const QTextDocument& document = *view.document();
  if (options.smartQuotes && (typed == u'"' || typed == u'\''))
    return smartQuote(view, position, typed);
  bool changed = false;
  // The word typed before the delimiter: in the paragraph before a Return.
  const QTextBlock block = edit.afterReturn ? caret.block().previous() : caret.block();
  const int wordEnd = edit.afterReturn ? block.position() + block.length() - 1 : position - 1;
  if (options.smartDashes && (typed.isLetter() || typed.isSpace()) &&
      charAt(document, position - 2) == u'-' && charAt(document, position - 3) == u'-' &&
      charAt(document, position - 4) != u'-' && !edit.afterReturn) {
    replaceRange(view, position - 3, position - 1, QStringLiteral("\u2014"));
    return true;
  }
  if (!block.isValid() || !isWordDelimiter(typed))
    return false;
  if (options.automaticSpellingCorrection)
    changed = correctSpelling(view, block, wordEnd) || changed;
  if (options.smartLinks && typed.isSpace()) {
    const QTextCursor now = view.textCursor();
    const QTextBlock current = edit.afterReturn ? now.block().previous() : now.block();
    const int end =
        edit.afterReturn ? current.position() + current.length() - 1 : now.position() - 1;
    changed = makeLink(view, current, end) || changed;
  }
  return changed;
}

void SmartTyping::addSpellingSuggestions(QTextEdit& view, QMenu& menu, const QTextCursor& at) {
  if (view.isReadOnly())
    return;
  const QTextBlock block = at.block();
  const int inBlock = at.position() - block.position();
  for (const auto& [start, length] : SpellingHighlighter::words(block.text())) {
    if (inBlock < start || inBlock > start + length)
      continue;
    const QString word = block.text().mid(start, length);
    SpellCheckerAPI& checker = SpellCheckerAPI::shared();
    if (checker.isCorrect(word))
      return;
    const QStringList suggestions = checker.suggestions(word).mid(0, 5);
    QAction* first = menu.actions().value(0);
    for (const QString& suggestion : suggestions) {
      auto* item = new QAction(QString(suggestion).replace(u'&', QStringLiteral("&&")), &menu);
      const int from = block.position() + start;
      const int to = from + length;
      QObject::connect(item, &QAction::triggered, &view,
                       [&view, from, to, suggestion] { replaceRange(view, from, to, suggestion); });
      menu.insertAction(first, item);
    }
    if (!suggestions.isEmpty())
      menu.insertSeparator(first);
    return;
  }
}

} // namespace kr
