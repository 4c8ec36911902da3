#include "Info.h"

#include "swf/Reader.h"

#include <iostream>
#include <string>

using namespace quorvane;

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::cerr << "usage: quorvane-swf info FILE\n";
        return 2;
    }
    const std::string command = argv[1];
    auto read = swf::readMovieFile(argv[2]);
    if (!read) {
        std::cerr << read.error().message << '\n';
        return 1;
    }
    for (const swf::Error& warning : read.value().warnings) {
        std::cerr << "warning: " << warning.message << '\n';
    }
    tools::printInfo(std::cout, read.value());
    return 0;
}
