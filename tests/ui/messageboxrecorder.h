#pragma once

#include <QList>
#include <QMessageBox>

#include "messagebox.h"

// Answers every message box in place of a person and remembers what each
// would have shown. Real boxes come back when it is destroyed.
class CMessageBoxRecorder
{
public:
    explicit CMessageBoxRecorder(QMessageBox::StandardButton answer = QMessageBox::Ok);
    ~CMessageBoxRecorder();
    CMessageBoxRecorder(const CMessageBoxRecorder &) = delete;
    CMessageBoxRecorder &operator=(const CMessageBoxRecorder &) = delete;

    const QList<CMessageBox::SRequest> &Requests() const { return m_requests; }
    QStringList Texts() const;

private:
    QList<CMessageBox::SRequest> m_requests;
};
