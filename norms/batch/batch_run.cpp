#include "norms/batch/batch_run.hpp"

#include <cerrno>
#include <cmath>

#include "norms/tables/norms_table.hpp"
#include "norms/count/group_checks.hpp"
#include "norms/read/input_checks.hpp"
#include "norms/read/text_source.hpp"
#include "norms/program_strings.hpp"
#include "platform/failure.hpp"
#include "stats/interruption.hpp"

namespace norms {

bool ReadScoreRange(platform::Desktop& desktop, const std::string& min_text,
                    const std::string& max_text, std::int64_t& min_score, std::int64_t& max_score,
                    RowLimit limit)
{
    const Extended min = std::trunc(ParseFieldValue(desktop, min_text, InputCaptions[0]));
    if (InputError)
        return false;
    const Extended max = std::trunc(ParseFieldValue(desktop, max_text, InputCaptions[1]));
    if (InputError)
        return false;
    if (const std::optional<std::string> problem = ScoreRangeProblem(min, max, limit)) {
        desktop.error(*problem);
        return false;
    }
    min_score = static_cast<std::int64_t>(min);
    max_score = static_cast<std::int64_t>(max);
    return true;
}

int ShowFailure(platform::Desktop& desktop, std::exception_ptr failure)
{
    // The shell's status for a program ended by SIGINT.
    constexpr int interrupted_status = 130;
    try {
        std::rethrow_exception(failure);
    } catch (const stats::Interrupted&) {
        desktop.failure("Stopped by Ctrl-C before the tables were made; nothing was written.");
        return interrupted_status;
    } catch (const std::exception& shown) {
        desktop.failure(shown.what());
    } catch (...) {
        desktop.failure("Unexpected failure");
    }
    return 1;
}

void read_suggesting_encoding(const std::string& encoding, const std::function<void()>& read)
{
    try {
        read();
    } catch (const InvalidText& invalid) {
        if (!encoding.empty())
            throw;
        throw platform::Failure(std::string(invalid.what()) +
                                "; name the file's encoding with --encoding, for example "
                                "--encoding windows-1252");
    }
}

int WriteOutput(std::ostream& out, platform::Desktop& desktop,
                const std::function<void(std::ostream&)>& write)
{
    errno = 0;
    write(out);
    if (!out.flush())
        return ShowFailure(desktop, std::make_exception_ptr(platform::output_failure("standard output", errno)));
    return 0;
}

int WriteOutput(std::ostream& out, std::ostream& err, const std::string& text)
{
    errno = 0;
    if (!(out << text).flush()) {
        err << platform::failure_text(platform::output_failure("standard output", errno).what())
            << '\n';
        return 1;
    }
    return 0;
}

int CommitOutputFiles(OutputFiles& files, platform::Desktop& desktop, std::ostream& err)
{
    // Notices that could not be shown make no success, and leave no file behind.
    if (!err.flush())
        return 1;
    try {
        files.commit();
    } catch (...) {
        return ShowFailure(desktop, std::current_exception());
    }
    return 0;
}

}  // namespace norms
