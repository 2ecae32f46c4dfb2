// The batch program: whole surveys picked, aligned and written without a window.
#include "batch/runner.h"

#include <string>
#include <vector>

int main(int argc, char **argv)
{
    return orv::batch::BatchMain(std::vector<std::string>(argv + 1, argv + argc), ORVANE_VERSION);
}
