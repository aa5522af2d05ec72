#include "explorer1.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPointer>
#include <QVBoxLayout>

#include "browserfactory.h"
#include "browserloader.h"
#include "credentialsprompt.h"
#include "messagebox.h"

namespace {

QLabel *AddLine(QWidget *parent, Qt::Alignment alignment = {})
{
    auto *label = new QLabel(parent);
    label->setWordWrap(true);
    label->setAlignment(alignment);
    label->hide();
    parent->layout()->addWidget(label);
    return label;
}

} // namespace

CExplorer1::CExplorer1(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_pRefusal = AddLine(this, Qt::AlignCenter);
    m_pUnavailable = AddLine(this, Qt::AlignCenter);
    m_pLoadError = AddLine(this);
}

QWidget *CExplorer1::View() const
{
    return m_pBrowser ? m_pBrowser->Widget() : nullptr;
}

void CExplorer1::ShowRefusal(const QString &text)
{
    if (m_pBrowser)
        m_pBrowser->Widget()->hide();
    m_pRefusal->setText(text);
    m_pRefusal->show();
}

bool CExplorer1::CreateView()
{
    QString error;
    CBrowserFactory *factory = CBrowserLoader::Factory(&error);
    if (!factory) {
        m_pUnavailable->setText(
            QStringLiteral("Web pages cannot be shown: the browser could not be loaded.\n%1")
                .arg(error));
        m_pUnavailable->show();
        return false;
    }
    m_pUnavailable->hide();
    // The engine runs without its sandbox when the tool runs as root; the
    // user is told, since pages then run with the tool's own rights.
    if (qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")) {
        m_pSandboxNotice = new QLabel(
            QStringLiteral("The browser runs without its sandbox because this tool runs as "
                           "root."),
            this);
        m_pSandboxNotice->setWordWrap(true);
        layout()->addWidget(m_pSandboxNotice);
    }
    QWidget *owner = window();
    // The browser may report after this page is gone; the guard sees it.
    const QPointer<CExplorer1> self(this);
    m_pBrowser = factory->Create(
        this,
        [owner](const QUrl &url, const QString &realm) {
            return CCredentialsPrompt::Ask(owner, url, realm);
        },
        [self](bool ok, const QUrl &url, const QString &error) {
            if (self)
                self->OnLoaded(ok, url, error);
        },
        [self](const QUrl &url) {
            if (self)
                self->OnLeave(url);
        });
    layout()->addWidget(m_pBrowser->Widget());
    return true;
}

void CExplorer1::OnLoaded(bool ok, const QUrl &url, const QString &error)
{
    if (ok) {
        m_pLoadError->hide();
        return;
    }
    m_pLoadError->setText(
        QStringLiteral("The page at %1 could not be loaded: %2").arg(url.toString(), error));
    m_pLoadError->show();
}

// The browser hands over only links the user clicked; the tool still opens
// nothing but a web address, and nothing the user has not agreed to, since
// the address is the player's choice, not the user's.
void CExplorer1::OnLeave(const QUrl &url)
{
    if (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))
        return;
    // Encoded, so that what the box shows is where the browser would go: no
    // look-alike letters, no text turned around.
    QString shown = url.toString(QUrl::FullyEncoded);
    if (shown.size() > MAX_SHOWN_URL)
        shown = shown.left(MAX_SHOWN_URL) + QStringLiteral("...");
    if (CMessageBox::Show(QStringLiteral("The player's page links to an address elsewhere:\n\n%1"
                                         "\n\nOpen it in your web browser?")
                              .arg(shown),
                          CMessageBox::EButtons::YesNo) == QMessageBox::Yes)
        QDesktopServices::openUrl(url);
}

void CExplorer1::Navigate(const QString &address, const QString &host)
{
    m_pRefusal->hide();
    m_pLoadError->hide();
    m_url = QUrl(address, QUrl::TolerantMode);
    if (!m_pBrowser && !CreateView())
        return;
    m_pBrowser->Widget()->show();
    m_pBrowser->Navigate(m_url, host);
}

bool CExplorer1::Contains(const QObject *object) const
{
    for (; object; object = object->parent()) {
        if (object == this)
            return true;
    }
    return false;
}
