#include "overviewmodel.h"

#include <algorithm>

#include <QApplication>
#include <QHostAddress>
#include <QLocale>
#include <QPalette>
#include <QSet>
#include <QTextDocument>

#include "playerkinds.h"
#include "wirevocabulary.h"

namespace {

QString Field(const CPlayerFields &fields, const QString &name)
{
    for (const auto &[field, value] : fields) {
        if (field == name)
            return value.isString() ? value.toString() : QString();
    }
    return {};
}

std::optional<bool> Flag(const CPlayerFields &fields, const QString &name)
{
    for (const auto &[field, value] : fields) {
        if (field == name && value.isBool())
            return value.toBool();
    }
    return std::nullopt;
}

} // namespace

COverviewModel::COverviewModel(QObject *parent) : QAbstractTableModel(parent) {}

int COverviewModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int COverviewModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : COLUMN_COUNT;
}

QVariant COverviewModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case COL_NAME:
        return QStringLiteral("Name");
    case COL_MODEL:
        return QStringLiteral("Model");
    case COL_ADDRESS:
        return QStringLiteral("Address");
    case COL_LANMAC:
        return QStringLiteral("LAN MAC");
    case COL_FIRMWARE:
        return QStringLiteral("Firmware");
    case COL_WIFI:
        return QStringLiteral("Wi-Fi");
    case COL_STATUS:
        return QStringLiteral("Status");
    default:
        return {};
    }
}

QString COverviewModel::StatusText(const SRow &row) const
{
    switch (row.m_state) {
    case EState::Announced:
        // Only the players with a device page are read here; for the others
        // an empty row would look like a failure.
        if (row.m_nModelClass != PlayerKinds::DEVICE_PAGE_CLASS)
            return QStringLiteral("Answering; its settings are on its own web page");
        return QStringLiteral("Answering");
    case EState::Reading:
        return QStringLiteral("Reading…");
    case EState::Read:
        return QStringLiteral("Answering");
    case EState::Failed:
        return QStringLiteral("Reading failed: %1").arg(row.m_strError);
    case EState::NotSeen:
        if (!row.m_player.m_lastSeen.isValid())
            return QStringLiteral("not answering");
        return QStringLiteral("not seen since %1")
            .arg(QLocale().toString(row.m_player.m_lastSeen.toLocalTime(), QLocale::ShortFormat));
    }
    return {};
}

QVariant COverviewModel::Display(const SRow &row, int column) const
{
    switch (column) {
    case COL_NAME:
        return row.m_player.m_strName;
    case COL_MODEL:
        return row.m_player.m_strModel;
    case COL_ADDRESS:
        return row.m_player.m_strIp;
    case COL_LANMAC:
        return row.m_player.m_strLanMac;
    case COL_FIRMWARE:
        return row.m_player.m_strFirmware;
    case COL_WIFI:
        if (!row.m_wifi)
            return QString();
        return *row.m_wifi ? QStringLiteral("on") : QStringLiteral("off");
    case COL_STATUS:
        return StatusText(row);
    default:
        return {};
    }
}

QVariant COverviewModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const SRow &row = m_rows.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return Display(row, index.column());
    case Qt::ToolTipRole:
        // A tip that looks like markup is drawn as markup; what a player
        // announced is shown as written.
        return Qt::convertFromPlainText(Display(row, index.column()).toString());
    case Qt::ForegroundRole:
        // A player not seen in this search is greyed: its values are old.
        if (row.m_state == EState::NotSeen)
            return QApplication::palette().brush(QPalette::Disabled, QPalette::Text);
        return {};
    case SortRole:
        if (index.column() == COL_ADDRESS)
            return QHostAddress(row.m_player.m_strIp).toIPv4Address();
        return Display(row, index.column());
    case FilterRole:
        return row.m_strFilterText;
    case KeyRole:
        return row.m_strKey;
    case AnsweringIpRole:
        return row.m_nGeneration == m_nGeneration ? row.m_player.m_strIp : QString();
    default:
        return {};
    }
}

QString COverviewModel::Key(const CDeviceSummary &device)
{
    return device.udn.isEmpty() ? device.ip : device.udn;
}

int COverviewModel::BeginSearch()
{
    return ++m_nGeneration;
}

void COverviewModel::EndSearch()
{
    for (int i = 0; i < m_rows.size(); ++i) {
        SRow &row = m_rows[i];
        if (row.m_nGeneration == m_nGeneration || row.m_state == EState::NotSeen)
            continue;
        row.m_state = EState::NotSeen;
        RowChanged(i);
    }
}

