// CSearchStatus: what the main window's status line says about its searches.
#pragma once

#include <QString>

class CSetupManager;
class CStatusLine;

// Names what a search sweeps: the adapter and its network, or the range the
// user gave, which stays named until a refresh or another adapter replaces
// it. The line itself keeps no state of the search.
class CSearchStatus
{
public:
    explicit CSearchStatus(const CSetupManager &manager) : m_manager(manager) {}

    void SetLine(CStatusLine *line) { m_pLine = line; }
    // The range being searched; empty when none is.
    void SetRange(const QString &range) { m_strRange = range; }
    void ClearRange() { m_strRange.clear(); }

    void ShowStarted();
    // found: the players on the list now.
    void ShowEnded(int found);
    // After the list changed outside a search.
    void ShowCount(int found, bool searching);

private:
    // The adapter and the network a refresh sweeps, as the line names them.
    QString Adapter() const;
    QString Subnet() const;

    const CSetupManager &m_manager;
    CStatusLine *m_pLine = nullptr;
    QString m_strRange;
};
