#include "runtimefolder.h"

#include <cerrno>
#include <cstring>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>

namespace {

QString SystemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Read and search rights for the owner alone.
constexpr mode_t PRIVATE_MODE = S_IRWXU;
// Longer than any account name, as the lookup asks.
constexpr size_t PASSWD_BUFFER = 4096;

} // namespace

QString CRuntimeFolder::PrivateFolder()
{
    return QDir(QDir::tempPath())
        .filePath(QLatin1String(PRIVATE_PREFIX) + QString::number(::geteuid()));
}

QString CRuntimeFolder::UserName(uid_t uid)
{
    passwd entry{};
    passwd *found = nullptr;
    char buffer[PASSWD_BUFFER];
    if (::getpwuid_r(uid, &entry, buffer, sizeof buffer, &found) == 0 && found)
        return QStringLiteral("%1 (uid %2)").arg(QString::fromLocal8Bit(found->pw_name)).arg(uid);
    return QStringLiteral("uid %1").arg(uid);
}

QString CRuntimeFolder::Unfit(const QString &folder)
{
    struct stat info
    {
    };
    // Not followed: a link could lead into a folder another user controls.
    if (::lstat(QFile::encodeName(folder).constData(), &info) != 0)
        return QStringLiteral("it cannot be examined (%1)").arg(SystemError(errno));
    if (S_ISLNK(info.st_mode))
        return QStringLiteral("it is a symbolic link");
    if (!S_ISDIR(info.st_mode))
        return QStringLiteral("it is not a folder");
    if (info.st_uid != ::geteuid())
        return QStringLiteral("it belongs to another user, %1").arg(UserName(info.st_uid));
    if ((info.st_mode & (S_IRWXG | S_IRWXO)) != 0)
        return QStringLiteral("other users have access to it (mode %1)")
            .arg(info.st_mode & 07777, 4, 8, QLatin1Char('0'));
    return {};
}

QString CRuntimeFolder::Find(QString *error)
{
    // After su, or sudo keeping the environment, the variable still names the
    // first user's folder; only a folder of this user's own will do.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && Unfit(runtime).isEmpty())
        return runtime;

    const QString folder = PrivateFolder();
    // Made closed from the start, so there is no moment in which another user
    // could enter it; one that already exists is examined like any other.
    if (::mkdir(QFile::encodeName(folder).constData(), PRIVATE_MODE) != 0 && errno != EEXIST) {
        *error = QStringLiteral("The folder %1 for the single-instance lock cannot be made: %2.")
                     .arg(folder, SystemError(errno));
        return {};
    }
    const QString why = Unfit(folder);
    if (!why.isEmpty()) {
        *error = QStringLiteral("The folder %1 is not used for the single-instance lock: %2.\n"
                                "Remove it, or set XDG_RUNTIME_DIR to a folder of your own.")
                     .arg(folder, why);
        return {};
    }
    return folder;
}
