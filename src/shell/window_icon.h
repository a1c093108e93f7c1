#pragma once
// The program's icon: the installed theme's one when present, else the
// picture built into the program.

#include <QIcon>

namespace lumibench {

QIcon ApplicationIcon();

}  // namespace lumibench
