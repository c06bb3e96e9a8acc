#include "kit/text/NowAndLaterBoardTextView.h"

#include "kit/text/FastTypeTextViewDelegate.h"
#include "kit/text/NowAndLaterBoardTextViewDocument.h"
#include "kit/text/PadTextSettings.h"
#include "kit/text/SpellingHighlighter.h"
#include "platform/richtext/RichTextDocument.h"
#include "platform/richtext/RtfChunkCache.h"

#include <QPointer>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTimer>

// The sheet the editor shows: its documents built, swapped in and retired,
// its text handed out, encoded in steps and written.

namespace kr {

using namespace board_document;

void NowAndLaterBoardTextView::retireDocument(QTextDocument* document) {
  // A document without a page size is laid out no more: letting go of it
  // (the highlighter clears the formats of every paragraph) costs no layout
  // of the whole text.
  document->setPageSize(QSizeF(0, 0));
}

void NowAndLaterBoardTextView::attachDocument(QTextDocument* document) {
  const bool undo = document->isUndoRedoEnabled();
  document->setUndoRedoEnabled(false);
  applyInset(document, logicalDpiX());
  document->setUndoRedoEnabled(undo);
  connect(document, &QTextDocument::contentsChanged, this,
          &NowAndLaterBoardTextView::onContentsChanged, Qt::UniqueConnection);
  connect(document, &QTextDocument::contentsChange, this,
          &NowAndLaterBoardTextView::onContentsChange, Qt::UniqueConnection);
  highlighter_->followDocument();
  encodeInStepsWhenDue();
}

bool NowAndLaterBoardTextView::isEncodingInSteps() const { return encodeSteps_->isActive(); }

void NowAndLaterBoardTextView::encodeInStepsWhenDue() {
  if (encodeSteps_->isActive() || !isSheetWritable())
    return;
  // A sheet's text saved before, or one too long to be left to its first
  // save; a text that is never saved is never encoded.
  RtfChunkCache* cache = RtfChunkCache::find(document());
  if (!cache && backingStoreDescriptor_ && document()->characterCount() >= kEncodeInStepsFrom)
    cache = RtfChunkCache::of(document());
  // A change within a chunk of paragraphs is left to the save: a step
  // encodes a chunk at least, and an edit's chunk changes again with the
  // next key.
  if (cache && cache->staleBlocks() > RtfChunkCache::kBlocksPerChunk &&
      cache->staleCharacters() >= kEncodeInStepsFrom)
    encodeSteps_->start();
}

void NowAndLaterBoardTextView::encodeStep() {
  RtfChunkCache* cache = RtfChunkCache::find(document());
  const auto step = [&] {
    return cache->staleCharacters() >= kEncodeStepsSharedFrom
               ? cache->encodeSharedFor(kEncodeStepMs)
               : cache->encodeFor(kEncodeStepMs);
  };
  if (!cache || !isSheetWritable() || step()) {
    encodeSteps_->stop();
    Q_EMIT encodedInSteps();
  }
}

void NowAndLaterBoardTextView::showSheet(const RichText& text, const QString& notice) {
  loading_ = false;
  notice_ = notice;
  replaceWholeText(text);
  // As read: nothing to save until it changes.
  document()->setModified(false);
  setReadOnly(!notice.isEmpty());
}

void NowAndLaterBoardTextView::showSheetLoading() {
  loading_ = true;
  notice_.clear();
  replaceWholeText(RichText());
  document()->setModified(false);
  setReadOnly(true);
}

PadSheetWriter::SheetText NowAndLaterBoardTextView::takeTextForPageTurn() {
  applyTypedAhead();
  // A long text would cost the window its encoding and its deletion.
  if (document()->characterCount() <= kOwnLayoutFrom || document()->parent() != this)
    return encodedText();
  std::shared_ptr<LeftDocument> left;
  loading_ = true;
  notice_.clear();
  swapInDocument(buildSheetDocument(RichText(), sheetLook()), &left);
  document()->setModified(false);
  setReadOnly(true);
  return left;
}

void NowAndLaterBoardTextView::showSheetDocument(QTextDocument* built, const QString& notice) {
  loading_ = false;
  notice_ = notice;
  swapInDocument(built);
  document()->setModified(false);
  setReadOnly(!notice.isEmpty());
}

NowAndLaterBoardTextView::SheetLook NowAndLaterBoardTextView::sheetLook() const {
  SheetLook look;
  look.font = awake_ ? PadTextSettings::defaultFont() : document()->defaultFont();
  look.option = document()->defaultTextOption();
  look.dpi = logicalDpiX();
  return look;
}

QTextDocument* NowAndLaterBoardTextView::buildSheetDocument(const RichText& text,
                                                            const SheetLook& look) {
  // Whatever concerns the whole document is set while it is empty: set
  // later, it would have the whole text laid out at once. No layout is made
  // here: the editor that shows the document makes it.
  auto* fresh = new QTextDocument;
  fresh->setUndoRedoEnabled(false);
  fresh->setDefaultFont(look.font);
  fresh->setDefaultTextOption(look.option);
  applyInset(fresh, look.dpi);
  settleDirection(fresh, writesRightToLeft(text.plainText()));
  // Indents, spacing and stops in the screen's points, as the text's size.
  RichTextDocument::setDotsPerInch(fresh, look.dpi);
  RichTextDocument::fill(fresh, text);
  // Filling clears the document, and with it the frame's inset: set again
  // here, before there is a layout, it costs the window's thread no pass
  // over the whole text when the editor checks it.
  applyInset(fresh, look.dpi);
  FastTypeTextViewDelegate::keepSeparatorsUnbroken(fresh);
  // Its paragraphs are counted here too, away from the window's thread.
  useLayoutForLength(fresh);
  // Its file's encoding is kept by paragraphs from the start (a long text
  // has its layout by now); the editor encodes it in steps once it is shown.
  if (fresh->characterCount() > kOwnLayoutFrom)
    RtfChunkCache::of(fresh);
  fresh->setUndoRedoEnabled(true);
  return fresh;
}

RichText NowAndLaterBoardTextView::richText() {
  applyTypedAhead();
  RichText text = RichTextDocument::fromDocument(*document());
  // The sheets' files carry the stops the editor shows.
  text.setTabInterval(kTabInterval);
  return text;
}

EncodedRichText NowAndLaterBoardTextView::encodedText() {
  applyTypedAhead();
  return RtfChunkCache::of(document())->encoded(kTabInterval);
}

bool NowAndLaterBoardTextView::writeTextAndWait(const QString& path, const QString& folder,
                                                QString* error) {
  PadSheetWriter& writer = PadSheetWriter::shared();
  applyTypedAhead();
  RtfChunkCache* cache = RtfChunkCache::of(document());
  if (cache->staleCharacters() >= RtfChunkCache::kStreamFrom) {
    if (const std::shared_ptr<StreamedRichText> stream = cache->stream(kTabInterval)) {
      const auto outcome =
          writer.write(path, folder, stream, nullptr, {}, PadSheetWriter::KeptBy::caller);
      const bool whole = cache->encodeInto(*stream);
      writer.drain();
      if (whole) {
        if (error)
          *error = outcome->error;
        return outcome->written;
      }
      // The write stopped short, leaving the file as it was; the text is
      // encoded again from the start and written whole.
    }
  }
  return writer.writeAndWait(path, folder, encodedText(), error, PadSheetWriter::KeptBy::caller);
}

void NowAndLaterBoardTextView::insertAtStart(const RichText& text) {
  if (isReadOnly() || text.isEmpty())
    return;
  QTextDocument scratch;
  RichTextDocument::setDotsPerInch(&scratch, RichTextDocument::dotsPerInch(*document()));
  RichTextDocument::fill(&scratch, text);
  QTextCursor cursor(document());
  cursor.beginEditBlock();
  cursor.movePosition(QTextCursor::Start);
  cursor.insertFragment(QTextDocumentFragment(&scratch));
  cursor.endEditBlock();
}

void NowAndLaterBoardTextView::replaceWholeText(const RichText& text) {
  swapInDocument(buildSheetDocument(text, sheetLook()));
}

void NowAndLaterBoardTextView::swapInDocument(QTextDocument* fresh,
                                              std::shared_ptr<LeftDocument>* left) {
  // A long text is built in a document of its own and then swapped in: filled
  // in place, every piece inserted would be laid out again.
  // The editor deletes a document it made itself; one made here is its
  // child and goes here. Shown, the text is laid out as far as the screen
  // reaches, and the rest in steps between the events.
  applyTypedAhead();
  layoutStopped_ = false;
  QPointer<QTextDocument> old = document();
  fresh->setParent(this);
  useLayoutForLength(fresh);
  settingText_ = true;
  setDocument(fresh);
  settingText_ = false;
  if (old) {
    disconnect(old, nullptr, this, nullptr);
    retireDocument(old);
  }
  // Gone before the highlighter follows the new document, which then has
  // no marks to clear from every paragraph of the old one. A document handed
  // over, or a long one (whose deletion takes a while) deleted on the sheet
  // writer's thread, keeps its marks, and the highlighter that made them:
  // the editor gets a new one.
  const bool handedOver =
      old && old->parent() == this && (left || old->characterCount() > kOwnLayoutFrom);
  if (handedOver) {
    highlighter_->stayWithDocument();
    auto leaving = std::make_shared<LeftDocument>(old.data(), kTabInterval,
                                                  std::exchange(highlighter_, nullptr));
    highlighter_ = new SpellingHighlighter(this);
    if (left)
      *left = std::move(leaving);
    else
      PadSheetWriter::shared().dispose(std::move(leaving));
  } else if (old && old->parent() == this) {
    delete old.data();
  }
  attachDocument(fresh);
  if (handedOver)
    updateSpellChecking();
  documentChanged(true);
  setTextCursor(QTextCursor(fresh));
  if (awake_)
    applyDefaultTypingAttributes();
  updateIndicators();
}

} // namespace kr
