// COverviewController: the overview of every player and the players seen before.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include "overviewmodel.h"
#include "overviewreader.h"
#include "seenplayers.h"

class CSetupManager;
class COverviewPage;
class QGridLayout;
class QTimer;

// Keeps the overview's rows in step with the manager's players: each search
// starts a new generation, announced players become rows (and are
// remembered), the players this tool configures are read in the background,
// and what is remembered is written a moment after the last change. The
// window decides when the page shows and what choosing a row does.
class COverviewController : public QObject
{
    Q_OBJECT

public:
    // What is remembered between runs is written this long after the last
    // change, so a search that hears hundreds of players writes once.
    static constexpr int SEEN_SAVE_DELAY_MS = 1000;

    explicit COverviewController(CSetupManager &manager, QObject *parent = nullptr);

    // The page goes into stack, on top of the pages already there; its column
    // widths and sort order are kept under settingsGroup.
    void CreatePage(QGridLayout *stack, const QString &settingsGroup);
    void SaveHeaderState() const;
    // What still waits for the save timer is written now.
    void SaveSeenPlayersNow();

    COverviewPage &Page() { return *m_pPage; }
    COverviewModel &Model() { return m_model; }
    CSeenPlayers &SeenPlayers() { return m_seenPlayers; }

    // The players seen on earlier runs become rows.
    void LoadSeenPlayers();
    void BeginSearch();
    void EndSearch();
    // Takes the manager's players now.
    void Update();
    // Takes them once the announcements queued with this one are in.
    void ScheduleUpdate();
    // Enter on the page's table chooses its current row; true when taken.
    bool TakesEnter(QObject *watched);

private:
    void SizeColumns();
    void OnRead(int generation, const QString &key, const CPlayerResult &result);
    void OnForget(const QStringList &keys);
    void SaveSeenPlayersSoon();

    CSetupManager &m_manager;
    COverviewModel m_model;
    COverviewReader m_reader;
    CSeenPlayers m_seenPlayers;
    COverviewPage *m_pPage = nullptr;
    QTimer *m_pSeenSave;
    QString m_strSettingsGroup;
    bool m_bUpdatePending = false;
};
