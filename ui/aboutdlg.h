// CAboutDlg: the About box.
#pragma once

#include <QDialog>

// The about box: icon, product name and version, and OK.
class CAboutDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr int IDD = 100;

    explicit CAboutDlg(QWidget *parent = nullptr);
};
