// The alert's suppression check box and its Escape button, on the message box
// and on the test presenter.
#include "platform/services/QMessageBoxAlertPresenter.h"
#include "platform/services/TestAlertPresenter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using namespace kr;

namespace {

// Runs `act` on the first message box that shows, then stops.
class OnBox {
public:
  explicit OnBox(std::function<void(QMessageBox&)> act) : act_(std::move(act)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box || !box->isVisible())
        return;
      timer_.stop();
      QTimer::singleShot(0, box, [this, box] { act_(*box); });
    });
    timer_.start(0);
  }

private:
  std::function<void(QMessageBox&)> act_;
  QTimer timer_;
};

Alert offer() {
  Alert alert{QStringLiteral("Join?"), {}, {QStringLiteral("Join"), QStringLiteral("Not Now")}};
  alert.showsSuppressionButton = true;
  alert.escapeButton = 1;
  return alert;
}

TEST(AlertSuppression, EscapePressesTheEscapeButtonAndTheTickComesBack) {
  QMessageBoxAlertPresenter presenter;
  QString checkBoxTitle;
  OnBox escape([&](QMessageBox& box) {
    ASSERT_NE(box.checkBox(), nullptr);
    checkBoxTitle = box.checkBox()->text();
    EXPECT_FALSE(box.checkBox()->isChecked());
    box.checkBox()->setChecked(true);
    QTest::keyClick(&box, Qt::Key_Escape);
  });
  const AlertAnswer answer = presenter.respond(offer());
  EXPECT_EQ(answer.button, 1) << "Escape answers the second button";
  EXPECT_TRUE(answer.suppressed);
  EXPECT_EQ(checkBoxTitle, QStringLiteral("Do not show this message again"));
}

TEST(AlertSuppression, AnUntickedBoxAndTheDefaultButtonOnReturn) {
  QMessageBoxAlertPresenter presenter;
  OnBox enter([](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Return); });
  const AlertAnswer answer = presenter.respond(offer());
  EXPECT_EQ(answer.button, 0);
  EXPECT_FALSE(answer.suppressed);
}

TEST(AlertSuppression, WithoutTheBoxNothingIsSuppressed) {
  QMessageBoxAlertPresenter presenter;
  Alert plain{
      QStringLiteral("Plain"), {}, {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}};
  bool hadCheckBox = true;
  OnBox pressC([&](QMessageBox& box) {
    hadCheckBox = box.checkBox() != nullptr;
    for (QAbstractButton* button : box.buttons()) {
      if (button->text() == QStringLiteral("C"))
        button->click();
    }
  });
  const AlertAnswer answer = presenter.respond(plain);
  EXPECT_FALSE(hadCheckBox);
  EXPECT_FALSE(answer.suppressed);
  EXPECT_EQ(answer.button, 2);
}

TEST(AlertSuppression, TheTestPresenterTicksOnlyAShownBoxAndPressesEscape) {
  TestAlertPresenter presenter;
  presenter.tickSuppression = true;
  presenter.answers = {TestAlertPresenter::pressEscape, 0};
  const AlertAnswer escaped = presenter.respond(offer());
  EXPECT_EQ(escaped.button, 1);
  EXPECT_TRUE(escaped.suppressed);
  const AlertAnswer plain = presenter.respond(Alert{QStringLiteral("Plain"), {}, {}});
  EXPECT_EQ(plain.button, 0);
  EXPECT_FALSE(plain.suppressed) << "no box, no tick";
  presenter.answers = {TestAlertPresenter::pressEscape};
  EXPECT_EQ(presenter.runModal(Alert{QStringLiteral("Plain"), {}, {}}), -1);
}

} // namespace
