#include "ui/text_file.hpp"

#include <cerrno>

#include <QFileInfo>
#include <QSaveFile>

#include "platform/failure.hpp"

namespace ui {

void SaveTextFile(const std::string& path, const std::string& contents)
{
    const QString name = QString::fromStdString(path);
    if (QFileInfo(name).isDir())
        throw platform::file_failure(EISDIR);

    QSaveFile file(name);
    // In a folder the user may not create files in, an existing file that may be written is
    // still replaced in place rather than refused.
    file.setDirectWriteFallback(true);
    // Qt reports the failure of its last system call through errno; one found by Qt's own
    // checks leaves it at 0.
    errno = 0;
    // Unbuffered, so that a failed write is seen at once, with its errno, rather than in a
    // later flush.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw platform::file_failure(errno);
    errno = 0;
    if (file.write(contents.data(), static_cast<qint64>(contents.size()))
        != static_cast<qint64>(contents.size()))
        throw platform::file_failure(errno);
    errno = 0;
    if (!file.commit())
        throw platform::file_failure(errno);
}

}  // namespace ui
