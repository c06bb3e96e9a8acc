#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

namespace kr {

// A page controller that builds its view in code. `build()` creates the view;
// `create` builds the controller and then, unless it was made with a delayed
// build, calls the subclass's `build()` (a constructor cannot reach it).
class NiblessViewController : public QObject {
  Q_OBJECT

public:
  explicit NiblessViewController(bool delayedBuild = false, QObject* parent = nullptr);
  explicit NiblessViewController(std::function<void()> buildFunc, QObject* parent = nullptr);
  ~NiblessViewController() override;

  template <typename Controller, typename... Args>
  static std::unique_ptr<Controller> create(Args&&... args) {
    auto controller = std::make_unique<Controller>(std::forward<Args>(args)...);
    if (!controller->delayedBuild)
      controller->build();
    return controller;
  }

  std::function<void()> buildFunc;
  bool delayedBuild = false;

  // Does nothing here; each page controller creates its view and controls.
  virtual void build();

  QWidget* view() const { return view_; }
  // The controller owns a view that has no parent.
  void setView(QWidget* view);

private:
  QPointer<QWidget> view_;
};

} // namespace kr
