#include "kit/text/NowAndLaterBoardTextView.h"

#include "kit/text/FastTypeTextViewDelegate.h"
#include "kit/text/PadTextSettings.h"
#include "kit/text/SpellingHighlighter.h"
#include "kit/text/TextIndicatorsView.h"
#include "platform/settings/UserDefaults.h"

#include <QPalette>
#include <QPushButton>
#include <QTextCursor>
#include <QTextDocument>

// The editor following the settings it is shown with: its options, the
// default font and colour, and the format indicators below the text.

namespace kr {

namespace {

const QStringList kOptionKeys = {QStringLiteral("dataDetectorsOn"),
                                 QStringLiteral("continuousSpellChecking"),
                                 QStringLiteral("automaticSpellingCorrection"),
                                 QStringLiteral("grammarChecking"),
                                 QStringLiteral("textReplacement"),
                                 QStringLiteral("smartLinks"),
                                 QStringLiteral("smartQuotes"),
                                 QStringLiteral("smartDashes"),
                                 QStringLiteral("smartInsertAndDelete")};

bool option(const QString& key, bool fallback) {
  const UserDefaults& defaults = UserDefaults::standard();
  return defaults.defined(key) ? defaults.boolValue(key) : fallback;
}

} // namespace

void NowAndLaterBoardTextView::awakeFromNib() {
  if (!delegate_)
    delegate_ = std::make_unique<FastTypeTextViewDelegate>(this);
  applyDefaultTypingAttributes();
  showInactiveSelection();
  updateTextViewFeatures();
  if (awake_)
    return;
  awake_ = true;
  connect(&UserDefaults::standard(), &UserDefaults::changed, this,
          &NowAndLaterBoardTextView::followSetting);
}

void NowAndLaterBoardTextView::updateTextViewFeatures() {
  Options o;
  o.continuousSpellChecking = option(QStringLiteral("continuousSpellChecking"), true);
  o.automaticSpellingCorrection = option(QStringLiteral("automaticSpellingCorrection"), false);
  o.smartQuotes = option(QStringLiteral("smartQuotes"), true);
  o.smartDashes = option(QStringLiteral("smartDashes"), true);
  o.smartLinks = option(QStringLiteral("smartLinks"), true);
  o.smartInsertAndDelete = option(QStringLiteral("smartInsertAndDelete"), true);
  o.textReplacement = option(QStringLiteral("textReplacement"), true);
  o.grammarChecking = option(QStringLiteral("grammarChecking"), false);
  o.dataDetectorsOn = option(QStringLiteral("dataDetectorsOn"), false);
  options_ = o;
  updateSpellChecking();
}

void NowAndLaterBoardTextView::updateSpellChecking() {
  highlighter_->setEnabled(options_.continuousSpellChecking && checksSpelling());
}

void NowAndLaterBoardTextView::followSetting(const QString& key) {
  if (key == QLatin1String("textColor"))
    recolourWholeText();
  else if (key == QLatin1String("defaultFont"))
    refontWholeText();
  else if (kOptionKeys.contains(key))
    updateTextViewFeatures();
}

void NowAndLaterBoardTextView::applyDefaultTypingAttributes() {
  const QFont font = PadTextSettings::defaultFont();
  // A new default font lays the whole text out again.
  if (document()->defaultFont() != font)
    document()->setDefaultFont(font);
  QTextCharFormat typing = currentCharFormat();
  typing.setForeground(PadTextSettings::textColor());
  setCurrentCharFormat(typing);
}

void NowAndLaterBoardTextView::recolourWholeText() {
  // A changed setting, not an edit of this text: Undo does not take it back.
  QTextCharFormat colour;
  colour.setForeground(PadTextSettings::textColor());
  quietly([&] {
    document()->setUndoRedoEnabled(false);
    QTextCursor all(document());
    all.select(QTextCursor::Document);
    all.mergeCharFormat(colour);
    document()->setUndoRedoEnabled(true);
  });
  applyDefaultTypingAttributes();
  showInactiveSelection();
  updateIndicators();
}

void NowAndLaterBoardTextView::showInactiveSelection() {
  // The editor draws its selection in the inactive colours while another
  // control or window has the focus: not the bright selection of the
  // editor being typed in, so the eye finds where the keys go. A veil of
  // the text's own colour shows on whatever background the user chose.
  const QColor text = PadTextSettings::textColor();
  QColor veil = text;
  veil.setAlphaF(0.2F);
  QPalette colours = palette();
  colours.setColor(QPalette::Inactive, QPalette::Highlight, veil);
  colours.setColor(QPalette::Inactive, QPalette::HighlightedText, text);
  setPalette(colours);
}

void NowAndLaterBoardTextView::refontWholeText() {
  QTextCharFormat font;
  font.setFont(PadTextSettings::defaultFont(), QTextCharFormat::FontPropertiesAll);
  quietly([&] {
    document()->setUndoRedoEnabled(false);
    QTextCursor all(document());
    all.select(QTextCursor::Document);
    all.mergeCharFormat(font);
    document()->setUndoRedoEnabled(true);
  });
  applyDefaultTypingAttributes();
  QTextCharFormat typing = currentCharFormat();
  typing.setFont(PadTextSettings::defaultFont(), QTextCharFormat::FontPropertiesAll);
  setCurrentCharFormat(typing);
  updateIndicators();
}

void NowAndLaterBoardTextView::setTextIndicatorsView(TextIndicatorsView* view) {
  if (textIndicatorsView_)
    textIndicatorsView_->disconnect(this);
  textIndicatorsView_ = view;
  if (!view)
    return;
  using I = TextIndicatorsView;
  using Action = void (NowAndLaterBoardTextView::*)();
  const std::pair<I::Indicator, Action> actions[] = {
      {I::Plain, &NowAndLaterBoardTextView::makePlainText},
      {I::Bold, &NowAndLaterBoardTextView::toggleBoldAttribute},
      {I::Italics, &NowAndLaterBoardTextView::toggleItalicAttribute},
      {I::Underline, &NowAndLaterBoardTextView::underline},
      {I::StrikeThrough, &NowAndLaterBoardTextView::toggleStrikeOutAttribute}};
  for (const auto& [indicator, action] : actions) {
    connect(view->indicator(indicator), &QPushButton::clicked, this, [this, action = action] {
      (this->*action)();
      // The button toggled itself; the format decides what it shows.
      updateIndicators();
    });
  }
  updateIndicators();
}

void NowAndLaterBoardTextView::updateIndicators() {
  if (textIndicatorsView_) {
    // A format without a font of its own shows in the text's default font.
    QTextCharFormat format = currentCharFormat();
    format.setFont(format.font().resolve(document()->defaultFont()));
    textIndicatorsView_->showFormat(format, PadTextSettings::defaultFont(),
                                    PadTextSettings::textColor());
  }
}

} // namespace kr
