#pragma once

#include "states/BaseState.h"
#include "states/StateEventPoster.h"
#include "states/StateHost.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <utility>
#include <vector>

namespace kr::test {

struct PostedEvent {
  QString name;
  int value;
  int maxValue;
};

// Records what the states ask of the application; installed while alive.
class RecordingStateHost final : public StateHost, public StateEventPoster {
public:
  RecordingStateHost() {
    StateHost::install(this);
    StateEventPoster::install(this);
  }
  ~RecordingStateHost() override {
    StateHost::install(nullptr);
    StateEventPoster::install(nullptr);
  }
  void activateView(BaseState& state) override { shownStates.push_back(&state); }
  void hide(BaseState& state) override { hiddenBy.push_back(&state); }
  void setStatusItem(const QString& title, int state) override {
    statusTitles.append(title);
    statusState = state;
  }
  void removeAllStatusMenuItems() override {
    ++statusMenuClears;
    statusMenuItems.clear();
  }
  void addStatusMenuItem(const QString& title, std::function<void()> action) override {
    statusMenuItems.push_back({title, std::move(action)});
  }
  void triggerNotificationForEvent(const QString& event, int value, int maxValue) override {
    events.push_back({event, value, maxValue});
  }
  QStringList eventNames() const {
    QStringList names;
    for (const auto& event : events)
      names.append(event.name);
    return names;
  }

  std::vector<BaseState*> shownStates;
  std::vector<BaseState*> hiddenBy;
  QStringList statusTitles;
  int statusState = -1;
  int statusMenuClears = 0;
  std::vector<std::pair<QString, std::function<void()>>> statusMenuItems;
  std::vector<PostedEvent> events;
};

} // namespace kr::test
