#pragma once

#include <QFont>
#include <QHash>
#include <QString>
#include <QWidget>

#include "dialogtemplate.h"
#include "dialogunits.h"

class QComboBox;

// Builds a window's controls from its template. Every control with an id gets
// the id as its object name, so code and tests find it with Control<T>(w, id):
//
//   CTemplateBuilder::Build(133, this);
//   auto *essid = CTemplateBuilder::Control<QLineEdit>(this, 1024);
//
// Kinds and the widgets they become: label QLabel (plain text, wraps), frame
// QFrame, groupbox QGroupBox, button QPushButton, checkbox QCheckBox, edit
// QLineEdit, combobox QComboBox (selection only), listbox QListWidget,
// listview QTreeWidget (report view, no columns yet), progress QProgressBar,
// icon QLabel with the icon's picture, browser a plain QWidget. A control that
// needs a class of its own is passed in boundControls and placed instead.
class CTemplateBuilder
{
public:
    // Style of a combobox whose items stay in alphabetical order.
    static constexpr char SORTED_PROPERTY[] = "kestavonSorted";
    // An icon control is as large as the icon it shows.
    static constexpr int ICON_SIZE = 32;

    // Sets the caption, font, size and window frame of dialog and creates its
    // controls. False, leaving dialog as it was, when the template is missing.
    static bool Build(int templateId, QWidget *dialog,
                      const QHash<int, QWidget *> &boundControls = {});
    static void Build(const CDialogTemplate &dialogTemplate, QWidget *dialog,
                      const QHash<int, QWidget *> &boundControls = {});

    // The face at the template's size and weight; "MS Shell Dlg" stands for
    // the system's sans-serif face.
    static QFont DialogFont(const CDialogTemplate &dialogTemplate);
    static CDialogUnits Units(const CDialogTemplate &dialogTemplate);
    static QString ObjectName(int id);

    // The control with this id among dialog's direct children, or nullptr.
    template <typename T> static T *Control(const QWidget *dialog, int id)
    {
        return dialog->findChild<T *>(ObjectName(id), Qt::FindDirectChildrenOnly);
    }

    // Adds text at the end, or in alphabetical order when the combobox has the
    // sorted style. Returns the line it went to.
    static int AddString(QComboBox *combo, const QString &text);

private:
    static void ApplyWindowStyle(const CDialogTemplate &dialogTemplate, QWidget *dialog);
    static QWidget *CreateControl(const CControlTemplate &control, QWidget *dialog);
    static QWidget *CreateLabel(const CControlTemplate &control, QWidget *dialog);
    static QWidget *CreateFrame(const CControlTemplate &control, QWidget *dialog);
    static QWidget *CreateEdit(const CControlTemplate &control, QWidget *dialog);
    static QWidget *CreateList(const CControlTemplate &control, QWidget *dialog);
    static QWidget *CreateReportList(const CControlTemplate &control, QWidget *dialog);
    static QWidget *CreateIcon(const CControlTemplate &control, QWidget *dialog);
    static QRect Geometry(const CControlTemplate &control, const CDialogUnits &units,
                          const QWidget *widget);
};
