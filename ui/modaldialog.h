#pragma once

#include <functional>

#include <QDialog>
#include <QString>

#include "templatebuilder.h"

class CSetupManager;
class QCloseEvent;
class QKeyEvent;

// A dialog built from its template, run modally, that tells its caller what
// happened through a small result: IDOK, IDCANCEL or one of its own.
//
// Set-up runs once, just before the dialog first shows, so a dialog that asks
// a player for its data appears already holding the answer. Enter presses the
// button that has the focus, otherwise it is the confirm command (unless the
// template's IDOK button is disabled); Escape is the cancel command, and so is
// the close box while the template's IDCANCEL button is enabled.
class CModalDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int IDOK = 1;
    static constexpr int IDCANCEL = 2;

    CModalDialog(int templateId, QWidget *parent);
    // A dialog that acts on the selected player through manager.
    CModalDialog(int templateId, CSetupManager &manager, QWidget *parent);

    void setVisible(bool visible) override;
    // Escape, the close box and QDialog's own callers all go through these.
    void accept() override { OnOK(); }
    void reject() override { OnCancel(); }

protected:
    virtual void OnInitDialog() {}
    virtual void OnOK() { done(IDOK); }
    virtual void OnCancel() { done(IDCANCEL); }

    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

    template <typename T> T *Control(int id) const
    {
        return CTemplateBuilder::Control<T>(this, id);
    }
    template <typename D> void ConnectButton(int id, void (D::*handler)())
    {
        ConnectClicked(id, [this, handler] { (static_cast<D *>(this)->*handler)(); });
    }
    void ShowControl(int id, bool show) const;
    void EnableControl(int id, bool enable) const;

    // Runs one operation of the manager while the windows keep painting;
    // 0 when the dialog was given no manager.
    int RunCommand(const std::function<int(CSetupManager &)> &operation) const;
    // The failure of the last operation in an OK box; whatFailed names the
    // action when the manager has no text for it.
    void ShowCommandError(const QString &whatFailed) const;
    // Null for a dialog that was given no manager.
    CSetupManager *Manager() const { return m_pManager; }

private:
    void ConnectClicked(int id, const std::function<void()> &handler);

    CSetupManager *m_pManager = nullptr;
    bool m_bInitialised = false;
};
