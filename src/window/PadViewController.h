#pragma once

#include "kit/NiblessViewController.h"
#include "platform/services/AskedAbout.h"

#include <QList>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QLabel;
class QTextDocument;
class QToolButton;

namespace kr {

class BackingStoreDescriptor;
class BorderedBackgroundView;
class DetachedJob;
class NowAndLaterBoardTextView;
class SheetCaretMemory;
class TextIndicatorsView;

// One note pad: its editor on the pad's colour, the format indicators above
// and the sheet buttons below. Every page change writes the current sheet
// first; a sheet that cannot be written is not left.
class PadViewController : public NiblessViewController {
  Q_OBJECT

public:
  static constexpr int kMinimumWidth = 300;
  static constexpr int kTopBand = 37;
  static constexpr int kButtonStrip = 37;
  static constexpr int kSheetButtonSize = 18;
  static constexpr int kSheetButtonGap = 8;

  static const QString kDeleteQuestion;

  explicit PadViewController(bool delayedBuild = true, QObject* parent = nullptr);
  ~PadViewController() override;

  QString backgroundColorStorageKey;
  BackingStoreDescriptor* backingStoreDescriptor = nullptr;

  void build() override;

  NowAndLaterBoardTextView* textView() const { return textView_; }
  TextIndicatorsView* textIndicatorsView() const { return textIndicatorsView_; }
  QToolButton* newSheetButton() const { return newSheetButton_; }
  QToolButton* nextSheetButton() const { return nextSheetButton_; }
  QToolButton* previousSheetButton() const { return previousSheetButton_; }
  QToolButton* deleteSheetButton() const { return deleteSheetButton_; }
  QToolButton* helpButton() const { return helpButton_; }
  // The notice over a sheet being read or shown read-only, and over keys
  // typed that were not kept (hidden otherwise).
  QLabel* noticeLabel() const { return noticeLabel_; }

  // Each returns false, changing nothing, when the current sheet could not
  // be written first.
  bool newSheet();
  bool nextSheet();
  bool previousSheet();
  // Asks first; false when cancelled or when the sheet could not be written.
  bool deleteSheet();
  void showHelp();
  void focus();
  // Shows the selected sheet. A long one is read and built on a thread of
  // its own: the page turns at once, with the old text gone and nothing to
  // edit (or delete) until the new text is shown whole; the notice says so.
  // Keys typed meanwhile are held and go in at the caret the sheet is given
  // (where it was in that sheet, or at its end) once it is shown editable.
  // Shown read-only, or left before it is shown (another sheet, the pad
  // hidden, the program quitting), the sheet gets none of them, and the
  // notice (at a quit, the console) says how many were not kept.
  void updateTextView();
  bool isLoadingSheet() const;
  void updateToolbarButtons();

  // The controllers in the order they were built (Now, Later, Scratch).
  static QList<PadViewController*> allPadViewControllers();
  // Writes every pad, in the order they were built; a failure goes to the
  // console only (quitting decides what to tell). Returns the failures
  // ("<sheet>: <reason>"), none when all were written.
  static QStringList saveAllPads();
  // The program is about to quit (true), or stays after all (false): the
  // pads' text is laid out no more, so that keys typed ahead and the last
  // save cost no pass over a long text. Without `waitForWrites`,
  // saveAllPads() leaves the saves until the window is no longer served
  // (PadSheetWriter::finish(), which the program runs once its event loop
  // is over): failures then go to the console only.
  static void setQuitting(bool quitting, bool waitForWrites = true);
  // The program's event loop is over: keys held for a sheet still being
  // read are dropped, and the console says so.
  static void dropKeysHeldAtQuit();

  // Opens a help page in the help pad; installed by the application.
  // Without it the help button only names the page on the console.
  static void setShowHelpPage(std::function<void(const QString& page)> show);

  // Sheets whose text file is longer are read and built away from the
  // window's thread.
  static constexpr qint64 kLongSheetBytes = 256 * 1024;

Q_SIGNALS:
  // The selected sheet is shown whole, editable unless it says why not.
  void sheetShown();

private:
  // The sheet shown, for the question whether to delete it.
  AskedAbout askingAboutSheet();
  bool eventFilter(QObject* watched, QEvent* event) override;
  struct ReadSheet;
  void buildSheetInBackground(const QString& path);
  void showReadSheet(const ReadSheet& sheet, QTextDocument* built);
  // Stops a build under way from being shown.
  void dropSheetBuild();
  QWidget* createTextViewWall();
  bool writeCurrentSheet();
  // Back to a sheet left whose text could not be written.
  void turnBackTo(const QString& path);
  void layoutView();
  // The notice line: the sheet being read or why it is read-only, then any
  // keys typed that were not kept.
  void showNotice();
  // Drops the keys held for the sheet being read; true when some were typed.
  bool dropHeldKeys();
  static QString notKeptNotice(int characters);
  void layoutTextViewWall();

  NowAndLaterBoardTextView* textView_ = nullptr;
  SheetCaretMemory* caretMemory_ = nullptr;
  TextIndicatorsView* textIndicatorsView_ = nullptr;
  QWidget* textViewWall_ = nullptr;
  BorderedBackgroundView* background_ = nullptr;
  QLabel* noticeLabel_ = nullptr;
  QToolButton* newSheetButton_ = nullptr;
  QToolButton* nextSheetButton_ = nullptr;
  QToolButton* previousSheetButton_ = nullptr;
  QToolButton* deleteSheetButton_ = nullptr;
  QToolButton* helpButton_ = nullptr;
  std::shared_ptr<DetachedJob> sheetBuild_;
  QString keysNotice_;
};

} // namespace kr
