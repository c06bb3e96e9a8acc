#include "kit/bricks/TagPullDownButtonBrick.h"

#include "engine/LogFileManager.h"
#include "engine/TagManager.h"
#include "kit/SmartMenuItem.h"
#include "platform/MenuTitle.h"
#include "platform/settings/UserDefaults.h"

#include <QMenu>

namespace kr {

TagPullDownButtonBrick::TagPullDownButtonBrick(const QIcon& image, const QString& storageKey,
                                               LogFileManager* manager, TagManager* tags,
                                               QWidget* parent)
    : PullDownButtonBrick(parent), image_(image), storageKey_(storageKey),
      tags_(tags ? tags : &TagManager::sharedInstance()) {
  updateMenu();
  buttonPressFunction = [this] { updateMenu(); };
  (manager ? manager : &LogFileManager::sharedInstance())->addListener(this);
  setIcon(image_);
  setText(QString());
}

void TagPullDownButtonBrick::logFilesWereUpdated() { updateMenu(); }

void TagPullDownButtonBrick::updateMenu() {
  removeAllItems();
  // A pull-down shows its first item on its face; it is never a choice.
  QAction* face = addItem(QString());
  face->setIcon(image_);
  const QString key = storageKey_;
  for (const QString& tag : tags_->allTags())
    addAction(new SmartMenuItem(menuTitle(tag), [tag, key] { appendTag(tag, key); }));
}

void TagPullDownButtonBrick::appendTag(const QString& tag, const QString& storageKey) {
  UserDefaults& defaults = UserDefaults::standard();
  const QVariant stored = defaults.object(storageKey);
  if (!stored.isValid() || stored.typeId() != QMetaType::QString)
    return;
  const QString text = stored.toString();
  QString appended;
  if (text.isEmpty())
    appended = tag;
  else if (text.endsWith(u','))
    appended = text + tag;
  else
    appended = text + u',' + tag;
  defaults.setValue(storageKey, appended);
}

} // namespace kr
