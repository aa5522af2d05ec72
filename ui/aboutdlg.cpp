#include "aboutdlg.h"

#include <QPushButton>

#include "templatebuilder.h"

namespace {

// The template's OK button.
constexpr int IDOK = 1;

} // namespace

CAboutDlg::CAboutDlg(QWidget *parent) : QDialog(parent)
{
    CTemplateBuilder::Build(IDD, this);
    if (auto *ok = CTemplateBuilder::Control<QPushButton>(this, IDOK))
        connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
