#pragma once

#include <QString>

// Checks a file the user named before anything is sent: one set of rules and
// words for the firmware image, wherever it is named, and for the plan.
class CCliFileCheck
{
public:
    // What keeps the file from being read whole, as the end of a sentence
    // ("does not exist"); empty when nothing does.
    static QString Problem(const QString &path, qint64 maxBytes, const QString &tooLarge,
                           bool mayBeEmpty);
    // The same for a firmware image: not empty, and small enough to serve.
    static QString FirmwareProblem(const QString &path);
};
