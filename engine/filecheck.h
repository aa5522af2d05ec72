#pragma once

#include <memory>

#include <QString>

class CUploadFile;

// Checks a file the user named before anything is sent: one set of rules and
// words for the firmware image, wherever it is named, and for the plan.
class CFileCheck
{
public:
    // What keeps the file from being read whole, as the end of a sentence
    // ("does not exist"); empty when nothing does.
    static QString Problem(const QString &path, qint64 maxBytes, const QString &tooLarge,
                           bool mayBeEmpty);
    // Reads a firmware image whole, by the same rules (a regular file, not
    // empty, small enough to serve): the copy returned is what its downloads
    // serve, whatever becomes of the file afterwards. Null, with the problem
    // set, when it cannot be served.
    static std::shared_ptr<const CUploadFile> LoadFirmware(const QString &path, QString *problem);
};
