#include "shell/window_icon.h"

namespace lumibench {

QIcon ApplicationIcon() {
    return QIcon::fromTheme(QStringLiteral("lumibench"),
                            QIcon(QStringLiteral(":/icons/hicolor/scalable/apps/lumibench.svg")));
}

}  // namespace lumibench
