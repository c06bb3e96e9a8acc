#pragma once

#include "platform/services/DesktopNotifierAPI.h"

#include <vector>

namespace kr {

// Desktop notifications for tests: records deliveries and closings. Replies
// are held until `answerAll()`, so tests choose when the desktop answers.
class TestDesktopNotifier final : public DesktopNotifierAPI {
public:
  void notify(const DesktopNotification& notification, Reply reply) override {
    delivered.push_back(notification);
    pending.push_back(std::move(reply));
    if (answerAtOnce)
      answerAll();
  }
  void close(quint32 id) override { closed.push_back(id); }
  bool isAvailable() const override { return failWith.isEmpty(); }
  QString unavailableReason() const override { return failWith; }

  // Answers every pending delivery: with a new id, or the replaced one.
  void answerAll() {
    auto replies = std::move(pending);
    pending.clear();
    const size_t first = delivered.size() - replies.size();
    for (size_t i = 0; i < replies.size(); ++i) {
      const DesktopNotification& n = delivered[first + i];
      if (failWith.isEmpty())
        replies[i](n.replacesId ? n.replacesId : ++lastId, QString());
      else
        replies[i](0, failWith);
    }
  }

  bool answerAtOnce = true;
  QString failWith;
  quint32 lastId = 0;
  std::vector<DesktopNotification> delivered;
  std::vector<Reply> pending;
  std::vector<quint32> closed;
};

} // namespace kr
