#pragma once

#include <QRect>
#include <QString>
#include <QStringList>

// One control of a dialog template, as the template describes it: where it
// sits in dialog units, what kind of control it is and what it says.
struct CControlTemplate
{
    // Controls a program never refers to carry no id.
    static constexpr int NO_ID = -1;

    int m_nId = NO_ID;
    QString m_strKind; // label, frame, groupbox, button, checkbox, edit, combobox, ...
    QString m_strText;
    QRect m_rcDialogUnits;
    QStringList m_styles; // center, border, etched, default, sorted, auto, ...
    int m_nIcon = 0;      // icon resource shown by an "icon" control

    bool HasStyle(const QString &style) const { return m_styles.contains(style); }
};
