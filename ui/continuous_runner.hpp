// The work behind the study window's continuous norms, off its thread, in steps that each keep
// what they made: the cases of the chosen variables, the model (its search and fit), the
// bootstrap's refitted models, and the tables at the chosen ages. A new choice redoes only the
// steps that depend on it: other ages make the tables again from the model and resamples held;
// another k, t, number of terms, ranking or scale fits again from the cases held; another
// variable takes the cases again. One step runs at a time, and a step whose choices are no
// longer wanted is stopped.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include <QFutureWatcher>
#include <QObject>

#include "norms/run/continuous_choices.hpp"
#include "norms/run/norms_study.hpp"
#include "norms/tables/beta_binomial_tables.hpp"
#include "norms/tables/continuous_family.hpp"
#include "norms/tables/continuous_tables.hpp"
#include "stats/interruption.hpp"
#include "ui/delayed_progress.hpp"

namespace ui {

using norms::ContinuousChoices;

class ContinuousRunner : public QObject {
    Q_OBJECT

public:
    enum class Step { cases, fit, resamples, tables };
    Q_ENUM(Step)

    explicit ContinuousRunner(QObject* parent = nullptr);
    ~ContinuousRunner() override;

    // The data to fit: a study's per-person file, its cases held or read again.
    void set_file(const norms::StudyFile& file);
    // A model read from its file instead: tables at the asked ages and raw scores (the
    // layout's range), without data.
    void set_model(const stats::ContinuousModel& model);
    // Makes what the choices ask for, in the background.
    void request(const ContinuousChoices& choices);
    // Stops the running step; nothing starts again until the choices change.
    void cancel();
    // While held, a new file or new choices are taken but no step starts; a running one ends.
    void hold(bool held);

    // No step running, and none waiting unless held.
    bool idle() const;
    bool has_source() const { return file_ || model_; }
    // The choices asked for fit the beta-binomial family, whose tables step fits its model too.
    bool wants_beta_binomial() const { return wanted_.family.has_value() && !model_; }
    // The choices asked for the family of the least cross-validated error, which one tables step
    // chooses and fits.
    bool wants_best_family() const { return wanted_.best_family && !model_; }
    // The cases the latest model was fitted to, if any.
    const std::shared_ptr<const norms::NormingCases>& cases() const { return cases_; }
    // What they were taken for.
    std::optional<norms::NormingLayout> cases_layout() const
    {
        return cases_key_ ? std::optional(cases_key_->choices.layout) : std::nullopt;
    }
    // The latest tables made: the Taylor model's, or the beta-binomial model's.
    const std::optional<norms::ContinuousTables>& tables() const { return tables_; }
    const std::optional<norms::BetaBinomialTables>& beta_binomial_tables() const { return beta_binomial_tables_; }
    // With the best family: the families' cross-validated errors and the one whose tables these are.
    const std::optional<norms::FamilyComparison>& comparison() const { return comparison_; }

signals:
    void tablesReady();
    // A step was refused, with the message to show.
    void stepFailed(const QString& message, ContinuousRunner::Step step);
    // A step stopped because cancel() asked it to.
    void stepCancelled(ContinuousRunner::Step step);
    void statusChanged(const QString& status);  // empty once nothing runs
    // A step has run for a moment: its progress from 0 to 100, or -1 while its end cannot be
    // told, until progressHidden().
    void progressChanged(int percent);
    void progressHidden();

private:
    // What a step's outcome is made for: the source and the choices it depends on.
    struct Key {
        std::uint64_t source = 0;
        ContinuousChoices choices;
        friend bool operator==(const Key&, const Key&) = default;
    };
    struct Outcome {
        Step step = Step::cases;
        Key key;
        std::shared_ptr<const norms::NormingCases> cases;
        std::shared_ptr<const stats::ContinuousFit> fit;
        std::shared_ptr<const stats::Resamples> resamples;
        std::optional<norms::ContinuousTables> tables;
        std::optional<norms::BetaBinomialTables> beta_binomial_tables;
        std::optional<norms::FamilyComparison> comparison;
        std::string error;
        bool interrupted = false;
    };
    // Shared by a step and the runner: how far it has come, and a request to stop.
    struct Watch {
        norms::StudyProgress reading;
        stats::Interruption computing;
    };

    Key key_of(Step step) const;
    std::optional<Step> next_step() const;
    void start_next();
    void start_one_step_fit(const ContinuousChoices& choices);
    void start(Step step, const QString& status, std::function<int(const Watch&)> percent,
               std::function<Outcome(Watch&)> work);
    void finished();
    void interrupt();

    std::uint64_t source_ = 0;
    std::shared_ptr<const norms::StudyFile> file_;
    std::optional<stats::ContinuousModel> model_;
    ContinuousChoices wanted_;
    bool requested_ = false;

    std::shared_ptr<const norms::NormingCases> cases_;
    std::shared_ptr<const stats::ContinuousFit> fit_;
    std::shared_ptr<const stats::Resamples> resamples_;
    std::optional<norms::ContinuousTables> tables_;
    std::optional<norms::BetaBinomialTables> beta_binomial_tables_;
    std::optional<norms::FamilyComparison> comparison_;
    std::optional<Key> cases_key_;
    std::optional<Key> fit_key_;
    std::optional<Key> resamples_key_;
    std::optional<Key> tables_key_;
    // The step that failed or was cancelled, and what for: not tried again for the same.
    std::optional<std::pair<Step, Key>> stopped_;
    bool held_ = false;

    QFutureWatcher<Outcome> watcher_;
    std::shared_ptr<Watch> watch_;  // of the running step, if any
    std::optional<std::pair<Step, Key>> running_;
    DelayedProgress delayed_progress_;
};

}  // namespace ui
