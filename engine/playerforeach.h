#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <utility>

#include <QHash>
#include <QString>
#include <QStringList>

#include "playerbatch.h"
#include "playertask.h"

class CPlayerSession;

namespace PlayerForEach {

// Values the workers hand back, by player; shared, as a worker given up on
// may still write after the caller has gone on.
template <typename T> class CByPlayer
{
public:
    void Insert(const QString &player, T value)
    {
        const std::lock_guard lock(m_mutex);
        m_values.insert(player, std::move(value));
    }
    QHash<QString, T> Take()
    {
        const std::lock_guard lock(m_mutex);
        return std::exchange(m_values, {});
    }

private:
    std::mutex m_mutex;
    QHash<QString, T> m_values;
};

// Runs work for every player on the batch's workers; a player missing from
// the result was given up on.
template <typename T>
QHash<QString, T> Run(const QStringList &players, int parallel, int exchanges,
                      std::function<T(CPlayerSession &, const QString &)> work)
{
    auto store = std::make_shared<CByPlayer<T>>();
    CPlayerBatch batch(
        [store, work](CPlayerSession &session, const QString &player) {
            store->Insert(player, work(session, player));
            return CPlayerResult::Success(player);
        },
        parallel, CPlayerTask::ExchangesBound(exchanges));
    batch.Run(players);
    return store->Take();
}

} // namespace PlayerForEach
