#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>
#include <utility>
#include <vector>

class QTextCursor;
class QTextDocument;
class QTextEdit;

namespace kr {

class NowAndLaterBoardTextView;
class SmartTimerWrapper;

// Serves one pad editor: writes its sheet back to the pad's store, at the
// latest about five seconds after the first edit since the last write. A
// pending write is never pushed back by further typing.
//
// The typing rules turn a few sequences typed at the caret into formatting:
// "--" at the start of a line becomes a separator line, "done'" a check mark,
// a line ending in "--" is struck out, and "* ", "1. " and "+ " at the start
// of a line begin a list item. Return at the end of an item starts the next
// one; Return on an empty item ends the list. Each rule is one undo step of
// its own, so Undo gives the typed text back. The rules read the caret's
// paragraph only.
//
// A write that fails keeps the text in the editor; the reason goes to the
// console and, once until a write succeeds again, to the user. The next save
// (an edit's autosave, a page change, quitting) tries again.
class FastTypeTextViewDelegate : public QObject {
  Q_OBJECT

public:
  static constexpr double kAutosaveDelay = 5.0;
  static constexpr double kAutosaveTolerance = 2.5;

  enum class Report { alert, consoleOnly };

  explicit FastTypeTextViewDelegate(NowAndLaterBoardTextView* textView);
  ~FastTypeTextViewDelegate() override;

  NowAndLaterBoardTextView* textView() const { return textView_; }

  // Writes the whole text to the store's selected sheet. True when it was
  // written, or when there is nothing to write (no store; a sheet shown
  // read-only). A pending autosave is dropped once the text is written.
  bool save(Report report = Report::alert);
  // The autosave: the text is taken here and written on the sheet writer's
  // thread; a failure is told as save() tells it, once it is known. While
  // the editor encodes a long text in steps, the autosave waits for them
  // (pending meanwhile) rather than encode the rest at once.
  void saveInBackground();
  // Before the pad turns away from its sheet, for certain: a changed sheet
  // is handed to the sheet writer and written in the background (a long
  // one with its document, which leaves the editor). After a failed save it
  // is written here and now instead, and false means that it could not be:
  // the page does not turn away from text that is not on disk.
  bool writeBeforeLeaving(Report report = Report::alert);
  // The program quits: a changed text is saved once its window no longer
  // needs serving (PadSheetWriter::finish()), as save() does.
  void saveWhenFinishing();
  // Arms the autosave unless it is pending already.
  void triggerDelayedWrite();
  // The autosave's firing.
  void timerFireMethod();

  bool isWritePending() const;
  // The text changed since it was read or last saved, or its last save
  // failed, or a sheet the pad left could not be written.
  bool hasUnsavedChanges() const;

  // The typing rules after an edit of the user's that left the caret where it
  // is; `afterReturn` when the edit was a Return. True when a rule changed
  // the text.
  static bool applyTypingRules(QTextEdit& textView, bool afterReturn);
  // Strikes out the caret's paragraph from its first letter on and moves the
  // caret to the end of the next paragraph.
  static void strikeOutAndContinue(QTextEdit& textView);

  static const QString& separatorLine();
  // Separator paragraphs are drawn on one line, cut at the editor's edge,
  // whatever its width. For a text set from outside.
  static void keepSeparatorsUnbroken(QTextDocument* document);
  static void keepUnbroken(QTextCursor& line);
  static constexpr char16_t kCheckMark = u'\u2714';
  // Why the last write failed; empty after a successful one.
  QString failure() const { return failure_; }

Q_SIGNALS:
  // A sheet the pad turned away from could not be written; its text is kept
  // by the sheet writer until a save succeeds.
  void leftSheetNotWritten(const QString& path);

private:
  void leftSheetWritten(const QString& path, bool written, const QString& error);
  void reportFailure(const QString& path, const QString& error, Report report);
  // Keeps and tells the failures (path, reason) of a save; true when none.
  bool settle(std::vector<std::pair<QString, QString>> failures, Report report);

  QPointer<NowAndLaterBoardTextView> textView_;
  std::shared_ptr<SmartTimerWrapper> timer_;
  QString failure_;
  bool failureReported_ = false;
  quint64 saveTicket_ = 0;
  bool saveAfterSteps_ = false; // an autosave waits for the encoding in steps
};

} // namespace kr
