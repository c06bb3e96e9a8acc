#include "preferences/PadsPane.h"

#include "preferences/PreferenceControls.h"

#include "kit/text/PadTextSettings.h"
#include "platform/services/SpellCheckerAPI.h"
#include "platform/settings/UserDefaults.h"
#include "window/NowAndLaterBoardManager.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QFontDialog>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace kr {

namespace {

const QString kDefaultFont = QStringLiteral("defaultFont");
const QString kTextColor = QStringLiteral("textColor");
const QString kNowColor = QStringLiteral("nowPadBackgroundColor");

const std::vector<std::pair<QString, QString>> kColorLabels = {
    {kTextColor, QStringLiteral("Text:")},
    {kNowColor, QStringLiteral("Now pad:")},
    {QStringLiteral("laterPadBackgroundColor"), QStringLiteral("Later pad:")},
    {QStringLiteral("scratchPadBackgroundColor"), QStringLiteral("Scratch pad:")},
    {QStringLiteral("objectiveBackgroundColor"), QStringLiteral("Objective:")}};

const std::vector<std::pair<QString, QString>> kTypingOptions = {
    {QStringLiteral("smartQuotes"), QStringLiteral("Smart quotes (\u201c \u201d \u2018 \u2019)")},
    {QStringLiteral("smartDashes"), QStringLiteral("Smart dashes (-- becomes \u2014)")},
    {QStringLiteral("smartLinks"), QStringLiteral("Web and mail addresses become links")},
    {QStringLiteral("smartInsertAndDelete"),
     QStringLiteral("Mend the spaces around pasted and deleted words")},
    {QStringLiteral("continuousSpellChecking"), QStringLiteral("Check spelling while typing")},
    {QStringLiteral("automaticSpellingCorrection"),
     QStringLiteral("Correct spelling automatically")}};

QString displayName(const QFont& font) {
  const double size = font.pointSizeF() > 0 ? font.pointSizeF() : double(font.pixelSize());
  QString name = font.family();
  if (!font.styleName().isEmpty())
    name += u' ' + font.styleName();
  return QStringLiteral("%1 %2 pt").arg(name).arg(size);
}

} // namespace

const QStringList PadsPane::kColorKeys = [] {
  QStringList keys;
  for (const auto& [key, label] : kColorLabels)
    keys << key;
  return keys;
}();

PadsPane::Choosers PadsPane::Choosers::standard() {
  Choosers choosers;
  choosers.font = [](const QFont& current, QWidget* parent) -> std::optional<QFont> {
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, current, parent, QStringLiteral("Pads Font"));
    return ok ? std::optional<QFont>(font) : std::nullopt;
  };
  choosers.color = [](const QColor& current, QWidget* parent) -> std::optional<QColor> {
    const QColor color = QColorDialog::getColor(current, parent, QStringLiteral("Colour"));
    return color.isValid() ? std::optional<QColor>(color) : std::nullopt;
  };
  choosers.setDefaultFont = [](const QFont& font) {
    NowAndLaterBoardManager::sharedManager().setDefaultFont(font);
  };
  return choosers;
}

