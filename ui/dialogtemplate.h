#pragma once

#include <optional>

#include <QByteArray>
#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

#include "controltemplate.h"

// A window described as data: caption, client size in dialog units, font and
// controls. The templates live in the resources as :/templates/<id>.json.
class CDialogTemplate
{
public:
    // Dialog units are defined against the template's font; these stand in
    // when a template names none.
    static constexpr int DEFAULT_POINT_SIZE = 8;
    static constexpr int DEFAULT_WEIGHT = 400;
    // A template is a few kilobytes; a larger file is not one of ours.
    static constexpr qsizetype MAX_TEMPLATE_BYTES = 256 * 1024;

    // The template with this resource id; nothing when it is missing or broken.
    static std::optional<CDialogTemplate> Load(int id);
    static std::optional<CDialogTemplate> FromJson(const QByteArray &json,
                                                   QString *error = nullptr);
    static QString ResourcePath(int id);

    bool HasStyle(const QString &style) const { return m_styles.contains(style); }
    // The control with this id, or nullptr.
    const CControlTemplate *Control(int id) const;

    int m_nId = 0;
    QString m_strCaption;
    QSize m_sizeDialogUnits;
    QString m_strFontFace;
    int m_nPointSize = DEFAULT_POINT_SIZE;
    int m_nWeight = DEFAULT_WEIGHT;
    QStringList m_styles; // child, caption, sysmenu, minimizebox, modalframe, appwindow
    QList<CControlTemplate> m_controls;
};
