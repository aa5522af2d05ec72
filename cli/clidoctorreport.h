#pragma once

#include <QJsonArray>
#include <QList>
#include <QString>

#include "doctorfinding.h"

// Doctor's findings for a script (JSON) and for a person (one line each, the
// fix under a problem).
class CCliDoctorReport
{
public:
    static QJsonArray Json(const QList<CDoctorFinding> &findings);
    static QString Text(const QList<CDoctorFinding> &findings);
};
