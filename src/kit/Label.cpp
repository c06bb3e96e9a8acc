#include "kit/Label.h"

#include "kit/ControlSize.h"
#include "kit/skins/ControlSkin.h"
#include "platform/drawing/SystemFont.h"

#include <algorithm>
#include <cmath>

namespace kr {

Label::Label(QWidget* parent) : QLabel(parent) {}

Label* Label::standardLabel(const QString& title) {
  auto* label = new Label();
  label->setText(title);
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(false);
  label->setTextInteractionFlags(Qt::NoTextInteraction);
  label->setFrameShape(QFrame::NoFrame);
  label->setAutoFillBackground(false);
  label->setAttribute(Qt::WA_TranslucentBackground);
  return label;
}

void Label::apply(const ControlSkin& skin) {
  const DrawingPalette palette = skin.labelPalette();
  if (palette.kind() != DrawingPalette::Kind::textColor)
    return;
  QPalette p = this->palette();
  p.setColor(QPalette::WindowText, palette.color());
  setPalette(p);
}

void Label::small() { setControlSize(this, ControlSize::small); }

QColor Label::textColor() const { return palette().color(QPalette::WindowText); }

namespace {

QString cssOf(const CharFormat& format) {
  QStringList parts;
  if (!format.fontFamily.isEmpty() || format.fontSize > 0) {
    // A font of its own replaces the label's, weight and slant included.
    const double size = format.fontSize > 0 ? format.fontSize : 12.0;
    QString family = format.fontFamily;
    if (!family.isEmpty())
      family = namedFontOrSystemFont(family, size).family();
    if (!family.isEmpty())
      parts << QStringLiteral("font-family:'%1'").arg(family.remove(u'\'').toHtmlEscaped());
    if (format.fontSize > 0)
      parts << QStringLiteral("font-size:%1px").arg(std::lround(format.fontSize));
    parts << QStringLiteral("font-weight:400") << QStringLiteral("font-style:normal");
  }
  if (format.bold)
    parts << QStringLiteral("font-weight:700");
  if (format.italic)
    parts << QStringLiteral("font-style:italic");
  QStringList lines;
  if (format.underline)
    lines << QStringLiteral("underline");
  if (format.strikeThrough)
    lines << QStringLiteral("line-through");
  if (!lines.isEmpty())
    parts << QStringLiteral("text-decoration:") + lines.join(u' ');
  if (format.foreground)
    parts << QStringLiteral("color:") + format.foreground->toHex();
  return parts.join(u';');
}

} // namespace

QString Label::markup(const RichText& text) {
  QString html;
  for (const RichText::Run& run : text.runs()) {
    const QString part = text.plainText().mid(run.start, run.length).toHtmlEscaped();
    const QString css = cssOf(run.format);
    html += css.isEmpty() ? part : QStringLiteral("<span style=\"%1\">%2</span>").arg(css, part);
  }
  return html;
}

bool Label::showRichText(QLabel* label, const RichText& text) {
  const bool plain =
      std::all_of(text.runs().begin(), text.runs().end(),
                  [](const RichText::Run& run) { return cssOf(run.format).isEmpty(); });
  const QString shown = plain ? text.plainText() : markup(text);
  const Qt::TextFormat format = plain ? Qt::PlainText : Qt::RichText;
  if (label->text() == shown && label->textFormat() == format)
    return false;
  label->setTextFormat(format);
  label->setText(shown);
  return true;
}

} // namespace kr
