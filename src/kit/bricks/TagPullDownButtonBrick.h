#pragma once

#include "engine/LogFileManagerListener.h"
#include "kit/bricks/PullDownButtonBrick.h"

namespace kr {

class LogFileManager;
class TagManager;

// The small add button beside a tag field: its menu lists every known tag,
// and choosing one appends it to the comma-separated tags stored under
// `storageKey`. The menu is rebuilt when the button is made, each time it
// opens and after every reload of the log files.
class TagPullDownButtonBrick : public PullDownButtonBrick, public LogFileManagerListener {
  Q_OBJECT

public:
  // `manager` and `tags` default to the shared instances.
  TagPullDownButtonBrick(const QIcon& image, const QString& storageKey,
                         LogFileManager* manager = nullptr, TagManager* tags = nullptr,
                         QWidget* parent = nullptr);

  QString storageKey() const { return storageKey_; }

  void logFilesWereUpdated() override;
  void updateMenu();
  // Appends `tag` to the stored string (a comma between, none doubled); a key
  // without a text value is left alone.
  static void appendTag(const QString& tag, const QString& storageKey);

private:
  QIcon image_;
  QString storageKey_;
  TagManager* tags_;
};

} // namespace kr
