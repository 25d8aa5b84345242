#pragma once
#include <QIcon>

namespace vandrel::ui {
// The program's icon (window, tray), drawn so that no image file has to be found at run time.
QIcon appIcon();
}
