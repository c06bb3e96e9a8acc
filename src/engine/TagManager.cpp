#include "engine/TagManager.h"

#include "engine/TagTokenFieldAPI.h"
#include "platform/FatalError.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>
#include <memory>

namespace kr {

namespace {

void assertGuiThread() {
  const QCoreApplication* app = QCoreApplication::instance();
  KR_ASSERT(!app || QThread::currentThread() == app->thread(),
            QStringLiteral("TagManager used outside the GUI thread"));
}

TagManager*& liveInstance() {
  static TagManager* instance = nullptr;
  return instance;
}

} // namespace

TagTokenFieldAPI::~TagTokenFieldAPI() {
  if (TagManager* manager = liveInstance())
    manager->unregisterTokenField(this);
}

TagManager& TagManager::sharedInstance() {
  static const std::unique_ptr<TagManager> instance = [] {
    auto manager = std::make_unique<TagManager>();
    liveInstance() = manager.get();
    return manager;
  }();
  return *instance;
}

TagManager::TagManager() { collator_.setCaseSensitivity(Qt::CaseInsensitive); }

TagManager::~TagManager() {
  if (liveInstance() == this)
    liveInstance() = nullptr;
}

void TagManager::addTagsFromString(const QString& text) {
  assertGuiThread();
  bool added = false;
  for (const QString& piece : text.split(u',')) {
    if (piece.isEmpty() || known_.contains(piece))
      continue;
    allTags_.append(piece);
    known_.insert(piece);
    added = true;
  }
  if (!added)
    return;
  sortTags();
  // The fields get the list once, sorted, rather than an unsorted list per new tag.
  const auto fields = allTagSourceTokenFields_;
  for (TagTokenFieldAPI* field : fields) {
    if (std::find(allTagSourceTokenFields_.begin(), allTagSourceTokenFields_.end(), field) !=
        allTagSourceTokenFields_.end())
      field->updateWithTagList(allTags_);
  }
}

QStringList TagManager::completionListStartingWith(const QString& text) const {
  QStringList result;
  for (const QString& tag : allTags_) {
    if (tag.startsWith(text, Qt::CaseInsensitive))
      result.append(tag);
  }
  return result;
}

QStringList TagManager::tokenFieldCompletionsForSubstring(const QString& substring) const {
  return sharedInstance().completionListStartingWith(substring);
}

void TagManager::registerTokenField(TagTokenFieldAPI* field) {
  assertGuiThread();
  allTagSourceTokenFields_.push_back(field);
}

void TagManager::unregisterTokenField(TagTokenFieldAPI* field) {
  std::erase(allTagSourceTokenFields_, field);
}

void TagManager::setAllTags(const QStringList& tags) {
  assertGuiThread();
  allTags_ = tags;
  known_ = QSet<QString>(tags.begin(), tags.end());
}

void TagManager::sortTags() {
  std::stable_sort(allTags_.begin(), allTags_.end(), [this](const QString& a, const QString& b) {
    return collator_.compare(a, b) < 0;
  });
}

} // namespace kr
