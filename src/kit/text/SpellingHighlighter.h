#pragma once

#include <QSyntaxHighlighter>
#include <QTextBlock>
#include <QTextCursor>

#include <utility>
#include <vector>

class QTextEdit;

namespace kr {

class LongTextDocumentLayout;

// Underlines misspelt words in an editor while checking is on. Only the
// paragraphs on screen and those the user edits are checked: a long text
// loaded, or a key typed, never has the whole text checked. Paragraphs that
// scroll into view are checked then.
class SpellingHighlighter : public QSyntaxHighlighter {
  Q_OBJECT

public:
  explicit SpellingHighlighter(QTextEdit* editor);
  ~SpellingHighlighter() override;

  bool isEnabled() const { return enabled_; }
  // On: the visible paragraphs are checked; off: every underline goes.
  void setEnabled(bool enabled);
  // Follows the editor's document (after it was replaced).
  void followDocument();
  // Lets go of the document, clearing the marks (before the editor goes).
  void letGo();
  // Stays with the document, which leaves the editor with its marks: from
  // here on nothing is checked, marked or read. Letting go of it would clear
  // every paragraph (a pass over a long text, and a change of a document
  // that another thread may be reading by then), so this highlighter is to
  // be deleted only once the document is gone. It leaves its editor.
  void stayWithDocument();
  // Texts of more characters than this are not passed whole through the
  // highlighter when they are given to it (about a tenth of a second per
  // million characters, after the first paint).
  static constexpr int kWholePassLimit = 4 << 20;
  // Another limit for the documents followed from now on (tests); a negative
  // one puts kWholePassLimit back.
  static void setWholePassLimit(int characters);
  // Checks the visible paragraphs not checked yet (after a scroll or a resize).
  void checkVisibleSoon();
  void checkVisible();

  // The words of `text` that a spelling check looks at: start and length.
  static std::vector<std::pair<int, int>> words(const QString& text);
  // How many paragraphs were checked since the editor was made (for tests).
  int checkedParagraphs() const { return checkedParagraphs_; }
  // How many paragraphs were handed to the highlighter, checked or not.
  int passedParagraphs() const { return passedParagraphs_; }

protected:
  void highlightBlock(const QString& text) override;

private:
  bool isVisible(const QTextBlock& block) const;
  void follow(QTextDocument* document);
  // The first paragraph laid out that reaches down to `y` or below, or the
  // first one not laid out yet.
  QTextBlock firstBlockReaching(int y) const;
  // The layout of a long text, which places every paragraph without laying it out.
  const LongTextDocumentLayout* longLayout() const;
  // Checks the paragraphs an edit touched, once it is done.
  void checkEdited(int from, int removed, int added);
  void checkEditedNow();
  void setSuspended(bool suspended);

  QTextEdit* editor_;
  bool enabled_ = false;
  // Set around an edit's own re-highlighting: the edited paragraph is checked.
  bool inEdit_ = false;
  bool forced_ = false;
  bool checkPending_ = false;
  // The base class leaves the edits of the document to checkEdited().
  bool editsLeftToUs_ = false;
  bool checkingEdit_ = false;
  bool editCheckPending_ = false;
  QTextCursor editedFrom_;
  QTextCursor editedTo_;
  int generation_ = 1;
  int checkedParagraphs_ = 0;
  int passedParagraphs_ = 0;
  int dictionaryListener_ = 0;
  static int wholePassLimit_;
};

} // namespace kr
