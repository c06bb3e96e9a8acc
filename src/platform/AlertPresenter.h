#pragma once

#include <QString>
#include <QStringList>

namespace kr {

// Runs modal alerts. The application installs the one on message boxes;
// tests install one that answers.
class AlertPresenter {
public:
  enum class Style { warning, informational, critical };
  struct Alert {
    Style style = Style::warning;
    QString messageText;
    QString informativeText;
    // First button first; the first is the default one.
    QStringList buttons;
  };

  virtual ~AlertPresenter() = default;
  // The index of the button the user chose, or -1 when the alert was dismissed
  // without a choice.
  virtual int runModal(const Alert& alert) = 0;
};

} // namespace kr