QList<CDeviceSummary> COverviewModel::Announce(const QList<CDeviceSummary> &devices)
{
    QList<CDeviceSummary> fresh;
    QList<SRow> added;
    QSet<QString> addedKeys;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (const CDeviceSummary &device : devices) {
        const QString key = Key(device);
        const int index = m_rowOfKey.value(key, -1);
        SRow *row = nullptr;
        if (index >= 0) {
            row = &m_rows[index];
            if (row->m_nGeneration == m_nGeneration)
                continue; // already heard in this search
        } else {
            // Two announcements of one key in one list: the first counts.
            if (addedKeys.contains(key))
                continue;
            addedKeys.insert(key);
            added.append(SRow());
            row = &added.last();
            row->m_strKey = key;
        }
        row->m_player.m_strUdn = device.udn;
        row->m_player.m_strName = device.name;
        row->m_player.m_strModel = device.model;
        row->m_player.m_strIp = device.ip;
        row->m_nModelClass = device.modelClass;
        row->m_nGeneration = m_nGeneration;
        row->m_player.m_lastSeen = now;
        row->m_state = EState::Announced;
        row->m_strError.clear();
        fresh.append(device);
        if (index >= 0)
            RowChanged(index);
    }
    if (!added.isEmpty()) {
        const int first = static_cast<int>(m_rows.size());
        beginInsertRows({}, first, first + static_cast<int>(added.size()) - 1);
        for (SRow &row : added) {
            UpdateFilterText(row);
            m_rowOfKey.insert(row.m_strKey, static_cast<int>(m_rows.size()));
            m_rows.append(std::move(row));
        }
        endInsertRows();
    }
    return fresh;
}

void COverviewModel::MarkReading(const QString &key)
{
    const int index = RowOf(key);
    if (index < 0)
        return;
    m_rows[index].m_state = EState::Reading;
    RowChanged(index);
}

void COverviewModel::ApplyRead(int generation, const QString &key, const CPlayerResult &result)
{
    const int index = RowOf(key);
    if (generation != m_nGeneration || index < 0)
        return;
    SRow &row = m_rows[index];
    if (result.m_bOk) {
        using namespace WireVocabulary;
        const QString name = Field(result.m_fields, NAME);
        if (!name.isEmpty())
            row.m_player.m_strName = name;
        row.m_player.m_strLanMac = Field(result.m_fields, LANMAC);
        row.m_player.m_strFirmware = Field(result.m_fields, FIRMVERSION);
        row.m_wifi = Flag(result.m_fields, WIFIONOFF);
        row.m_state = EState::Read;
        row.m_strError.clear();
    } else {
        row.m_state = EState::Failed;
        row.m_strError = result.m_strError;
    }
    RowChanged(index);
}

void COverviewModel::AddRemembered(const QList<CSeenPlayers::SPlayer> &players)
{
    QList<SRow> added;
    for (const CSeenPlayers::SPlayer &player : players) {
        if (player.m_strUdn.isEmpty() || m_rowOfKey.contains(player.m_strUdn))
            continue;
        SRow row;
        row.m_strKey = player.m_strUdn;
        row.m_player = player;
        row.m_state = EState::NotSeen;
        added.append(row);
    }
    if (added.isEmpty())
        return;
    const int first = static_cast<int>(m_rows.size());
    beginInsertRows({}, first, first + static_cast<int>(added.size()) - 1);
    for (SRow &row : added) {
        UpdateFilterText(row);
        m_rowOfKey.insert(row.m_strKey, static_cast<int>(m_rows.size()));
        m_rows.append(std::move(row));
    }
    endInsertRows();
}

void COverviewModel::Remove(const QStringList &keys)
{
    for (const QString &key : keys) {
        const int index = RowOf(key);
        if (index < 0)
            continue;
        beginRemoveRows({}, index, index);
        m_rows.removeAt(index);
        Reindex();
        endRemoveRows();
    }
}

CSeenPlayers::SPlayer COverviewModel::Seen(const QString &key) const
{
    const int index = RowOf(key);
    return index < 0 ? CSeenPlayers::SPlayer{} : m_rows.at(index).m_player;
}

int COverviewModel::ReadsPending() const
{
    return static_cast<int>(std::count_if(m_rows.cbegin(), m_rows.cend(), [](const SRow &row) {
        return row.m_state == EState::Reading;
    }));
}

void COverviewModel::UpdateFilterText(SRow &row) const
{
    QStringList texts;
    for (int column = 0; column < COLUMN_COUNT; ++column)
        texts.append(Display(row, column).toString());
    // A separator no typed text holds, so a match never spans two columns;
    // folded once here rather than on every keystroke.
    row.m_strFilterText = texts.join(QChar(0x1F)).toCaseFolded();
}

void COverviewModel::RowChanged(int row)
{
    UpdateFilterText(m_rows[row]);
    emit dataChanged(index(row, 0), index(row, COLUMN_COUNT - 1));
}

void COverviewModel::Reindex()
{
    m_rowOfKey.clear();
    for (int i = 0; i < m_rows.size(); ++i)
        m_rowOfKey.insert(m_rows.at(i).m_strKey, i);
}
