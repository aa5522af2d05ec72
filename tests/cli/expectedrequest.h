#pragma once

#include <QByteArray>
#include <QString>

// The bytes a player must receive for one command, written out from the wire
// format independently of the tool's own framing code.
QByteArray ExpectedRequest(const QString &operation, const QString &body = {});
