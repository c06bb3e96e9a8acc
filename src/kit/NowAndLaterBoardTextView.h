#pragma once

#include "kit/ObjectiveTextView.h"

#include <QString>

#include <memory>

namespace kr {

class BackingStoreDescriptor;
class FastTypeTextViewDelegate;

// The editor of a note pad (and of the objective). A pad's editor shows one
// sheet of its store: the sheet's text replaces the whole text as no edit,
// and the delegate writes it back after the user's edits. A sheet that could
// not be read in full is shown read-only and is never written.
class NowAndLaterBoardTextView : public ObjectiveTextView {
  Q_OBJECT

public:
  explicit NowAndLaterBoardTextView(QWidget* parent = nullptr);
  ~NowAndLaterBoardTextView() override;

  BackingStoreDescriptor* backingStoreDescriptor() const { return backingStoreDescriptor_; }
  void setBackingStoreDescriptor(BackingStoreDescriptor* store) { backingStoreDescriptor_ = store; }

  // Sets the delegate up and the pads' font and colour for new text.
  void awakeFromNib();
  FastTypeTextViewDelegate* delegate() const { return delegate_.get(); }

  // Shows a sheet. `notice` empty: the sheet is editable; otherwise it says
  // why the sheet is shown read-only.
  void showSheet(const RichText& text, const QString& notice = {});
  bool isSheetWritable() const { return notice_.isEmpty(); }
  QString sheetNotice() const { return notice_; }
  RichText richText() const;

  // Puts `text` in front of the whole text as one step that Undo takes back.
  void insertAtStart(const RichText& text);
  // The pads' font and colour for text typed where no text sets them.
  void applyDefaultTypingAttributes();

private:
  BackingStoreDescriptor* backingStoreDescriptor_ = nullptr;
  std::unique_ptr<FastTypeTextViewDelegate> delegate_;
  QString notice_;
};

} // namespace kr
