#include "kit/NowAndLaterBoardTextView.h"

#include "kit/FastTypeTextViewDelegate.h"
#include "kit/PadTextSettings.h"
#include "platform/RichTextDocument.h"

#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>

namespace kr {

NowAndLaterBoardTextView::NowAndLaterBoardTextView(QWidget* parent) : ObjectiveTextView(parent) {
  setObjectName(QStringLiteral("NowAndLaterBoardTextView"));
  // A pad's text takes tabs.
  setTabChangesFocus(false);
}

NowAndLaterBoardTextView::~NowAndLaterBoardTextView() = default;

void NowAndLaterBoardTextView::awakeFromNib() {
  if (!delegate_)
    delegate_ = std::make_unique<FastTypeTextViewDelegate>(this);
  applyDefaultTypingAttributes();
}

void NowAndLaterBoardTextView::applyDefaultTypingAttributes() {
  document()->setDefaultFont(PadTextSettings::defaultFont());
  QPalette colours = palette();
  colours.setColor(QPalette::Text, PadTextSettings::textColor());
  setPalette(colours);
}

void NowAndLaterBoardTextView::showSheet(const RichText& text, const QString& notice) {
  notice_ = notice;
  replaceWholeText(text);
  // As read: nothing to save until it changes.
  document()->setModified(false);
  setReadOnly(!notice.isEmpty());
}

RichText NowAndLaterBoardTextView::richText() const {
  return RichTextDocument::fromDocument(*document());
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

} // namespace kr
