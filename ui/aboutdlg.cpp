#include "aboutdlg.h"

#include <QLabel>
#include <QPushButton>

#include "kestavonversion.h"
#include "templatebuilder.h"

namespace {

// The template's OK button.
constexpr int IDOK = 1;
// The template's product line names a version; the box shows the one built.
const QString kProductLine = QStringLiteral("Kestavon Setup PC Version ");

} // namespace

CAboutDlg::CAboutDlg(QWidget *parent) : QDialog(parent)
{
    CTemplateBuilder::Build(IDD, this);
    if (auto *ok = CTemplateBuilder::Control<QPushButton>(this, IDOK))
        connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    for (QLabel *label : findChildren<QLabel *>()) {
        if (label->text().startsWith(kProductLine))
            label->setText(kProductLine + QStringLiteral(KESTAVON_VERSION));
    }
}
