// The yardstick for bench_startup: the least a Qt Widgets program does to put
// one dialog on screen.

#include <QApplication>
#include <QDialog>

namespace {

// The size of Kestavon Setup's main window, so both paint the same area.
constexpr int kWidthPx = 814;
constexpr int kHeightPx = 588;

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Minimal"));
    dialog.resize(kWidthPx, kHeightPx);
    return dialog.exec();
}
