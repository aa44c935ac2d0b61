#include "norms/write/output_targets.hpp"

#include "platform/failure.hpp"
#include "platform/file_identity.hpp"
#include "platform/printable_text.hpp"

namespace norms {
namespace {

std::string named(const NamedFile& file)
{
    return file.role + " " + platform::in_quotes(file.path);
}

}  // namespace

void check_output_targets(const std::vector<NamedFile>& inputs, const std::vector<NamedFile>& outputs)
{
    for (auto output = outputs.begin(); output != outputs.end(); ++output) {
        if (output->path.empty())
            continue;
        for (const NamedFile& input : inputs)
            if (!input.path.empty() && (output->replaces_name ? platform::same_place(output->path, input.path)
                                                              : platform::same_file(output->path, input.path)))
                throw platform::Failure(named(*output) + " would replace " + named(input) +
                                        ": an output must not overwrite an input");
        if (output->replaces_name)
            continue;
        for (auto earlier = outputs.begin(); earlier != output; ++earlier)
            if (!earlier->path.empty() && platform::same_file(output->path, earlier->path))
                throw platform::Failure(named(*output) + " and " + named(*earlier) +
                                        " are the same file: each output needs a file of its own");
        if (platform::is_standard_output(output->path))
            throw platform::Failure(named(*output) +
                                    " is the standard output, which takes the tables: give it a file of its own");
    }
}

}  // namespace norms
