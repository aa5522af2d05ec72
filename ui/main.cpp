#include "halvorinsetup101app.h"

int main(int argc, char *argv[])
{
    CHalvorinSetup101App::PrepareEnvironment();
    CHalvorinSetup101App app(argc, argv);
    app.InitInstance();
    return 0;
}
