#include "renovo/RenovoEntry.h"

int main(int argc, char* argv[])
{
    return orvane::RenovoMain(argc, argv);
}
