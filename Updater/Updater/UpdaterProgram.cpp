// The updater program: replaces a program file with its download and starts it again.
#include "Updater.h"

#include <exception>

int main(int argc, char** argv)
{
    try {
        return UpdaterMain(argc, argv);
    } catch (const std::exception&) {
        return 1;
    }
}
