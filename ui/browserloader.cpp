#include "browserloader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPluginLoader>

#include "browserfactory.h"
#include "renderingchoice.h"

CBrowserFactory *CBrowserLoader::Factory(QString *error)
{
    // Kept for the life of the process: the engine cannot be unloaded.
    static QPluginLoader *loader = nullptr;
    if (loader)
        return qobject_cast<CBrowserFactory *>(loader->instance());

    const QStringList candidates = Candidates();
    for (const QString &path : candidates) {
        if (!QFileInfo(path).isFile())
            continue;
        CRenderingChoice::PrepareForEngine();
        auto *candidate = new QPluginLoader(path);
        if (auto *factory = qobject_cast<CBrowserFactory *>(candidate->instance())) {
            loader = candidate;
            return factory;
        }
        *error = candidate->instance()
                     ? QStringLiteral("%1 is not Kestavon Setup's browser library.").arg(path)
                     : candidate->errorString();
        candidate->unload();
        delete candidate;
        return nullptr;
    }
    *error = QStringLiteral("The browser library was not found (looked for %1).")
                 .arg(candidates.join(QStringLiteral(", ")));
    return nullptr;
}

QStringList CBrowserLoader::Candidates()
{
    if (!LibraryPath().isEmpty())
        return {LibraryPath()};
    const QDir executableDir(QCoreApplication::applicationDirPath());
    const QString file = QStringLiteral(KESTAVON_BROWSER_FILE);
    return {QDir::cleanPath(
                executableDir.filePath(QStringLiteral(KESTAVON_BROWSER_RELATIVE_DIR "/") + file)),
            executableDir.filePath(file)};
}

void CBrowserLoader::SetLibraryPath(const QString &path)
{
    LibraryPath() = path;
}

QString &CBrowserLoader::LibraryPath()
{
    static QString path;
    return path;
}
