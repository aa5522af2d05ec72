#include "modaldialog.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPushButton>

#include "busyrunner.h"
#include "messagebox.h"
#include "setupmanager.h"

CModalDialog::CModalDialog(int templateId, QWidget *parent) : QDialog(parent)
{
    CTemplateBuilder::Build(templateId, this);
    ConnectButton(IDOK, &CModalDialog::OnOK);
    ConnectButton(IDCANCEL, &CModalDialog::OnCancel);
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
    // A focused button took Enter itself; here no button has the focus.
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

int CModalDialog::RunCommand(const std::function<int(CSetupManager &)> &operation)
{
    CSetupManager *manager = g_pSetupManager;
    if (!manager)
        return 0;
    return CBusyRunner::Run([manager, &operation] { return operation(*manager); });
}

void CModalDialog::ShowCommandError()
{
    CMessageBox::Show(g_pSetupManager ? g_pSetupManager->GetCommandErrorText() : QString());
}

void CModalDialog::ConnectClicked(int id, const std::function<void()> &handler)
{
    if (auto *button = Control<QPushButton>(id))
        connect(button, &QPushButton::clicked, this, handler);
}
