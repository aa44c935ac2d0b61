// What the forms of vornak-batch share once their command line is parsed: the score range and
// the writing of their result.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <ostream>
#include <string>

#include "norms/count/group_checks.hpp"
#include "norms/write/output_files.hpp"
#include "platform/desktop.hpp"

namespace norms {

// MIN and MAX as the worksheet takes its boxes (truncated toward zero), then the limits of a
// frequency file: from 0 to 999999, the maximum not below the minimum, and no more scores than
// `limit` allows. False once the refusal has been shown.
bool ReadScoreRange(platform::Desktop& desktop, const std::string& min_text,
                    const std::string& max_text, std::int64_t& min_score, std::int64_t& max_score,
                    RowLimit limit = RowLimit::worksheet);

// The one place where a form's failure meets standard error, called from its handler of every
// exception (catch (...)): a failure's own message and status 1; a stop asked for with Ctrl-C
// (stats::Interrupted) said as such, with the shell's status for SIGINT, 130.
int ShowFailure(platform::Desktop& desktop, std::exception_ptr failure);

// Runs `read`. Text that is not UTF-8 may be in another encoding: when none was named, the
// message of the InvalidText it throws then suggests naming one with --encoding.
void read_suggesting_encoding(const std::string& encoding, const std::function<void()>& read);

// Writes a form's result to standard output with `write` and flushes it: 0 when the stream
// took everything, else 1 after showing the failure ("standard output: disk full").
int WriteOutput(std::ostream& out, platform::Desktop& desktop,
                const std::function<void(std::ostream&)>& write);
// The same for text that needs no desktop, such as the help, with the failure on `err`.
int WriteOutput(std::ostream& out, std::ostream& err, const std::string& text);

// Puts a run's files in their places once its output has gone out: after WriteOutput has given
// 0, and only when `err` has taken every notice too. 0 when every file is in place, else 1
// after showing the failure.
int CommitOutputFiles(OutputFiles& files, platform::Desktop& desktop, std::ostream& err);

}  // namespace norms
