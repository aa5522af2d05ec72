#include "templatebuilder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>

#include "artwork.h"

namespace {

// The face every template names; the platform has no such font.
const QString &ShellDialogFace()
{
    static const QString face = QStringLiteral("MS Shell Dlg");
    return face;
}

// A bordered control shows a thin plain line, as a window border does.
void ApplyBorder(QFrame *frame, const CControlTemplate &control)
{
    if (control.HasStyle(QStringLiteral("border"))) {
        frame->setFrameShape(QFrame::Box);
        frame->setFrameShadow(QFrame::Plain);
    } else {
        frame->setFrameShape(QFrame::NoFrame);
    }
}

} // namespace

bool CTemplateBuilder::Build(int templateId, QWidget *dialog,
                             const QHash<int, QWidget *> &boundControls)
{
    const std::optional<CDialogTemplate> dialogTemplate = CDialogTemplate::Load(templateId);
    if (!dialogTemplate)
        return false;
    Build(*dialogTemplate, dialog, boundControls);
    return true;
}

void CTemplateBuilder::Build(const CDialogTemplate &dialogTemplate, QWidget *dialog,
                             const QHash<int, QWidget *> &boundControls)
{
    dialog->setFont(DialogFont(dialogTemplate));
    const CDialogUnits units = Units(dialogTemplate);
    ApplyWindowStyle(dialogTemplate, dialog);
    for (const CControlTemplate &control : dialogTemplate.m_controls) {
        QWidget *widget = boundControls.value(control.m_nId);
        if (widget && control.m_nId != CControlTemplate::NO_ID)
            widget->setParent(dialog);
        else
            widget = CreateControl(control, dialog);
        if (control.m_nId != CControlTemplate::NO_ID)
            widget->setObjectName(ObjectName(control.m_nId));
        widget->setGeometry(Geometry(control, units, widget));
        widget->setEnabled(!control.HasStyle(QStringLiteral("disabled")));
        widget->setVisible(!control.HasStyle(QStringLiteral("hidden")));
    }
    const QSize size = units.ToPixels(dialogTemplate.m_sizeDialogUnits);
    if (dialog->isWindow())
        dialog->setFixedSize(size);
    else
        dialog->resize(size);
}

void CTemplateBuilder::ApplyWindowStyle(const CDialogTemplate &dialogTemplate, QWidget *dialog)
{
    if (!dialogTemplate.m_strCaption.isEmpty())
        dialog->setWindowTitle(dialogTemplate.m_strCaption);
    if (!dialog->isWindow() || dialogTemplate.HasStyle(QStringLiteral("child")))
        return;
    // A fixed frame: title bar, the buttons the template asks for, no maximise.
    Qt::WindowFlags flags =
        dialogTemplate.HasStyle(QStringLiteral("appwindow")) ? Qt::Window : Qt::Dialog;
    flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (dialogTemplate.HasStyle(QStringLiteral("sysmenu")))
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (dialogTemplate.HasStyle(QStringLiteral("minimizebox")))
        flags |= Qt::WindowMinimizeButtonHint;
    dialog->setWindowFlags(flags);
}

QFont CTemplateBuilder::DialogFont(const CDialogTemplate &dialogTemplate)
{
    QFont font;
    if (dialogTemplate.m_strFontFace.isEmpty() ||
        dialogTemplate.m_strFontFace.startsWith(ShellDialogFace())) {
        font.setFamily(QStringLiteral("Sans Serif"));
        font.setStyleHint(QFont::SansSerif);
    } else {
        font.setFamily(dialogTemplate.m_strFontFace);
    }
    font.setPointSize(dialogTemplate.m_nPointSize);
    font.setWeight(static_cast<QFont::Weight>(dialogTemplate.m_nWeight));
    return font;
}

CDialogUnits CTemplateBuilder::Units(const CDialogTemplate &dialogTemplate)
{
    return CDialogUnits::FromFont(DialogFont(dialogTemplate));
}

QString CTemplateBuilder::ObjectName(int id)
{
    return QString::number(id);
}

int CTemplateBuilder::AddString(QComboBox *combo, const QString &text)
{
    int line = combo->count();
    if (combo->property(SORTED_PROPERTY).toBool()) {
        line = 0;
        while (line < combo->count() &&
               QString::compare(combo->itemText(line), text, Qt::CaseInsensitive) <= 0)
            ++line;
    }
    combo->insertItem(line, text);
    return line;
}

