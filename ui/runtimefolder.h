// CRuntimeFolder: the folder of this user's alone that holds the single-instance lock and channel.
#pragma once

#include <sys/types.h>

#include <QString>

// Where a copy of the tool keeps the files that tell it whether it is the
// only one: the session's runtime folder when the user has one of their own,
// else a folder of this user's in the temporary folder, made on first use.
// A folder at a predictable name in a shared place could be made in advance
// by another user, who could then take the lock or listen in place of the
// tool; so either folder is used only when it is a real folder (not a
// symbolic link) that belongs to this user and that no one else may enter.
class CRuntimeFolder
{
public:
    // The private folder's name in the temporary folder, before the user id.
    static constexpr const char *PRIVATE_PREFIX = "kestavon-setup-";

    // The folder, or empty with *error saying which folder could not be used
    // and why.
    static QString Find(QString *error);
    // Where the private folder of this user is, whether or not it exists.
    static QString PrivateFolder();
    // Empty when folder is a real folder of the effective user closed to
    // every other one; otherwise why it is not.
    static QString Unfit(const QString &folder);
    // "name (uid N)", or "uid N" for an id without an account.
    static QString UserName(uid_t uid);
};
