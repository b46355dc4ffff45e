#include "common/FileReplace.h"

#include <QSaveFile>

namespace zel {

bool replaceFile(const QString &path, std::initializer_list<QByteArrayView> pieces,
                 QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    // commit() does not notice a failed flush of its own buffer and would rename a cut-off
    // file over the good one, so every write and the final flush are checked first.
    for (QByteArrayView piece : pieces) {
        if (file.write(piece.data(), piece.size()) != piece.size()) {
            *error = file.errorString();
            file.cancelWriting();
            return false;
        }
    }
    if (!file.flush()) {
        *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace zel
