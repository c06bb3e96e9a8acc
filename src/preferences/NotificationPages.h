#pragma once

#include <QString>

#include <functional>
#include <vector>

class QWidget;

namespace kr {

class PreferenceControls;

// The settings page of each event of the notification table, in the table's
// order (group rows have none).
std::vector<QWidget*>
makeNotificationPages(PreferenceControls& controls,
                      const std::function<QWidget*(const QString&)>& soundPopUp);

} // namespace kr
