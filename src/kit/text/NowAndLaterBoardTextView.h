#pragma once

#include "kit/text/PadSheetWriter.h"
#include "kit/text/TextIndicatorsView.h"
#include "platform/richtext/EncodedRichText.h"
#include "platform/richtext/RichText.h"

#include <QFont>
#include <QPointer>
#include <QString>
#include <QTextEdit>
#include <QTextOption>

#include <functional>
#include <memory>
#include <vector>

class QMimeData;
class QTimer;

namespace kr {

class BackingStoreDescriptor;
class FastTypeTextViewDelegate;
class SpellingHighlighter;

// The rich-text editor of the note pads and, through its subclass, of the
// objective. A pad's editor shows one sheet of its store: the sheet's text
// replaces the whole text as no edit, and the delegate writes it back after
// the user's edits. A sheet that could not be read in full is shown
// read-only and is never written. Without a store nothing is written.
//
// The format actions act on the selection, or on the typing format without
// one. The text options of the settings ("continuousSpellChecking",
// "automaticSpellingCorrection", "smartQuotes", "smartDashes", "smartLinks",
// "smartInsertAndDelete") apply at once in every editor when they change.
class NowAndLaterBoardTextView : public QTextEdit {
  Q_OBJECT

public:
  // The to-do types of the task manager Things, and OmniFocus's task type.
  static const QString kThingsActionType;
  static const QStringList kThingsPasteTypes;
  static const QString kOmniFocusTasksType;
  static const QString kThingsLinkPrefix;

  // The options in effect, as the settings hold them.
  struct Options {
    bool continuousSpellChecking = true;
    bool automaticSpellingCorrection = false;
    bool smartQuotes = true;
    bool smartDashes = true;
    bool smartLinks = true;
    bool smartInsertAndDelete = true;
    // Read and kept; this system has no such service.
    bool textReplacement = true;
    bool grammarChecking = false;
    bool dataDetectorsOn = false;
  };

  // The selection in the system blue with white text, or in the desktop's
  // colours; while the editor has no focus, a veil of the text's colour.
  enum class Selection { pads, desktop };
  explicit NowAndLaterBoardTextView(QWidget* parent = nullptr,
                                    Selection selection = Selection::pads);
  ~NowAndLaterBoardTextView() override;

  BackingStoreDescriptor* backingStoreDescriptor() const { return backingStoreDescriptor_; }
  void setBackingStoreDescriptor(BackingStoreDescriptor* store) { backingStoreDescriptor_ = store; }

  // Sets the delegate up, the pads' font and colour for new text and for the
  // selection without the focus, and the text options, and follows their
  // settings from then on.
  void awakeFromNib();
  FastTypeTextViewDelegate* delegate() const { return delegate_.get(); }
  const Options& options() const { return options_; }
  // Reads the text options from the settings.
  void updateTextViewFeatures();
  SpellingHighlighter* spellingHighlighter() const { return highlighter_; }

  // Shows a sheet. `notice` empty: the sheet is editable; otherwise it says
  // why the sheet is shown read-only.
  void showSheet(const RichText& text, const QString& notice = {});
  bool isSheetWritable() const { return notice_.isEmpty() && !loading_; }

  // A long sheet is read and built away from the window's thread:
  // - sheetLook() gives what its document takes from this editor (read here);
  // - buildSheetDocument() builds it on any thread, for the caller to own
  //   (and to move to this editor's thread before it is shown);
  // - showSheetLoading() meanwhile shows no text, and nothing can be edited
  //   or written;
  // - showSheetDocument() shows it as showSheet() would, and takes it over.
  struct SheetLook {
    QFont font;
    QTextOption option;
    double dpi = 96;
  };
  SheetLook sheetLook() const;
  static QTextDocument* buildSheetDocument(const RichText& text, const SheetLook& look);
  void showSheetLoading();
  bool isLoadingSheet() const { return loading_; }
  void showSheetDocument(QTextDocument* built, const QString& notice = {});
  QString sheetNotice() const { return notice_; }
  // The whole text, with any keys typed ahead.
  RichText richText();
  // The same encoded for a sheet's file: only the paragraphs changed since
  // the last call are encoded again.
  EncodedRichText encodedText();
  // Writes the whole text to the sheet at `path` in `folder` through the
  // sheet writer and waits for it, a failure left to the caller (the text
  // stays here). With many characters still to encode, the chunks encoded
  // already are written while the others are encoded.
  bool writeTextAndWait(const QString& path, const QString& folder, QString* error);
  // The text of the sheet shown for its file, as the page turns away from it
  // for certain: a long text's document itself, which leaves the editor to be
  // encoded (what is left of it) and deleted on the sheet writer's thread;
  // the editor then shows no text and takes no edit until the next sheet is
  // shown. A shorter text is encoded here and stays.
  PadSheetWriter::SheetText takeTextForPageTurn();
  // A long sheet just shown, or a change of many paragraphs at once (the
  // whole text recoloured, a long paste), leaves much of the text to be
  // encoded again. From this many characters in more than a chunk of
  // paragraphs, it is encoded in steps of a few milliseconds between the
  // window's events, so that the next save finds it done; less is left to
  // the save. An autosave that comes meanwhile waits for the steps
  // (encodedInSteps()); any other save shares what is left among helper
  // threads.
  static constexpr qsizetype kEncodeInStepsFrom = 256 * 1024;
  static constexpr qint64 kEncodeStepMs = 4;
  // From this many characters left, each step shares its chunks among helper
  // threads: a very long text is done sooner, each step still as short.
  static constexpr qsizetype kEncodeStepsSharedFrom = 8 << 20;
  bool isEncodingInSteps() const;

