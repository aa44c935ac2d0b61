// The files a run reads and writes, held apart: an output never takes the place of an input,
// of another output or of the standard output.
#pragma once

#include <string>
#include <vector>

namespace norms {

// A file the run names, with how messages call it: "the data file", "--xlsx".
struct NamedFile {
    std::string role;
    std::string path;  // empty: not given
    // The output replaces the name itself, as the files of a folder of outputs do, rather than
    // writing through a link that stands there.
    bool replaces_name = false;
};

// Throws platform::Failure, naming both, when an output is the same file as an input, as
// another output or as the standard output. Files are compared by identity, so a link or a
// second name of the same file is caught too.
void check_output_targets(const std::vector<NamedFile>& inputs, const std::vector<NamedFile>& outputs);

}  // namespace norms
