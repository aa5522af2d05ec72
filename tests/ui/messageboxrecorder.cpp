#include "messageboxrecorder.h"

CMessageBoxRecorder::CMessageBoxRecorder(QMessageBox::StandardButton answer)
{
    CMessageBox::SetInterceptor([this, answer](const CMessageBox::SRequest &request) {
        m_requests.append(request);
        return answer;
    });
}

CMessageBoxRecorder::~CMessageBoxRecorder()
{
    CMessageBox::SetInterceptor({});
}

QStringList CMessageBoxRecorder::Texts() const
{
    QStringList texts;
    for (const CMessageBox::SRequest &request : m_requests)
        texts.append(request.m_strText);
    return texts;
}
