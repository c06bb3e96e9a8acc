#include "olderviews/OlderViewRegistry.h"

#include "olderviews/BreakDurationBottomView.h"
#include "olderviews/CustomBackgroundView.h"
#include "olderviews/GroupTableCell.h"
#include "olderviews/OldDurationView.h"
#include "olderviews/TimeControlBottomView.h"
#include "olderviews/WheelButton.h"
#include "olderviews/WheelButtonCell.h"

#include <functional>

namespace kr {

namespace {

template <typename View> View* awoken(View* view) {
  view->awakeFromNib();
  return view;
}

} // namespace

struct OlderViewRegistry::Entry {
  QString className;
  std::function<QObject*(QWidget* parent)> make;
};

const std::vector<OlderViewRegistry::Entry>& OlderViewRegistry::entries() {
  static const std::vector<Entry> table{
      {QStringLiteral("TimeControlBottomView"),
       [](QWidget* p) { return awoken(new TimeControlBottomView(p)); }},
      {QStringLiteral("BreakDurationBottomView"),
       [](QWidget* p) { return awoken(new BreakDurationBottomView(p)); }},
      {QStringLiteral("OldDurationView"), [](QWidget* p) { return new OldDurationView(p); }},
      {QStringLiteral("GroupTableCell"), [](QWidget* p) { return new GroupTableCell(p); }},
      {QStringLiteral("WheelButton"),
       [](QWidget* p) {
         auto* button = new WheelButton(p);
         // The button's cell, as the interface file names it.
         button->setCell(
             qobject_cast<WheelButtonCell*>(create(QStringLiteral("WheelButtonCell"), button)));
         return awoken(button);
       }},
      {QStringLiteral("WheelButtonCell"), [](QWidget* p) { return new WheelButtonCell(p); }},
      {QStringLiteral("CustomBackgroundView"),
       [](QWidget* p) { return new CustomBackgroundView(p); }},
  };
  return table;
}

QObject* OlderViewRegistry::create(const QString& className, QWidget* parent) {
  for (const Entry& entry : entries()) {
    if (entry.className == className)
      return entry.make(parent);
  }
  return nullptr;
}

QStringList OlderViewRegistry::classNames() {
  QStringList names;
  for (const Entry& entry : entries())
    names << entry.className;
  return names;
}

} // namespace kr
