#include "kit/bricks/TagSourceTokenField.h"

#include "engine/TagManager.h"

#include <QPalette>

#include <algorithm>

namespace kr {

TagSourceTokenField::TagSourceTokenField(QWidget* parent)
    : TagSourceTokenField(TagManager::sharedInstance(), parent) {}

TagSourceTokenField::TagSourceTokenField(TagManager& manager, QWidget* parent)
    : TextField(parent), delegate_(&manager) {
  awakeFromNib();
}

TagSourceTokenField::~TagSourceTokenField() { delegate_->unregisterTokenField(this); }

void TagSourceTokenField::awakeFromNib() {
  setReadOnly(true);
  // The light look in every theme: black on white.
  QPalette light = palette();
  for (int group = 0; group < QPalette::NColorGroups; ++group) {
    const auto g = static_cast<QPalette::ColorGroup>(group);
    light.setColor(g, QPalette::Base, Qt::white);
    light.setColor(g, QPalette::Window, QColor(0xec, 0xec, 0xec));
    light.setColor(g, QPalette::Text, Qt::black);
    light.setColor(g, QPalette::WindowText, Qt::black);
  }
  setPalette(light);
  delegate_->registerTokenField(this);
  updateWithTagList(delegate_->allTags());
}

void TagSourceTokenField::updateWithTagList(const QStringList& tags) {
  QStringList sorted = tags;
  std::stable_sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) < 0;
  });
  tokens_ = sorted;
  setText(sorted.join(QStringLiteral(", ")));
  setCursorPosition(0);
}

} // namespace kr
