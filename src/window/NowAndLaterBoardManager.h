#pragma once

#include "engine/BackingStoreDescriptor.h"
#include "platform/richtext/RichText.h"

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QString>
#include <QTextBlockFormat>

#include <functional>
#include <memory>

class QTextEdit;

namespace kr {

class NowAndLaterBoardTextView;
class PadViewController;
class UserDefaults;

// Owns the stores of the three note pads ("Pads/Now Pad", "Pads/Later Pad",
// "Pads/Scratch Pad" in the support folder), their shared text settings, the
// pad templates, the pads' show and toggle actions, the breadcrumbs and
// priming templates of the scratch pad and reading the objective aloud.
class NowAndLaterBoardManager {
public:
  // The stores live in `supportFolder` + "/Pads".
  NowAndLaterBoardManager(const QString& supportFolder, UserDefaults& defaults);
  ~NowAndLaterBoardManager();
  NowAndLaterBoardManager(const NowAndLaterBoardManager&) = delete;
  NowAndLaterBoardManager& operator=(const NowAndLaterBoardManager&) = delete;

  // The shared instance over the support folder and the standard settings,
  // made on first use; a newly made manager becomes the shared one.
  static NowAndLaterBoardManager& sharedManager();
  static NowAndLaterBoardManager* current();

  BackingStoreDescriptor& nowStoreDesc() { return *now_; }
  BackingStoreDescriptor& laterStoreDesc() { return *later_; }
  BackingStoreDescriptor& scratchStoreDesc() { return *scratch_; }

  QFont defaultFont() const;
  void setDefaultFont(const QFont& font);
  QColor textColor() const;
  QTextBlockFormat defaultParagraphStyle() const { return defaultParagraphStyle_; }

  static QByteArray loadTemplateDataFromBundle(const QString& name);
  static RichText templateText(const QString& name);

  // The templates of the scratch pad, inserted before its text; the first
  // placeholder is selected and the scratch pad shown.
  void addBreadcrumbsTemplate();
  void addPrimingTemplate();
  // The same from the rating page: a new sheet first when its option
  // ("createNewScratchPadPageForBreadcrumbs", "…ForPriming") is on.
  void addBreadcrumbsTemplateFromState();
  void addPrimingTemplateFromState();
  // A template by its name, without a new sheet.
  void applyPadTemplate(const QString& name);
  void addBreadcrumbsTemplateTo(NowAndLaterBoardTextView* textView);

  static bool selectMarkedText(QTextEdit* textView);
  static bool selectMarkedText(QTextEdit* textView, int location, bool forwards);

  // Speaks the current objective through the speaker the shell installs.
  void readObjectiveAloud();
  void setSpeaker(std::function<void(const QString&)> speaker) { speaker_ = std::move(speaker); }
  bool canReadObjectiveAloud() const { return static_cast<bool>(speaker_); }

  void toggleNowPad();
  void toggleLaterPad();
  void toggleScratchPad();
  void showNowPad();
  void showLaterPad();
  void showScratchPad();

  // The pad controllers showing each store (set by the main window).
  void setPadControllers(PadViewController* now, PadViewController* later,
                         PadViewController* scratch);
  PadViewController* nowPadController() const { return nowController_; }
  PadViewController* laterPadController() const { return laterController_; }
  PadViewController* scratchPadController() const { return scratchController_; }

private:
  void templateFlow(const QString& name, bool newSheetFirst);
  void toggle(const QString& key, PadViewController* controller);
  void show(const QString& key, PadViewController* controller);

  UserDefaults& defaults_;
  std::unique_ptr<BackingStoreDescriptor> now_;
  std::unique_ptr<BackingStoreDescriptor> later_;
  std::unique_ptr<BackingStoreDescriptor> scratch_;
  QTextBlockFormat defaultParagraphStyle_;
  std::function<void(const QString&)> speaker_;
  PadViewController* nowController_ = nullptr;
  PadViewController* laterController_ = nullptr;
  PadViewController* scratchController_ = nullptr;
};

} // namespace kr
