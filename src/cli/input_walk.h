// Turns the paths of the command line into the ordered list of inputs to lint.
#pragma once

#include <string>
#include <vector>

namespace quorv::cli {

struct Input {
    enum class What {
        File,     // lint the file at `path`
        Stdin,    // lint standard input
        Failed,   // could not be searched: `problem` says why (counts as a failure)
        Skipped,  // deliberately left out: `problem` says why (informational)
    };
    std::string path;
    What what = What::File;
    std::string problem;
};

// Directories are searched depth-first in byte order of names for *.xyz, *.json
// and *.py files, skipping hidden and virtualenv folders and never entering a
// directory twice (symbolic-link loops included). Files and directories named
// on the command line keep their order; repeats of a path are dropped.
std::vector<Input> collect_inputs(const std::vector<std::string>& paths);

}  // namespace quorv::cli
