#pragma once

#include <QIcon>

namespace tav {

// The toolbar's pictures, drawn by the program: one small, plain picture per command of
// the toolbar (an empty picture for any other command).
QIcon ToolBarIcon(int command);

} // namespace tav
