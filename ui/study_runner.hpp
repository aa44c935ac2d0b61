// The work behind the study window, off its thread: reading a data file, counting its groups
// for the chosen variables, and computing their tables for the chosen method. Each step keeps
// what it made, so a new choice redoes only what depends on it: a method computes the tables
// again from the counts held, a scale or cut-off only changes the columns shown, and another
// variable counts again from the cases held. One step runs at a time; a newer request of the
// same kind replaces a waiting one and stops a running one.
#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QFutureWatcher>
#include <QObject>

#include "norms/run/norms_study.hpp"
#include "ui/delayed_progress.hpp"

namespace ui {

class StudyRunner : public QObject {
    Q_OBJECT

public:
    explicit StudyRunner(QObject* parent = nullptr);
    ~StudyRunner() override;

    // Reads the file, then waits for count() with the choices it allows.
    void load(const QString& path);
    // Counts the loaded file's groups for the choices, then computes their tables.
    void count(const norms::StudyChoices& choices, const norms::TableChoices& table_choices);
    // Takes the method and the columns beside the ranks; computes again only for a new method.
    void compute(const norms::TableChoices& choices);
    // Stops the running step and forgets the waiting ones.
    void cancel();

    // No step running or waiting.
    bool idle() const;
    // The file whose choices are shown, and the latest tables made.
    const std::optional<norms::StudyFile>& file() const { return file_; }
    const std::optional<norms::GroupTables>& tables() const { return tables_; }
    // The choices the tables were counted for.
    const norms::StudyChoices& tables_counted_for() const { return tables_counted_for_; }

signals:
    void fileLoaded();   // file() is new; the window offers its choices and calls count()
    void tablesReady();  // tables() are new, or show other columns
    // A step was refused, with the message to show, or cancelled. `data_file`: the file it
    // read, if any; `while_loading`: a new file, which then is not loaded.
    void stepFailed(const QString& message, const std::string& data_file, bool while_loading);
    void stepCancelled(const std::string& data_file, bool while_loading);
    void statusChanged(const QString& status);  // empty once nothing runs
    // A step has run for a moment: show its progress, from 0 to 100, until progressHidden().
    void progressChanged(int percent);
    void progressHidden();

private:
    enum class Step { load, count, compute };
    struct Outcome {
        Step step = Step::load;
        std::string path;  // the file the step read
        norms::StudyChoices counted_for;
        std::optional<norms::StudyFile> file;
        std::optional<norms::GroupTables> tables;
        std::string error;
        bool cancelled = false;
    };

    void start_next();
    void start(Step step, const std::string& path, std::uint64_t bytes,
               std::function<Outcome(norms::StudyProgress&)> work);
    void finished();

    std::optional<norms::StudyFile> file_;
    std::optional<norms::GroupTables> counts_;  // the groups' frequencies for counted_for_
    std::optional<norms::GroupTables> tables_;
    norms::StudyChoices count_choices_;
    norms::StudyChoices counted_for_;
    norms::StudyChoices tables_counted_for_;
    norms::TableChoices table_choices_;

    std::optional<QString> waiting_load_;
    bool waiting_count_ = false;
    bool waiting_compute_ = false;

    QFutureWatcher<Outcome> watcher_;
    std::shared_ptr<norms::StudyProgress> progress_;  // of the running step, if any
    std::optional<Step> running_;
    stats::IntervalMethod computing_method_ = stats::IntervalMethod::bayesian;
    std::uint64_t running_bytes_ = 0;  // what the running step reads, for its progress
    DelayedProgress delayed_progress_;
};

}  // namespace ui
