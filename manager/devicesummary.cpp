#include "devicesummary.h"

#include <utility>

#include "playerkinds.h"

CDeviceSummary::CDeviceSummary(QString name, QString model, QString ip, QString udn)
    : name(std::move(name)), model(std::move(model)), ip(std::move(ip)), udn(std::move(udn)),
      modelClass(ModelClass(this->model))
{}

qint32 CDeviceSummary::ModelClass(const QString &model)
{
    // The first match wins: "X2100" is a 210 model although it contains 100.
    if (model.contains(QLatin1String("210")))
        return PlayerKinds::DEVICE_PAGE_CLASS;
    if (model.contains(QLatin1String("200")))
        return 1;
    if (model.contains(QLatin1String("100")))
        return 0;
    return 3;
}
