#include "credentialsprompt.h"

#include <QInputDialog>
#include <QLineEdit>

#include "messagebox.h"

std::optional<CCredentialsPrompt::SCredentials>
CCredentialsPrompt::Ask(QWidget *parent, const QUrl &url, const QString &realm)
{
    if (const Interceptor &interceptor = CurrentInterceptor())
        return interceptor(url, realm);
    const QString where = QStringLiteral("%1 (%2) asks you to sign in.")
                              .arg(url.host(), realm.isEmpty() ? url.host() : realm);
    bool ok = false;
    SCredentials credentials;
    credentials.m_strUser =
        QInputDialog::getText(parent, CMessageBox::Caption(),
                              where + QStringLiteral("\nUser name:"), QLineEdit::Normal, {}, &ok);
    if (!ok)
        return std::nullopt;
    credentials.m_strPassword =
        QInputDialog::getText(parent, CMessageBox::Caption(), where + QStringLiteral("\nPassword:"),
                              QLineEdit::Password, {}, &ok);
    if (!ok)
        return std::nullopt;
    return credentials;
}

void CCredentialsPrompt::SetInterceptor(Interceptor interceptor)
{
    CurrentInterceptor() = std::move(interceptor);
}

CCredentialsPrompt::Interceptor &CCredentialsPrompt::CurrentInterceptor()
{
    static Interceptor interceptor;
    return interceptor;
}
