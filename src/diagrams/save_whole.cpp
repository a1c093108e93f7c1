#include "diagrams/save_whole.h"

#include <QBuffer>
#include <QFile>

#include "core/atomic_file.h"

namespace lumibench::diagrams {

// Made in memory, then written by the project's safe writer: a full disk or a
// planted link cannot leave a short or misplaced file (QSaveFile renames even
// when its buffered tail failed to reach the disk).
bool SaveWhole(const QString& path, const std::function<bool(QIODevice&)>& write, QString* why) {
    return SaveWhole(QFile::encodeName(path).toStdString(), write, why);
}

bool SaveWhole(const std::string& target, const std::function<bool(QIODevice&)>& write, QString* why) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!write(buffer)) {
        if (why) *why = QStringLiteral("the content could not be made");
        return false;
    }
    const QByteArray& bytes = buffer.data();
    std::error_code error;
    // A replaced file keeps its permission bits.
    if (WriteFileAtomically(target, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), error,
                            PermissionBitsOf(target))) {
        return true;
    }
    if (why) *why = QString::fromStdString(error.message());
    return false;
}

}  // namespace lumibench::diagrams
