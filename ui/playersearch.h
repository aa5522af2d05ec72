// CPlayerSearch: waits for the players' answers to a sweep without holding the window.
#pragma once

#include <optional>

#include <QObject>

#include "sweeprange.h"

class CSetupManager;
class QTimer;

// The sweep goes out at once and the answers are waited for on a timer, with
// the same waits as the manager's own refresh: polls until the first answer,
// then a little longer for those answering with it. The window stays usable
// meanwhile; what the end means to it is the receiver's business.
class CPlayerSearch : public QObject
{
    Q_OBJECT

public:
    // While an operation runs, the end of a search waits for it: the list is
    // not refilled under a selection.
    static constexpr int BUSY_RETRY_MS = 50;

    explicit CPlayerSearch(CSetupManager &manager, QObject *parent = nullptr);

    // A sweep of range, or of the adapter's /24 when none is given. A search
    // already running is replaced. A sweep that cannot go out ends the search
    // at once, before this returns.
    void Start(const std::optional<CSweepRange> &range = std::nullopt);
    bool IsSearching() const;
    // Tests make the waits this many times shorter.
    void SetSpeedup(int factor);

signals:
    // found: some player answered before the waits ran out.
    void Ended(bool found);

private:
    void OnTick();
    void End(bool found);

    CSetupManager &m_manager;
    QTimer *m_pTimer;
    int m_nPollsLeft = 0;
    bool m_bSettling = false;
    int m_nSpeedup = 1;
};