  // Keys typed into a long text while an earlier edit is still laid out are
  // taken together: characters, Backspace, Delete and Return wait until the
  // window's queued events are through and then go in as one edit (one
  // layout pass, one undo step). Whatever else reads or changes the text
  // applies them first. Below this length a key's layout pass is quick
  // enough (under a tenth of a second) for keys not to pile up.
  static constexpr int kTypeAheadFrom = 4 << 20;
  // From this length a text is laid out only where it is seen (see
  // LongTextDocumentLayout); a shorter one is laid out whole.
  static constexpr int kOwnLayoutFrom = kTypeAheadFrom;
  bool hasTypedAhead() const { return !typedAhead_.empty(); }
  void applyTypedAhead();
  // Keys typed while a long sheet is read (after showSheetLoading()) are
  // held for it in the same way: characters, Tab and Return, a Backspace
  // taking back the last of them. What would change a text not seen yet
  // (Delete, Backspace past them, the format, undo and paste commands) is
  // counted as not kept. They wait past showSheetDocument() until the
  // caller, having placed the caret, applies them as one edit, or drops
  // them (a sheet shown read-only, a page turned, the pad hidden). Each
  // returns how many typed characters were not kept.
  bool holdsKeysForSheet() const { return holdsForSheet_ || keysNotKept_ > 0; }
  int applyKeysHeldForSheet();
  int dropKeysHeldForSheet();
  // Runs before keys typed ahead are laid out: a request to quit that waits
  // outside the window's events (a signal) is served first.
  static void setBeforeTypedAhead(std::function<void()> serve);
  // The program quits: the text is laid out no more, so keys typed ahead
  // and the save cost no layout pass. resumeLayout() when the quit is
  // cancelled.
  void stopLayout();
  void resumeLayout();

  // Puts `text` in front of the whole text as one step that Undo takes back.
  void insertAtStart(const RichText& text);
  // The pads' font and colour for text typed where no text sets them.
  void applyDefaultTypingAttributes();

  TextIndicatorsView* textIndicatorsView() const { return textIndicatorsView_; }
  // The indicators follow the caret's format; their buttons run the actions.
  void setTextIndicatorsView(TextIndicatorsView* view);

  // Whether "Plain Text" would change anything: the selection (or, without
  // one, the typing format) has a format besides the pads' font and colour.
  // The Format menu and the key decide with it.
  bool canMakePlainText() const;

