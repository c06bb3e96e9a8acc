#pragma once

#include <QString>

#include <xcb/xcb.h>

namespace kr {

// The X server connection Qt already holds, or null (with why, where asked)
// when the program does not run on an X11 display: the X11 back ends share
// Qt's connection and never open one of their own.
xcb_connection_t* qtX11Connection(QString* why = nullptr);

} // namespace kr
