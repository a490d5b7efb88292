// Child process for the assertion test: reports an assertion failure for the
// file name and line given on its command line ("-" stands for no name).

#include <cstdlib>
#include <cstring>

#include "support/assertion.h"

int main(int argc, char** argv)
{
    if (argc < 3) return 2;
    const char* file = std::strcmp(argv[1], "-") == 0 ? nullptr : argv[1];
    morvalent::jni::assertion_failed(file, static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)));
}
