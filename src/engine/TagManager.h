#pragma once

#include <QCollator>
#include <QSet>
#include <QStringList>

#include <vector>

namespace kr {

class TagTokenFieldAPI;

// Every tag seen in the log files, sorted (localized, case-insensitive), and
// the completions offered to the tag entry fields. GUI thread only: the log
// reloads hand the tags they read over to it on the GUI thread.
class TagManager {
public:
  static TagManager& sharedInstance();

  TagManager();
  TagManager(const TagManager&) = delete;
  TagManager& operator=(const TagManager&) = delete;
  ~TagManager();

  // Adds each non-empty piece between commas (not trimmed) that is not known
  // yet, re-sorts the list and tells the registered fields.
  void addTagsFromString(const QString& text);
  // The known tags, in list order, that begin with the text (ignoring case).
  QStringList completionListStartingWith(const QString& text) const;
  // What a tag field asks for as it completes the token being typed.
  QStringList tokenFieldCompletionsForSubstring(const QString& substring) const;

  void registerTokenField(TagTokenFieldAPI* field);
  void unregisterTokenField(TagTokenFieldAPI* field);

  const QStringList& allTags() const { return allTags_; }
  void setAllTags(const QStringList& tags);

private:
  void sortTags();

  QStringList allTags_;
  QSet<QString> known_;
  std::vector<TagTokenFieldAPI*> allTagSourceTokenFields_;
  QCollator collator_;
};

} // namespace kr
