#include "filechooser.h"

#include <QFileDialog>
#include <QFileInfo>

std::optional<CFileChooser::SChoice> CFileChooser::Choose(QWidget *parent)
{
    if (const Interceptor &interceptor = CurrentInterceptor())
        return interceptor();

    QFileDialog chooser(parent);
    chooser.setFileMode(QFileDialog::ExistingFile);
    chooser.setAcceptMode(QFileDialog::AcceptOpen);
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty())
        return std::nullopt;
    const QFileInfo file(chooser.selectedFiles().first());
    return SChoice{file.absolutePath(), file.fileName()};
}

void CFileChooser::SetInterceptor(Interceptor interceptor)
{
    CurrentInterceptor() = std::move(interceptor);
}

CFileChooser::Interceptor &CFileChooser::CurrentInterceptor()
{
    static Interceptor interceptor;
    return interceptor;
}
