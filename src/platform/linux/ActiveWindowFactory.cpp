#include "platform/linux/ActiveWindowFactory.h"

#include "platform/linux/x11/X11ActiveWindow.h"
#include "platform/services/UnavailableActiveWindow.h"

namespace kr {

std::unique_ptr<ActiveWindowAPI> ActiveWindowFactory::create() {
  QString why;
  if (auto x11 = X11ActiveWindow::create(&why))
    return x11;
  return std::make_unique<UnavailableActiveWindow>(why);
}

} // namespace kr
