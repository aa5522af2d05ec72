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
