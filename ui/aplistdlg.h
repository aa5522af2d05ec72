// CAPListDlg: the Wi-Fi network selection dialog (the networks a player sees).
#pragma once

#include "modaldialog.h"

class QTreeWidget;

// The Wi-Fi networks the selected player sees, with its own view of each:
// encryption, quality, whether it is connected and whether it has it saved.
// A click on a row, or "Other Access Point", opens the access point settings;
// the result tells the device page whether the player was reset.
class CAPListDlg : public CModalDialog
{
    Q_OBJECT

public:
    static constexpr int IDD = 132;
    static constexpr int IDC_AP_LIST = 1021;
    static constexpr int IDC_OTHER_AP = 1022;

    // Results.
    static constexpr int RESULT_CHANGED = 1; // connected, or a saved one removed
    static constexpr int RESULT_CLOSED = 2;
    static constexpr int RESULT_RESET = 4; // the connected one removed, player reset

    CAPListDlg(CSetupManager &manager, QWidget *owner);

protected:
    void OnInitDialog() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void InsertColumns();
    void FillRows();
    void OnClickList();
    void OnOtherAccessPoint();

    QTreeWidget *m_pList = nullptr;
    // The second click of a double click opens nothing more.
    bool m_bDoubleClick = false;
};
