#include "platform/QMessageBoxAlertPresenter.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>

#include <vector>

namespace kr {

int QMessageBoxAlertPresenter::runModal(const Alert& alert) {
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
  box.exec();
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    if (box.clickedButton() == buttons[i])
      return static_cast<int>(i);
  }
  return -1;
}

} // namespace kr
