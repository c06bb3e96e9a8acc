#include "platform/services/QMessageBoxAlertPresenter.h"

#include "platform/ScreenOverlayWindows.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

#include <memory>
#include <vector>

namespace kr {

namespace {

// The window a question belongs to: the one the user works in as it is
// asked. Never a cover over the screens nor a pop-up: the question then
// belongs to no window.
QWidget* askingWindow() {
  QWidget* active = QApplication::activeWindow();
  if (!active || ScreenOverlayWindows::isCoverWindow(active) || active->windowType() == Qt::Popup)
    return nullptr;
  return active;
}

} // namespace

AlertAnswer QMessageBoxAlertPresenter::respond(const Alert& alert) {
  bool suppressed = false;
  for (;;) {
    bool helpPressed = false;
    const AlertAnswer answer = runOnce(alert, &helpPressed, suppressed);
    if (!helpPressed)
      return answer;
    // The box keeps its tick while the help shows.
    suppressed = answer.suppressed;
    // The help shows beside the alert, which comes back to be answered.
    alert.helpDelegate->alertShowHelp(alert);
  }
}

AlertAnswer QMessageBoxAlertPresenter::runOnce(const Alert& alert, bool* helpPressed,
                                               bool suppressed) const {
  // Modal to the window that asks, and to no other: a rest screen that comes
  // up meanwhile takes clicks and keys over it, and the question waits
  // beneath for its answer. While the program starts, and when no window
  // asks, it blocks nothing else.
  QWidget* owner = startingUp_ && startingUp_() ? nullptr : askingWindow();
  QPointer<QMessageBox> guarded = new QMessageBox(owner);
  QMessageBox& box = *guarded;
  box.setWindowModality(Qt::WindowModal);
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
  if (alert.selectableText) {
    for (QLabel* label : box.findChildren<QLabel*>()) {
      if (!label->text().isEmpty())
        label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    }
  }
  std::vector<QAbstractButton*> buttons;
  const QStringList titles =
      alert.buttons.isEmpty() ? QStringList{QStringLiteral("OK")} : alert.buttons;
  for (qsizetype i = 0; i < titles.size(); ++i) {
    const auto role = i == 0 ? QMessageBox::AcceptRole : QMessageBox::RejectRole;
    buttons.push_back(box.addButton(titles.at(i), role));
  }
  box.setDefaultButton(qobject_cast<QPushButton*>(buttons.front()));
  if (alert.escapeButton >= 0 && std::size_t(alert.escapeButton) < buttons.size())
    box.setEscapeButton(buttons[std::size_t(alert.escapeButton)]);
  QCheckBox* suppression = nullptr;
  if (alert.showsSuppressionButton) {
    suppression = new QCheckBox(Alert::suppressionButtonTitle(), &box);
    suppression->setChecked(suppressed);
    box.setCheckBox(suppression);
  }
  QAbstractButton* help = nullptr;
  if (alert.helpDelegate)
    help = box.addButton(QStringLiteral("Help"), QMessageBox::HelpRole);
  box.exec();
  AlertAnswer answer;
  // The window that asked went (and the question with it): no answer.
  if (!guarded)
    return answer;
  const std::unique_ptr<QMessageBox> owned(guarded.data());
  answer.suppressed = suppression && suppression->isChecked();
  if (help && box.clickedButton() == help) {
    *helpPressed = true;
    return answer;
  }
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    if (box.clickedButton() == buttons[i])
      answer.button = static_cast<int>(i);
  }
  return answer;
}

} // namespace kr
