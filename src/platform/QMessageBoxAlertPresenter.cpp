#include "platform/QMessageBoxAlertPresenter.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>

#include <vector>

namespace kr {

int QMessageBoxAlertPresenter::runModal(const Alert& alert) {
  for (;;) {
    bool helpPressed = false;
    const int answer = runOnce(alert, &helpPressed);
    if (!helpPressed)
      return answer;
    // The help shows beside the alert, which comes back to be answered.
    alert.helpDelegate->alertShowHelp(alert);
  }
}

int QMessageBoxAlertPresenter::runOnce(const Alert& alert, bool* helpPressed) {
  QMessageBox box;
  switch (alert.style) {
  case Alert::Style::warning:
    box.setIcon(QMessageBox::Warning);
    break;
  case Alert::Style::informational:
    box.setIcon(QMessageBox::Information);
    break;
  case Alert::Style::critical:
    box.setIcon(QMessageBox::Critical);
    break;
  }
  box.setText(alert.messageText);
  box.setInformativeText(alert.informativeText);
  std::vector<QAbstractButton*> buttons;
  const QStringList titles =
      alert.buttons.isEmpty() ? QStringList{QStringLiteral("OK")} : alert.buttons;
  for (qsizetype i = 0; i < titles.size(); ++i) {
    const auto role = i == 0 ? QMessageBox::AcceptRole : QMessageBox::RejectRole;
    buttons.push_back(box.addButton(titles.at(i), role));
  }
  box.setDefaultButton(qobject_cast<QPushButton*>(buttons.front()));
  QAbstractButton* help = nullptr;
  if (alert.helpDelegate)
    help = box.addButton(QStringLiteral("Help"), QMessageBox::HelpRole);
  box.exec();
  if (help && box.clickedButton() == help) {
    *helpPressed = true;
    return -1;
  }
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    if (box.clickedButton() == buttons[i])
      return static_cast<int>(i);
  }
  return -1;
}

} // namespace kr
