// COverviewModel: one row per player, announced, read or remembered.
#pragma once

#include <optional>

#include <QAbstractTableModel>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>

#include "playerresult.h"
#include "devicesummary.h"
#include "seenplayers.h"

// Every player of the site at a glance. A row is keyed by the player's udn
// (its address when it announced none), keeps its place once it has one and
// new players are appended, so the order never changes under the user's eyes
// between searches. Announcements make rows at once; what the reads bring
// fills them in later. Each search is a generation: a read result of an
// earlier one is dropped.
class COverviewModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum EColumn
    {
        COL_NAME,
        COL_MODEL,
        COL_ADDRESS,
        COL_LANMAC,
        COL_FIRMWARE,
        COL_WIFI,
        COL_STATUS,
        COLUMN_COUNT
    };

    enum class EState
    {
        Announced, // answered the search; not read (not a class read here)
        Reading,
        Read,
        Failed,
        NotSeen // remembered from before, silent in this search
    };

    // The row's key (udn or address), for callers that act on rows.
    static constexpr int KeyRole = Qt::UserRole + 1;
    // The address the row's player answered at in this search, or empty.
    static constexpr int AnsweringIpRole = Qt::UserRole + 2;
    // What a column sorts by: addresses by their number, texts as shown.
    static constexpr int SortRole = Qt::UserRole + 3;
    // Every column's text in one, case-folded, for a filter over all columns
    // that looks at each row once per keystroke.
    static constexpr int FilterRole = Qt::UserRole + 4;

    explicit COverviewModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // A new search begins: results of the one before are dropped from now on.
    int BeginSearch();
    int Generation() const { return m_nGeneration; }
    // The search is over: the remembered players that did not answer show
    // as not seen.
    void EndSearch();
    // The players announced so far in this search, in announcement order.
    // Returns those heard for the first time in this search, for reading.
    QList<CDeviceSummary> Announce(const QList<CDeviceSummary> &devices);
    // A player's key: its udn, or its address when it announced none.
    static QString Key(const CDeviceSummary &device);
    void MarkReading(const QString &key);
    // A read of the given search came back; dropped when another began since.
    void ApplyRead(int generation, const QString &key, const CPlayerResult &result);
    // Rows for players seen on earlier runs, shown as not seen until they
    // answer.
    void AddRemembered(const QList<CSeenPlayers::SPlayer> &players);
    void Remove(const QStringList &keys);

    // What a row holds, for the store of players seen.
    CSeenPlayers::SPlayer Seen(const QString &key) const;
    int RowOf(const QString &key) const { return m_rowOfKey.value(key, -1); }
    EState State(int row) const { return m_rows.at(row).m_state; }
    // How many rows wait for their reads.
    int ReadsPending() const;

private:
    struct SRow
    {
        QString m_strKey;
        // What is remembered of it between runs, kept as it is shown.
        CSeenPlayers::SPlayer m_player;
        std::optional<bool> m_wifi;
        EState m_state = EState::Announced;
        QString m_strError;
        // The search in which it last answered; 0 for none of this run.
        int m_nGeneration = 0;
        qint32 m_nModelClass = 0;
        QString m_strFilterText;
    };

    QString StatusText(const SRow &row) const;
    QVariant Display(const SRow &row, int column) const;
    void RowChanged(int row);
    void UpdateFilterText(SRow &row) const;
    void Reindex();

    QList<SRow> m_rows;
    QHash<QString, int> m_rowOfKey;
    int m_nGeneration = 0;
};
