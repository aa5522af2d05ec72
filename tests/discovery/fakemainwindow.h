#pragma once

#include <QObject>

// Counts the device-list notices posted to the front end.
class CFakeMainWindow : public QObject
{
    Q_OBJECT

public:
    int ListChanges() const { return m_nListChanges; }

    bool event(QEvent *event) override;

private:
    int m_nListChanges = 0;
};