PadsPane::PadsPane(PreferenceControls& controls, Choosers choosers, QWidget* parent)
    : QWidget(parent), controls_(controls), choosers_(std::move(choosers)), preview_(new QLabel),
      chooseFont_(new QPushButton(QStringLiteral("Choose\u2026"))),
      resetFonts_(new QPushButton(QStringLiteral("Reset Fonts"))),
      resetColors_(new QPushButton(QStringLiteral("Reset Colors"))) {
  setObjectName(QStringLiteral("Pads"));
  preview_->setObjectName(QStringLiteral("fontPreview"));
  preview_->setAutoFillBackground(true);
  preview_->setFrameShape(QFrame::StyledPanel);
  preview_->setMinimumHeight(48);
  preview_->setMargin(8);

  connect(chooseFont_, &QPushButton::clicked, this, &PadsPane::chooseDefaultFont);
  connect(resetFonts_, &QPushButton::clicked, this, &PadsPane::resetFonts);
  connect(resetColors_, &QPushButton::clicked, this, &PadsPane::resetColors);

  auto* fontButtons = new QHBoxLayout;
  fontButtons->addWidget(chooseFont_);
  fontButtons->addWidget(resetFonts_);
  fontButtons->addStretch(1);

  auto* colors = new QFormLayout;
  colors->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
  for (const auto& [key, label] : kColorLabels) {
    auto* button = new QPushButton;
    button->setObjectName(key);
    button->setMinimumWidth(120);
    colorButtons_[key] = button;
    connect(button, &QPushButton::clicked, this, [this, key = key] { chooseColor(key); });
    colors->addRow(label, button);
    controls.follow(key, button, [this, key = key] { showColor(key); });
  }
  colors->addRow(QString(), resetColors_);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(20, 16, 20, 16);
  layout->addWidget(new QLabel(QStringLiteral("The pads\u2019 font:")));
  layout->addWidget(preview_);
  layout->addLayout(fontButtons);
  layout->addSpacing(12);
  layout->addWidget(new QLabel(QStringLiteral("Colours:")));
  layout->addLayout(colors);
  layout->addSpacing(12);
  layout->addWidget(new QLabel(QStringLiteral("While typing:")));
  for (const auto& [key, label] : kTypingOptions) {
    // Spelling only where a dictionary is installed.
    if (key.contains(QLatin1String("Spell")) && !SpellCheckerAPI::shared().isAvailable())
      continue;
    layout->addWidget(controls.check(label, key));
  }
  layout->addStretch(1);

  controls.follow(kDefaultFont, preview_, [this] { updateFontPreview(); });
}

QPushButton* PadsPane::colorButton(const QString& key) const {
  const auto found = colorButtons_.find(key);
  return found == colorButtons_.end() ? nullptr : found->second;
}

void PadsPane::updateFontPreview() {
  const UserDefaults& defaults = controls_.defaults();
  const QFont font = PadTextSettings::defaultFont(defaults);
  preview_->setFont(font);
  preview_->setText(displayName(font));
  QPalette palette = preview_->palette();
  palette.setColor(QPalette::WindowText, PadTextSettings::textColor(defaults));
  palette.setColor(QPalette::Window, PadTextSettings::padColor(defaults, kNowColor));
  preview_->setPalette(palette);
}

QColor PadsPane::colorOf(const QString& key) const {
  return key == kTextColor ? PadTextSettings::textColor(controls_.defaults())
                           : PadTextSettings::padColor(controls_.defaults(), key);
}

void PadsPane::showColor(const QString& key) {
  QPushButton* button = colorButton(key);
  if (!button)
    return;
  const QColor color = colorOf(key);
  QPixmap swatch(28, 14);
  swatch.fill(color);
  button->setIcon(QIcon(swatch));
  button->setIconSize(swatch.size());
  button->setText(color.name(QColor::HexRgb));
  if (key == kTextColor || key == kNowColor)
    updateFontPreview();
}

void PadsPane::chooseDefaultFont() {
  if (!choosers_.font)
    return;
  if (const std::optional<QFont> font =
          choosers_.font(PadTextSettings::defaultFont(controls_.defaults()), window()))
    changeFont(*font);
}

void PadsPane::changeFont(const QFont& font) {
  if (choosers_.setDefaultFont)
    choosers_.setDefaultFont(font);
  else
    PadTextSettings::setDefaultFont(controls_.defaults(), font);
  controls_.defaults().synchronize();
}

void PadsPane::resetFonts() {
  controls_.defaults().remove(kDefaultFont);
  controls_.defaults().synchronize();
}

void PadsPane::chooseColor(const QString& key) {
  if (!choosers_.color || !colorButton(key))
    return;
  const std::optional<QColor> color = choosers_.color(colorOf(key), window());
  if (!color || !color->isValid())
    return;
  controls_.defaults().setValue(key, color->name(QColor::HexRgb));
  controls_.defaults().synchronize();
}

void PadsPane::resetColors() {
  for (const QString& key : kColorKeys)
    controls_.defaults().remove(key);
  controls_.defaults().synchronize();
}

} // namespace kr
