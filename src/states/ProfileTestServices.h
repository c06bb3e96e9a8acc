#pragma once

#include <QString>

#include <functional>

namespace kr {

// What the profile page's "Test" buttons play: a visual notification, a
// sound, a spoken sentence, the continuous sound's preview. The shell fills
// the functions at start-up; one that is not filled does nothing.
struct ProfileTestServices {
  std::function<void(const QString& title, const QString& description)> showNotification;
  std::function<void(const QString& privateName, double volume)> playSound;
  std::function<void(const QString& text)> speak;
  std::function<void()> playContinuousSoundSample;

  static ProfileTestServices& shared();
};

} // namespace kr
