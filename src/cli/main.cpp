#include <iostream>

#include "cli/Comandos.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    std::vector<std::string> args(argv + 1, argv + argc);
    const int codigo = koral::cli::ejecutar(args, std::cin, std::cout, std::cerr);
    std::cout.flush();
    return codigo;
}
