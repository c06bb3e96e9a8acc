#pragma once

#include "kit/text/NowAndLaterBoardTextView.h"

#include <QString>

class QMenu;
class QTextCursor;
class QTextEdit;

namespace kr {

// The text options' substitutions after an edit of the user's, once the
// typing rules left the text as it is. Each change is one undo step of its
// own, so Undo gives back what was typed; only the caret's paragraph, or the
// pasted text and its neighbours, are read.
//
// - smart quotes: a typed ' or " becomes ‘ ’ or “ ”, opening at the start of
//   a paragraph and after a blank or an opening bracket, closing elsewhere;
// - smart dashes: "--" becomes "—" once a letter or a blank follows it;
// - smart links: a word starting with "http://", "https://", "mailto:" or
//   "www." becomes a link once a blank or Return follows it;
// - spelling correction: a misspelt word becomes the checker's first
//   suggestion once a blank, Return or a punctuation mark follows it;
// - smart insert and delete: a pasted word gets a blank from the words
//   beside it; deleting a word leaves no double blank, nor a blank before a
//   punctuation mark.
class SmartTyping {
public:
  struct Edit {
    bool afterReturn = false;
    QString typed;
    int insertedFrom = -1;
    int insertedTo = -1;
    bool deleted = false;
  };

  // True when something changed.
  static bool apply(QTextEdit& view, const NowAndLaterBoardTextView::Options& options,
                    const Edit& edit);
  // The link a word stands for ("www.x.org" → "http://www.x.org"); empty when
  // it is none.
  static QString linkForWord(const QString& word);
  // The checker's suggestions for a misspelt word under `at`, as menu items
  // that replace it.
  static void addSpellingSuggestions(QTextEdit& view, QMenu& menu, const QTextCursor& at);
};

} // namespace kr
