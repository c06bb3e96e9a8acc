#pragma once

#include <QLoggingCategory>

namespace kr {

// Errors and notes of the timer engine and the log store.
Q_DECLARE_LOGGING_CATEGORY(lcEngine)

} // namespace kr
