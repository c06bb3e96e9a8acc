#pragma once

#include "engine/TagTokenFieldAPI.h"
#include "kit/TextField.h"

#include <QStringList>

namespace kr {

class TagManager;

// A read-only field that lists every known tag, sorted without regard to
// case, on a light background whatever the theme. It registers with the tag
// manager, which hands it the list again whenever new tags appear.
class TagSourceTokenField : public TextField, public TagTokenFieldAPI {
  Q_OBJECT

public:
  explicit TagSourceTokenField(QWidget* parent = nullptr);
  // For a manager other than the shared one, which must outlive the field.
  explicit TagSourceTokenField(TagManager& manager, QWidget* parent = nullptr);
  ~TagSourceTokenField() override;

  TagManager* delegate() const { return delegate_; }
  QStringList tokens() const { return tokens_; }

  void updateWithTagList(const QStringList& tags) override;

private:
  void awakeFromNib();

  TagManager* delegate_;
  QStringList tokens_;
};

} // namespace kr