QRect CTemplateBuilder::Geometry(const CControlTemplate &control, const CDialogUnits &units,
                                 const QWidget *widget)
{
    QRect rect = units.ToPixels(control.m_rcDialogUnits);
    // A drop-down list's height in a template includes the list that drops
    // down; the closed box is as tall as its font needs.
    if (control.m_strKind == QLatin1String("combobox"))
        rect.setHeight(widget->sizeHint().height());
    else if (control.m_strKind == QLatin1String("icon"))
        rect.setSize(QSize(ICON_SIZE, ICON_SIZE));
    return rect;
}

QWidget *CTemplateBuilder::CreateControl(const CControlTemplate &control, QWidget *dialog)
{
    const QString &kind = control.m_strKind;
    if (kind == QLatin1String("label"))
        return CreateLabel(control, dialog);
    if (kind == QLatin1String("frame"))
        return CreateFrame(control, dialog);
    if (kind == QLatin1String("groupbox"))
        return new QGroupBox(control.m_strText, dialog);
    if (kind == QLatin1String("button")) {
        auto *button = new QPushButton(control.m_strText, dialog);
        button->setDefault(control.HasStyle(QStringLiteral("default")));
        return button;
    }
    if (kind == QLatin1String("checkbox"))
        return new QCheckBox(control.m_strText, dialog);
    if (kind == QLatin1String("edit"))
        return CreateEdit(control, dialog);
    if (kind == QLatin1String("combobox")) {
        auto *combo = new QComboBox(dialog);
        combo->setProperty(SORTED_PROPERTY, control.HasStyle(QStringLiteral("sorted")));
        return combo;
    }
    if (kind == QLatin1String("listbox"))
        return CreateList(control, dialog);
    if (kind == QLatin1String("listview"))
        return CreateReportList(control, dialog);
    if (kind == QLatin1String("progress")) {
        auto *progress = new QProgressBar(dialog);
        progress->setTextVisible(false);
        return progress;
    }
    if (kind == QLatin1String("icon"))
        return CreateIcon(control, dialog);
    // "browser" and anything unknown: an empty placeholder of the right size.
    return new QWidget(dialog);
}

QWidget *CTemplateBuilder::CreateLabel(const CControlTemplate &control, QWidget *dialog)
{
    auto *label = new QLabel(dialog);
    // Labels show what players send: never interpret it as markup.
    label->setTextFormat(Qt::PlainText);
    label->setText(control.m_strText);
    label->setWordWrap(true);
    const Qt::Alignment horizontal =
        control.HasStyle(QStringLiteral("center")) ? Qt::AlignHCenter : Qt::AlignLeft;
    label->setAlignment(horizontal | Qt::AlignTop);
    ApplyBorder(label, control);
    return label;
}

QWidget *CTemplateBuilder::CreateFrame(const CControlTemplate &control, QWidget *dialog)
{
    auto *frame = new QFrame(dialog);
    if (control.HasStyle(QStringLiteral("etched"))) {
        frame->setFrameShape(QFrame::Box);
        frame->setFrameShadow(QFrame::Sunken);
    } else {
        ApplyBorder(frame, control);
    }
    return frame;
}

QWidget *CTemplateBuilder::CreateEdit(const CControlTemplate &control, QWidget *dialog)
{
    auto *edit = new QLineEdit(dialog);
    edit->setFrame(control.HasStyle(QStringLiteral("border")));
    edit->setReadOnly(control.HasStyle(QStringLiteral("readonly")));
    if (control.HasStyle(QStringLiteral("password")))
        edit->setEchoMode(QLineEdit::Password);
    return edit;
}

QWidget *CTemplateBuilder::CreateList(const CControlTemplate &control, QWidget *dialog)
{
    auto *list = new QListWidget(dialog);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSortingEnabled(control.HasStyle(QStringLiteral("sorted")));
    ApplyBorder(list, control);
    return list;
}

QWidget *CTemplateBuilder::CreateReportList(const CControlTemplate &control, QWidget *dialog)
{
    auto *report = new QTreeWidget(dialog);
    report->setColumnCount(0);
    report->setRootIsDecorated(false);
    report->setItemsExpandable(false);
    report->setUniformRowHeights(true);
    report->setSortingEnabled(false);
    report->setEditTriggers(QAbstractItemView::NoEditTriggers);
    report->setSelectionMode(control.HasStyle(QStringLiteral("singlesel"))
                                 ? QAbstractItemView::SingleSelection
                                 : QAbstractItemView::ExtendedSelection);
    report->header()->setSectionsClickable(true);
    report->header()->setStretchLastSection(false);
    ApplyBorder(report, control);
    return report;
}

QWidget *CTemplateBuilder::CreateIcon(const CControlTemplate &control, QWidget *dialog)
{
    auto *label = new QLabel(dialog);
    label->setPixmap(CArtwork::Icon(control.m_nIcon).pixmap(ICON_SIZE, ICON_SIZE));
    return label;
}
