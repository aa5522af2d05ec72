#include "dialogtemplate.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// A rectangle is four numbers: x, y, width, height.
constexpr qsizetype RECT_FIELDS = 4;
// A size is two numbers: width, height.
constexpr qsizetype SIZE_FIELDS = 2;

QStringList ToStringList(const QJsonValue &value)
{
    QStringList list;
    const QJsonArray array = value.toArray();
    for (const QJsonValue &item : array)
        list.append(item.toString());
    return list;
}

bool ReadRect(const QJsonValue &value, QRect &rect)
{
    const QJsonArray array = value.toArray();
    if (array.size() != RECT_FIELDS)
        return false;
    rect = QRect(array[0].toInt(), array[1].toInt(), array[2].toInt(), array[3].toInt());
    return true;
}

bool ReadControl(const QJsonObject &object, CControlTemplate &control)
{
    control.m_nId = object.value(QLatin1String("id")).toInt(CControlTemplate::NO_ID);
    control.m_strKind = object.value(QLatin1String("kind")).toString();
    control.m_strText = object.value(QLatin1String("text")).toString();
    control.m_styles = ToStringList(object.value(QLatin1String("style")));
    control.m_nIcon = object.value(QLatin1String("icon")).toInt();
    return !control.m_strKind.isEmpty() &&
           ReadRect(object.value(QLatin1String("rect")), control.m_rcDialogUnits);
}

bool Fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

bool ReadTemplate(const QJsonObject &root, CDialogTemplate &dialog, QString *error)
{
    dialog.m_nId = root.value(QLatin1String("id")).toInt();
    dialog.m_strCaption = root.value(QLatin1String("caption")).toString();
    dialog.m_styles = ToStringList(root.value(QLatin1String("style")));

    const QJsonArray size = root.value(QLatin1String("size")).toArray();
    if (size.size() != SIZE_FIELDS)
        return Fail(error, QStringLiteral("size needs width and height"));
    dialog.m_sizeDialogUnits = QSize(size[0].toInt(), size[1].toInt());

    const QJsonObject font = root.value(QLatin1String("font")).toObject();
    dialog.m_strFontFace = font.value(QLatin1String("face")).toString();
    dialog.m_nPointSize =
        font.value(QLatin1String("points")).toInt(CDialogTemplate::DEFAULT_POINT_SIZE);
    dialog.m_nWeight = font.value(QLatin1String("weight")).toInt(CDialogTemplate::DEFAULT_WEIGHT);

    const QJsonArray controls = root.value(QLatin1String("controls")).toArray();
    for (const QJsonValue &value : controls) {
        CControlTemplate control;
        if (!ReadControl(value.toObject(), control))
            return Fail(error, QStringLiteral("control %1 needs a kind and a rectangle")
                                   .arg(dialog.m_controls.size()));
        dialog.m_controls.append(control);
    }
    return true;
}

} // namespace

QString CDialogTemplate::ResourcePath(int id)
{
    return QStringLiteral(":/templates/%1.json").arg(id);
}

std::optional<CDialogTemplate> CDialogTemplate::Load(int id)
{
    QFile file(ResourcePath(id));
    if (!file.open(QIODevice::ReadOnly) || file.size() > MAX_TEMPLATE_BYTES)
        return std::nullopt;
    return FromJson(file.readAll());
}

std::optional<CDialogTemplate> CDialogTemplate::FromJson(const QByteArray &json, QString *error)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (!document.isObject()) {
        Fail(error, parseError.errorString());
        return std::nullopt;
    }
    CDialogTemplate dialog;
    if (!ReadTemplate(document.object(), dialog, error))
        return std::nullopt;
    return dialog;
}

const CControlTemplate *CDialogTemplate::Control(int id) const
{
    for (const CControlTemplate &control : m_controls) {
        if (control.m_nId == id)
            return &control;
    }
    return nullptr;
}
