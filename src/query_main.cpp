// tolvane-query: the command-line batch query (see src/query/batch_cli.h).
#include "query/batch_cli.h"

#include <iostream>

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    return tolvane::RunBatchCli(std::vector<std::string>(argv + 1, argv + argc), std::cin,
                                std::cout, std::cerr);
}
