#pragma once

#include <QObject>
#include <QString>
#include <QTemporaryDir>

#include "firmwareimage.h"
#include "updatelistener.h"

// What every firmware suite shares around its cases: a temporary folder for
// its images, checked before anything runs, and after each case no upload
// left running. A suite derives from it, writes what it needs once in
// PrepareSuite() and keeps its cases as its own private slots.
class CFirmwareSuite : public QObject
{
    Q_OBJECT

public:
    // Tens of MiB over loopback on a loaded machine; only reached when
    // something is broken.
    static constexpr int TRANSFER_WAIT_MS = 30000;

protected:
    // Runs once, after the folder has been checked; a failed check in it
    // ends the suite before the first case.
    virtual void PrepareSuite() {}
    // Writes an image into the folder; true when every byte was written.
    bool WriteImage(CFirmwareImage &image, const QString &name, qint64 size, quint32 seed = 1);
    // What a listener serves once strPath is chosen: its bytes, read now
    // (none when it cannot be read).
    static CUpdateListener::ImageSource Serving(const QString &strPath);

    QTemporaryDir m_dir;

private slots:
    void initTestCase();
    void cleanup();
};
