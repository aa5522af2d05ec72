#include "modaldialog.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPushButton>

#include "busyrunner.h"
#include "commanderror.h"
#include "messagebox.h"
#include "setupmanager.h"

CModalDialog::CModalDialog(int templateId, QWidget *parent) : QDialog(parent)
{
    CTemplateBuilder::Build(templateId, this);
    // Only the template's default button is framed as the one Enter presses;
    // left alone, Qt frames the first button of a dialog that has none.
    for (QPushButton *button : findChildren<QPushButton *>())
        button->setAutoDefault(button->isDefault());
    ConnectButton(IDOK, &CModalDialog::OnOK);
    ConnectButton(IDCANCEL, &CModalDialog::OnCancel);
}

CModalDialog::CModalDialog(int templateId, CSetupManager &manager, QWidget *parent)
    : CModalDialog(templateId, parent)
{
    m_pManager = &manager;
}

void CModalDialog::setVisible(bool visible)
{
    if (visible && !m_bInitialised) {
        m_bInitialised = true;
        OnInitDialog();
    }
    QDialog::setVisible(visible);
}

void CModalDialog::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if (event->modifiers() != Qt::NoModifier && event->modifiers() != Qt::KeypadModifier) {
        QDialog::keyPressEvent(event);
        return;
    }
    if (key == Qt::Key_Escape) {
        OnCancel();
        return;
    }
    if (key != Qt::Key_Return && key != Qt::Key_Enter) {
        QDialog::keyPressEvent(event);
        return;
    }
    // Buttons that are not the default leave Enter to the dialog; one with
    // the focus is still pressed by it.
    if (auto *focused = qobject_cast<QPushButton *>(focusWidget());
        focused && focused->hasFocus() && focused->isEnabled()) {
        focused->click();
        return;
    }
    const auto *confirm = Control<QPushButton>(IDOK);
    if (!confirm || confirm->isEnabled())
        OnOK();
}

void CModalDialog::closeEvent(QCloseEvent *event)
{
    const auto *cancel = Control<QPushButton>(IDCANCEL);
    if (!isVisible() || (cancel && !cancel->isEnabled())) {
        event->ignore();
        return;
    }
    OnCancel();
    // A dialog that chose to stay open keeps its window.
    if (isVisible())
        event->ignore();
}

void CModalDialog::ShowControl(int id, bool show) const
{
    if (auto *control = Control<QWidget>(id))
        control->setVisible(show);
}

void CModalDialog::EnableControl(int id, bool enable) const
{
    if (auto *control = Control<QWidget>(id))
        control->setEnabled(enable);
}

int CModalDialog::RunCommand(const std::function<int(CSetupManager &)> &operation) const
{
    CSetupManager *manager = m_pManager;
    if (!manager)
        return 0;
    return CBusyRunner::Run([manager, &operation] { return operation(*manager); });
}

void CModalDialog::ShowCommandError(const QString &whatFailed) const
{
    CCommandError::Show(m_pManager, whatFailed);
}

void CModalDialog::ConnectClicked(int id, const std::function<void()> &handler)
{
    if (auto *button = Control<QPushButton>(id))
        connect(button, &QPushButton::clicked, this, handler);
}
