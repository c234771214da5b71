// Holds a test cluster for tst_pg, which kills it or lets it go: prints the cluster's folder,
// then waits for its standard input to close and exits normally.
#include "support/pgcluster.h"

#include <iostream>
#include <string>

int main()
{
    try {
        std::cout << testsupport::PgCluster::shared().folder() << std::endl;
    } catch (const std::exception &error) {
        std::cerr << error.what() << '\n';
        return 1;
    }
    std::string line;
    while (std::getline(std::cin, line)) {
    }
    return 0;
}
