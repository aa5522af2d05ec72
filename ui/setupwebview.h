// CSetupWebView: the page that shows another model's own web page.
#pragma once

#include <QString>
#include <QWidget>

#include "explorer1.h"

class CSetupManager;

// The page shown for players of every class but 2: the web page the player
// serves, in an embedded browser that fills the page.
class CSetupWebView : public QWidget
{
    Q_OBJECT

public:
    static constexpr int IDD = 131;
    static constexpr int IDC_EXPLORER = 1044;

    explicit CSetupWebView(const CSetupManager &manager, QWidget *parent = nullptr);

    // Opens the selected player's page, even when it is the one shown.
    void NavigateToDevice();
    CExplorer1 &Explorer() { return m_explorer; }
    QString CurrentAddress() const { return m_strAddress; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    CExplorer1 m_explorer;
    QString m_strAddress;
    const CSetupManager &m_manager;
};
