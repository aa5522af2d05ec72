#include "halvorinsetup101app.h"

int main(int argc, char *argv[])
{
    return CHalvorinSetup101App::Run(argc, argv);
}
