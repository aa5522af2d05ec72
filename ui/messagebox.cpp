#include "messagebox.h"

#include <QApplication>
#include <QFileInfo>

QMessageBox::StandardButton CMessageBox::Show(const QString &text, EButtons buttons,
                                              std::optional<QMessageBox::Icon> icon)
{
    SRequest request;
    request.m_strCaption = Caption();
    request.m_strText = text;
    request.m_buttons = buttons;
    request.m_icon =
        icon.value_or(buttons == EButtons::Ok ? QMessageBox::Warning : QMessageBox::Question);
    if (const Interceptor &interceptor = CurrentInterceptor())
        return interceptor(request);

    QWidget *parent = QApplication::activeModalWidget();
    if (!parent)
        parent = QApplication::activeWindow();
    const QMessageBox::StandardButtons standardButtons =
        buttons == EButtons::Ok ? QMessageBox::Ok : (QMessageBox::Yes | QMessageBox::No);
    QMessageBox box(request.m_icon, request.m_strCaption, request.m_strText, standardButtons,
                    parent);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void CMessageBox::SetInterceptor(Interceptor interceptor)
{
    CurrentInterceptor() = std::move(interceptor);
}

QString CMessageBox::Caption()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

CMessageBox::Interceptor &CMessageBox::CurrentInterceptor()
{
    static Interceptor interceptor;
    return interceptor;
}
