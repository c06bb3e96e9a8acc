#include "window/NowAndLaterBoardManager.h"

#include "window/PadKeys.h"
#include "window/PadViewController.h"

#include "engine/BackingStoreManager.h"
#include "engine/DataModel.h"
#include "engine/SequenceNumberNamingStrategy.h"
#include "kit/text/NowAndLaterBoardTextView.h"
#include "kit/text/PadTextSettings.h"
#include "platform/QnLog.h"
#include "platform/richtext/RtfReader.h"
#include "platform/settings/UserDefaults.h"

#include <QDir>

namespace kr {

namespace {

NowAndLaterBoardManager* sharedInstance = nullptr;

std::unique_ptr<BackingStoreDescriptor> makeStore(const QString& padsFolder, const QString& root,
                                                  const QString& folder,
                                                  const QString& templateName) {
  auto store = std::make_unique<BackingStoreDescriptor>();
  store->setRoot(root);
  store->setFolderPath(QDir(padsFolder).filePath(folder));
  store->setTemplateName(templateName);
  store->setNamingStrategy(std::make_unique<SequenceNumberNamingStrategy>());
  store->finishInitialization();
  return store;
}

const QString kBreadcrumbs = QStringLiteral("breadcrumbs");
const QString kPriming = QStringLiteral("priming");

} // namespace

NowAndLaterBoardManager::NowAndLaterBoardManager(const QString& supportFolder,
                                                 UserDefaults& defaults)
    : defaults_(defaults) {
  const QString pads = QDir(supportFolder).filePath(QStringLiteral("Pads"));
  now_ =
      makeStore(pads, QStringLiteral("Now Pads"), QStringLiteral("Now Pad"), QStringLiteral("now"));
  later_ = makeStore(pads, QStringLiteral("Later Pads"), QStringLiteral("Later Pad"),
                     QStringLiteral("later"));
  scratch_ = makeStore(pads, QStringLiteral("Scratch Pads"), QStringLiteral("Scratch Pad"),
                       QStringLiteral("scratchpad"));
  sharedInstance = this;
}

NowAndLaterBoardManager::~NowAndLaterBoardManager() {
  if (sharedInstance == this)
    sharedInstance = nullptr;
}

NowAndLaterBoardManager& NowAndLaterBoardManager::sharedManager() {
  if (!sharedInstance) {
    // Lives for the rest of the run, as the pads that use it.
    static std::unique_ptr<NowAndLaterBoardManager> made;
    made = std::make_unique<NowAndLaterBoardManager>(
        BackingStoreManager::sharedManager().applicationSupportDirectory(),
        UserDefaults::standard());
  }
  return *sharedInstance;
}

NowAndLaterBoardManager* NowAndLaterBoardManager::current() { return sharedInstance; }

QFont NowAndLaterBoardManager::defaultFont() const {
  return PadTextSettings::defaultFont(defaults_);
}

void NowAndLaterBoardManager::setDefaultFont(const QFont& font) {
  PadTextSettings::setDefaultFont(defaults_, font);
}

QColor NowAndLaterBoardManager::textColor() const { return PadTextSettings::textColor(defaults_); }

QByteArray NowAndLaterBoardManager::loadTemplateDataFromBundle(const QString& name) {
  return BackingStoreManager::sharedManager().loadTemplateDataFromBundle(name);
}

RichText NowAndLaterBoardManager::templateText(const QString& name) {
  return RtfReader::read(loadTemplateDataFromBundle(name)).text;
}

void NowAndLaterBoardManager::addBreadcrumbsTemplate() { templateFlow(kBreadcrumbs, false); }

void NowAndLaterBoardManager::addPrimingTemplate() { templateFlow(kPriming, false); }

void NowAndLaterBoardManager::addBreadcrumbsTemplateFromState() {
  templateFlow(kBreadcrumbs,
               defaults_.boolValue(QStringLiteral("createNewScratchPadPageForBreadcrumbs")));
}

void NowAndLaterBoardManager::addPrimingTemplateFromState() {
  templateFlow(kPriming, defaults_.boolValue(QStringLiteral("createNewScratchPadPageForPriming")));
}

void NowAndLaterBoardManager::applyPadTemplate(const QString& name) { templateFlow(name, false); }

void NowAndLaterBoardManager::templateFlow(const QString& name, bool newSheetFirst) {
  PadViewController* pad = scratchController_;
  if (!pad || !pad->textView()) {
    qn_log(QStringLiteral("no scratch pad for the template %1").arg(name));
    return;
  }
  if (newSheetFirst && !pad->newSheet())
    return; // the current sheet could not be written: it stays, as does its text
  NowAndLaterBoardTextView* textView = pad->textView();
  if (!textView->isSheetWritable()) {
    platformLog(QStringLiteral("The template %1 was not inserted: the scratch pad's sheet is "
                               "shown read-only")
                    .arg(name));
    showScratchPad();
    return;
  }
  textView->insertAtStart(templateText(name));
  showScratchPad();
  selectMarkedText(textView);
}

void NowAndLaterBoardManager::addBreadcrumbsTemplateTo(NowAndLaterBoardTextView* textView) {
  if (!textView)
    return;
  textView->insertAtStart(templateText(kBreadcrumbs));
  selectMarkedText(textView);
}

bool NowAndLaterBoardManager::selectMarkedText(QTextEdit* textView) {
  return PadTextSettings::selectMarkedText(textView);
}

bool NowAndLaterBoardManager::selectMarkedText(QTextEdit* textView, int location, bool forwards) {
  return PadTextSettings::selectMarkedText(textView, location, forwards);
}

void NowAndLaterBoardManager::readObjectiveAloud() {
  const QString text = DataModel::shared().objectiveData().plainText();
  if (speaker_)
    speaker_(text);
  else
    qn_log(QStringLiteral("no speech to read the objective aloud"));
}

void NowAndLaterBoardManager::setPadControllers(PadViewController* now, PadViewController* later,
                                                PadViewController* scratch) {
  nowController_ = now;
  laterController_ = later;
  scratchController_ = scratch;
}

void NowAndLaterBoardManager::toggle(const QString& key, PadViewController* controller) {
  if (PadKeys::togglePad(defaults_, key) && controller)
    controller->focus();
}

void NowAndLaterBoardManager::show(const QString& key, PadViewController* controller) {
  PadKeys::showPad(defaults_, key);
  if (controller)
    controller->focus();
}

void NowAndLaterBoardManager::toggleNowPad() {
  toggle(QStringLiteral("nowPadHidden"), nowController_);
}
void NowAndLaterBoardManager::toggleLaterPad() {
  toggle(QStringLiteral("laterPadHidden"), laterController_);
}
void NowAndLaterBoardManager::toggleScratchPad() {
  toggle(QStringLiteral("scratchPadHidden"), scratchController_);
}
void NowAndLaterBoardManager::showNowPad() { show(QStringLiteral("nowPadHidden"), nowController_); }
void NowAndLaterBoardManager::showLaterPad() {
  show(QStringLiteral("laterPadHidden"), laterController_);
}
void NowAndLaterBoardManager::showScratchPad() {
  show(QStringLiteral("scratchPadHidden"), scratchController_);
}

} // namespace kr
