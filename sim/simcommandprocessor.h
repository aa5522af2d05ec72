#pragma once

#include <QByteArray>
#include <QString>

#include "simcommandoutcome.h"
#include "simdelivery.h"

class CSimRegistry;

// Answers one complete (or failed) request for one player: parses the XML,
// runs the command on the shared state, applies the faults that hit it and
// says what to send.
class CSimCommandProcessor
{
public:
    struct CResult
    {
        CSimCommandOutcome m_outcome;
        CSimDelivery m_delivery;
    };

    CSimCommandProcessor(CSimRegistry &registry, QString address)
        : m_registry(registry), m_strAddress(std::move(address))
    {}

    // body is empty for a request that could not be read; that is answered
    // with errcode "0".
    CResult Process(const QByteArray &body, bool readOk);

private:
    CSimRegistry &m_registry;
    QString m_strAddress;
};