  // What a drop at the caret does: the task managers' types first, then
  // images, then the platform's drop.
  void performDragOperation(const QMimeData& source);
  // Drops and pastes of the task managers' types; true when handled.
  bool insertThingsToDo(const QMimeData& source);
  bool takeOmniFocusTask(const QMimeData& source);

public Q_SLOTS:
  // The format commands; each is one undo step. Without a selection they set
  // the format of what is typed next.
  //
  // The pads' font and text colour with the default paragraph format: bold,
  // italics, underline, strike-out and links go.
  void makePlainText();
  // Bold and italics change only the weight or the slant of the font.
  void toggleBoldAttribute();
  void toggleItalicAttribute();
  void underline();
  void toggleStrikeOutAttribute();
  // Strikes out the caret's paragraph and goes on to the end of the next one.
  void markAsCompleted();
  // Selects the next (previous) placeholder between "‹" and "›".
  void selectNextField();
  void selectPreviousField();
  // The caret to the end (the start) of its line.
  void next();
  void previous();
  // Undo and Redo; the typing rules never run for them, and they do not
  // count as the user's edits. A read-only editor takes neither.
  void undo();
  void redo();

Q_SIGNALS:
  // The user changed the text: typing, pasting, dropping, bold or italics.
  // Not sent for Undo, Redo, a text set from outside, strike-out, plain
  // text and mark as completed.
  void editedByUser();
  // The encoding in steps is over (done, or given up for a text that is not
  // saved).
  void encodedInSteps();

protected:
  // What the user's edit was, for the rules that follow it.
  struct UserEdit {
    bool afterReturn = false;
    // The text typed by a key or an input method; empty for other edits.
    QString typed;
    // A paste or a drop: where its text went.
    int insertedFrom = -1;
    int insertedTo = -1;
    // A deletion of a selection, or of a character by Backspace or Delete.
    bool deleted = false;
  };

  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  bool canInsertFromMimeData(const QMimeData* source) const override;
  void insertFromMimeData(const QMimeData* source) override;
  void dropEvent(QDropEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  // After an edit of the user's: the typing rules, then the text options.
  virtual void userEdited(const UserEdit& edit);
  // Replaces the whole text as no edit of the user's: no change is announced
  // and the undo history starts afresh (older records belong to another
  // text). The caret goes to the start.
  void replaceWholeText(const RichText& text);
  // Tab and Shift+Tab (with or without Ctrl) move the focus on instead of
  // typing while tabChangesFocus() is on (the objective); a pad takes tabs,
  // and Ctrl+Tab, Ctrl+Shift+Tab move on from it.
  bool movesFocusOn(const QKeyEvent& event) const;
  // The document's content changed; `fromOutside` while the text is set.
  virtual void documentChanged(bool fromOutside);
  // Whether the text is to be checked for spelling while the option is on:
  // not a text the program wrote itself.
  virtual bool checksSpelling() const { return true; }
  void updateSpellChecking();
  void updateIndicators();
  // Runs `change` as a change that is no edit of the user's.
  void quietly(const std::function<void()>& change);
  // True while a text set from outside fills the document.
  bool settingText_ = false;

private:
  void onContentsChanged();
  // Inserted text written from right to left gives each paragraph its own
  // direction again. A change that comes while Qt's layout is still laying
  // the text out in steps has the rest laid out once the layout has taken
  // it (mendLayout()).
  void onContentsChange(int from, int removed, int added);
  void mendLayout();
  // Shows `fresh` (made by buildSheetDocument) in place of the document shown,
  // which is handed over in `left` when that is given, and deleted otherwise
  // (a long one on the sheet writer's thread).
  void swapInDocument(QTextDocument* fresh, std::shared_ptr<LeftDocument>* left = nullptr);
  void attachDocument(QTextDocument* document);
  static void retireDocument(QTextDocument* document);
  // The format the toggles look at: the selection's first character, or the typing format.
  QTextCharFormat referenceFormat() const;
  void mergeFormat(const QTextCharFormat& modifier);
  void runUserEdit(const std::function<void()>& edit, UserEdit what);
  // A key's edit as the editor makes it, with the typing rules after it.
  void typeKey(QKeyEvent* event);
  // Keeps `event` for the next batch when it belongs there.
  bool takeTypedAhead(QKeyEvent* event);
  // The same while a long sheet is read.
  bool holdForSheet(QKeyEvent* event);
  void holdCommittedText(const QString& text);
  static int charactersOf(const std::unique_ptr<QKeyEvent>& key);
  // Keys typed ahead straight into the text, without the editor's layout.
  void insertTypedAheadUnlaidOut();
  void followSetting(const QString& key);
  void recolourWholeText();
  // Without the focus the selection stands back, in the text's colour.
  void showInactiveSelection();
  void refontWholeText();
  // Pasted or dropped images become attachments; false when `source` has none.
  bool insertImages(const QMimeData& source);
  // Starts the steps of encoding when the text has enough to encode.
  void encodeInStepsWhenDue();
  void encodeStep();

  QPointer<TextIndicatorsView> textIndicatorsView_;
  BackingStoreDescriptor* backingStoreDescriptor_ = nullptr;
  std::unique_ptr<FastTypeTextViewDelegate> delegate_;
  SpellingHighlighter* highlighter_ = nullptr;
  Options options_;
  QString notice_;
  int quiet_ = 0;
  quint64 changes_ = 0;
  bool awake_ = false;
  bool loading_ = false;
  bool dropping_ = false;
  bool anchoring_ = false; // scrolling to keep the text read in place
  int mendLayoutFrom_ = -1;
  std::vector<std::unique_ptr<QKeyEvent>> typedAhead_;
  bool typeAheadPosted_ = false;
  bool holdsForSheet_ = false;
  int keysNotKept_ = 0;
  bool layoutStopped_ = false;
  QTimer* encodeSteps_ = nullptr;
};

} // namespace kr
