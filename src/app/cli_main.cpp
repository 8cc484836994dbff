#include "app/cli.h"

#include <iostream>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::cout << qa::kCliUsage;
        return 0;
    }
    return qa::RunCli(args, std::cout, std::cerr);
}
