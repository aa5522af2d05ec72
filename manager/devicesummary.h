// CDeviceSummary: one discovered player: name, model, address, udn, model class.
#pragma once

#include <QString>

// One discovered player as it announced itself.
class CDeviceSummary
{
public:
    CDeviceSummary(QString name, QString model, QString ip, QString udn);
    virtual ~CDeviceSummary() = default;

    // PlayerKinds::DEVICE_PAGE_CLASS for the players this tool configures
    // itself; the other classes are shown through their own web page.
    static qint32 ModelClass(const QString &model);

    QString name;
    QString model;
    QString ip; // the key by which a player is recognised again
    QString udn;
    qint32 modelClass = 3;
};
