#include "ui/study_runner.hpp"

#include <QFileInfo>
#include <QtConcurrent>

namespace ui {

StudyRunner::StudyRunner(QObject* parent) : QObject(parent)
{
    connect(&delayed_progress_, &DelayedProgress::progressChanged, this, &StudyRunner::progressChanged);
    connect(&watcher_, &QFutureWatcher<Outcome>::finished, this, &StudyRunner::finished);
}

StudyRunner::~StudyRunner()
{
    if (progress_)
        progress_->cancel = true;
    watcher_.waitForFinished();
}

void StudyRunner::load(const QString& path)
{
    waiting_load_ = path;
    waiting_count_ = waiting_compute_ = false;
    if (progress_)
        progress_->cancel = true;  // its end starts the load
    start_next();
}

void StudyRunner::count(const norms::StudyChoices& choices, const norms::TableChoices& table_choices)
{
    count_choices_ = choices;
    table_choices_ = table_choices;
    waiting_count_ = true;
    if (progress_ && running_ == Step::count)
        progress_->cancel = true;
    start_next();
}

void StudyRunner::compute(const norms::TableChoices& choices)
{
    table_choices_ = choices;
    if (running_ == Step::compute && computing_method_ == choices.method)
        return;  // its tables take these columns when they come
    // Scales and cut-offs are columns worked out from a table's rows as they are shown.
    if (!running_ && !waiting_count_ && !waiting_compute_ && tables_ &&
        tables_->choices.method == choices.method) {
        norms::choose_added_columns(*tables_, table_choices_);
        emit tablesReady();
        return;
    }
    waiting_compute_ = true;
    start_next();
}

void StudyRunner::cancel()
{
    waiting_load_.reset();
    waiting_count_ = waiting_compute_ = false;
    if (progress_)
        progress_->cancel = true;
}

bool StudyRunner::idle() const
{
    return !running_ && !waiting_load_ && !(waiting_count_ && file_) && !(waiting_compute_ && counts_);
}

void StudyRunner::start_next()
{
    if (running_)
        return;
    if (waiting_load_) {
        const QString path = *std::exchange(waiting_load_, std::nullopt);
        const std::string file = path.toStdString();
        emit statusChanged("Reading " + QFileInfo(path).fileName() + "...");
        start(Step::load, file, static_cast<std::uint64_t>(QFileInfo(path).size()),
              [file](norms::StudyProgress& progress) {
                  return Outcome{Step::load, file, {}, norms::SurveyStudyFile(file, progress), {}, {}, false};
              });
    } else if (waiting_count_ && file_) {
        waiting_count_ = false;
        waiting_compute_ = true;
        const norms::StudyFile file = *file_;
        const norms::StudyChoices choices = count_choices_;
        emit statusChanged("Counting...");
        start(Step::count, file.data.path, file.size, [file, choices](norms::StudyProgress& progress) {
            return Outcome{Step::count, file.data.path, choices, {}, norms::count_study(file, choices, progress), {}, false};
        });
    } else if (waiting_compute_ && counts_) {
        waiting_compute_ = false;
        const norms::GroupTables counts = *counts_;
        const norms::TableChoices choices = table_choices_;
        const norms::StudyChoices counted_for = counted_for_;
        computing_method_ = choices.method;
        emit statusChanged("Computing...");
        start(Step::compute, {}, 0, [counts, choices, counted_for](norms::StudyProgress&) {
            return Outcome{Step::compute, {}, counted_for, {}, norms::compute_study(counts, choices), {}, false};
        });
    }
}

void StudyRunner::start(Step step, const std::string& path, std::uint64_t bytes,
                        std::function<Outcome(norms::StudyProgress&)> work)
{
    running_ = step;
    running_bytes_ = bytes;
    progress_ = std::make_shared<norms::StudyProgress>();
    watcher_.setFuture(QtConcurrent::run([step, path, work = std::move(work), progress = progress_] {
        try {
            return work(*progress);
        } catch (const stats::Interrupted&) {
            return Outcome{step, path, {}, {}, {}, {}, true};
        } catch (const std::exception& failure) {
            return Outcome{step, path, {}, {}, {}, failure.what(), false};
        }
    }));
    delayed_progress_.start([this] {
        return progress_ && running_bytes_ > 0
                   ? static_cast<int>(std::min<std::uint64_t>(100, progress_->bytes_read * 100 / running_bytes_))
                   : 0;
    });
}

void StudyRunner::finished()
{
    Outcome outcome = watcher_.result();
    running_.reset();
    progress_.reset();
    delayed_progress_.stop();
    emit progressHidden();
    emit statusChanged({});

    const bool superseded = waiting_load_ || (outcome.step != Step::load && waiting_count_);
    if (outcome.cancelled || !outcome.error.empty()) {
        if (outcome.step == Step::count)
            counts_.reset();  // they belong to choices that gave none
        if (!superseded && outcome.cancelled)
            emit stepCancelled(outcome.path, outcome.step == Step::load);
        else if (!superseded)
            emit stepFailed(QString::fromStdString(outcome.error), outcome.path, outcome.step == Step::load);
    } else if (!superseded) {
        if (outcome.file) {
            file_ = std::move(outcome.file);
            counts_.reset();
            emit fileLoaded();
        } else if (outcome.step == Step::count) {
            counts_ = std::move(outcome.tables);
            counted_for_ = outcome.counted_for;
        } else if (outcome.tables->choices.method == table_choices_.method) {
            waiting_compute_ = false;
            tables_ = std::move(outcome.tables);
            norms::choose_added_columns(*tables_, table_choices_);
            tables_counted_for_ = outcome.counted_for;
            emit tablesReady();
        }
    }
    start_next();
}

}  // namespace ui
