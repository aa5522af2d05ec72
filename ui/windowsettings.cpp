#include "windowsettings.h"

#include <QSettings>
#include <QStandardPaths>

namespace {

const QString &Folder()
{
    static const QString folder = QStringLiteral("kestavon-setup");
    return folder;
}

QString SizeKey(const QString &window)
{
    return window + QStringLiteral("/size");
}

} // namespace

QString CWindowSettings::FilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QLatin1Char('/') + Folder() + QLatin1Char('/') + Folder() + QStringLiteral(".ini");
}

QSize CWindowSettings::LoadSize(const QString &window)
{
    const QSettings settings(FilePath(), QSettings::IniFormat);
    // Whatever the file holds is only a wish: a size that is no size is none.
    const QSize size = settings.value(SizeKey(window)).toSize();
    return size.isValid() && !size.isEmpty() ? size : QSize();
}

void CWindowSettings::SaveSize(const QString &window, const QSize &size)
{
    QSettings settings(FilePath(), QSettings::IniFormat);
    settings.setValue(SizeKey(window), size);
}

QByteArray CWindowSettings::LoadState(const QString &window, const QString &part)
{
    const QSettings settings(FilePath(), QSettings::IniFormat);
    return settings.value(window + QLatin1Char('/') + part).toByteArray();
}

void CWindowSettings::SaveState(const QString &window, const QString &part, const QByteArray &state)
{
    QSettings settings(FilePath(), QSettings::IniFormat);
    settings.setValue(window + QLatin1Char('/') + part, state);
}
