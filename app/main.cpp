#include "desktop/CApplication.h"

int main(int argc, char **argv)
{
    CApplication application(argc, argv);
    return application.Run();
}
