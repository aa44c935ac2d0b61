#include "ui/continuous_runner.hpp"

#include <QtConcurrent>

#include "stats/continuous_bootstrap.hpp"

namespace ui {

ContinuousRunner::ContinuousRunner(QObject* parent) : QObject(parent)
{
    connect(&delayed_progress_, &DelayedProgress::progressChanged, this, &ContinuousRunner::progressChanged);
    connect(&watcher_, &QFutureWatcher<Outcome>::finished, this, &ContinuousRunner::finished);
}

ContinuousRunner::~ContinuousRunner()
{
    interrupt();
    watcher_.waitForFinished();
}

void ContinuousRunner::set_file(const norms::StudyFile& file)
{
    ++source_;
    file_ = std::make_shared<const norms::StudyFile>(file);
    model_.reset();
    cases_.reset();
    fit_.reset();
    resamples_.reset();
    if (running_)
        interrupt();
    start_next();
}

void ContinuousRunner::set_model(const stats::ContinuousModel& model)
{
    ++source_;
    file_.reset();
    model_ = model;
    cases_.reset();
    fit_.reset();
    resamples_.reset();
    if (running_)
        interrupt();
    start_next();
}

void ContinuousRunner::request(const ContinuousChoices& choices)
{
    wanted_ = choices;
    requested_ = true;
    if (running_ && running_->second != key_of(running_->first))
        interrupt();
    start_next();
}

void ContinuousRunner::cancel()
{
    if (!running_)
        return;
    stopped_ = running_;
    interrupt();
}

void ContinuousRunner::interrupt()
{
    if (!watch_)
        return;
    watch_->reading.cancel = true;
    watch_->computing.stop = true;
}

void ContinuousRunner::hold(bool held)
{
    held_ = held;
    start_next();
}

bool ContinuousRunner::idle() const
{
    return !running_ && (held_ || !next_step());
}

ContinuousRunner::Key ContinuousRunner::key_of(Step step) const
{
    Key key{source_, {}};
    ContinuousChoices& choices = key.choices;
    if (model_) {
        choices.layout.min_score = wanted_.layout.min_score;
        choices.layout.max_score = wanted_.layout.max_score;
        choices.ages = wanted_.ages;
        return key;
    }
    choices.layout = wanted_.layout;
    if (step == Step::cases)
        return key;
    if (wanted_.family || wanted_.best_family) {
        // One step fits the beta-binomial model, or chooses the family, draws the resamples and
        // makes the tables.
        choices.family = wanted_.family;
        choices.best_family = wanted_.best_family;
        if (wanted_.best_family)
            choices.model = wanted_.model;
        else
            choices.model.scale = wanted_.model.scale;
        if (wanted_.bootstrap.resamples > 0)
            choices.bootstrap = wanted_.bootstrap;
        choices.ages = wanted_.ages;
        return key;
    }
    choices.model = wanted_.model;
    if (step == Step::fit)
        return key;
    if (wanted_.bootstrap.resamples > 0)
        choices.bootstrap = wanted_.bootstrap;
    if (step == Step::resamples)
        return key;
    choices.ages = wanted_.ages;
    choices.raw_scores = wanted_.raw_scores;
    return key;
}

std::optional<ContinuousRunner::Step> ContinuousRunner::next_step() const
{
    if (!requested_ || !has_source())
        return std::nullopt;
    std::optional<Step> step;
    if (model_ || cases_key_ == key_of(Step::cases)) {
        if (!model_ && (wanted_.family || wanted_.best_family)) {
            if (tables_key_ != key_of(Step::tables))
                step = Step::tables;
        } else if (!model_ && fit_key_ != key_of(Step::fit))
            step = Step::fit;
        else if (!model_ && wanted_.bootstrap.resamples > 0 && resamples_key_ != key_of(Step::resamples))
            step = Step::resamples;
        else if (tables_key_ != key_of(Step::tables))
            step = Step::tables;
    } else {
        step = Step::cases;
    }
    if (step && stopped_ && *stopped_ == std::pair(*step, key_of(*step)))
        return std::nullopt;
    return step;
}

void ContinuousRunner::start_next()
{
    if (running_ || held_)
        return;
    const std::optional<Step> step = next_step();
    if (!step)
        return;
    const ContinuousChoices choices = wanted_;
    const auto unknown_end = [](const Watch&) { return -1; };
    switch (*step) {
    case Step::cases: {
        const std::shared_ptr<const norms::StudyFile> file = file_;
        const std::uint64_t size = file->size;
        start(
            *step, "Taking the cases...",
            [size](const Watch& watch) {
                return size > 0 ? static_cast<int>(std::min<std::uint64_t>(100, watch.reading.bytes_read * 100 / size))
                                : -1;
            },
            [file, choices](Watch& watch) {
                Outcome outcome;
                outcome.cases = std::make_shared<const norms::NormingCases>(
                    norms::study_norming_cases(*file, choices.layout, watch.reading));
                return outcome;
            });
        break;
    }
    case Step::fit: {
        const std::shared_ptr<const norms::NormingCases> cases = cases_;
        start(*step, "Searching the models...", unknown_end, [cases, choices](Watch& watch) {
            Outcome outcome;
            outcome.fit = std::make_shared<const stats::ContinuousFit>(
                stats::fit_continuous_norms(cases->sample, choices.model, &watch.computing));
            return outcome;
        });
        break;
    }
    case Step::resamples: {
        const std::shared_ptr<const norms::NormingCases> cases = cases_;
        const auto total = static_cast<std::size_t>(choices.bootstrap.resamples);
        start(
            *step, "Drawing the bootstrap resamples...",
            [total](const Watch& watch) { return static_cast<int>(watch.computing.done * 100 / total); },
            [cases, choices](Watch& watch) {
                Outcome outcome;
                outcome.resamples = std::make_shared<const stats::Resamples>(stats::resample_models(
                    cases->sample, choices.model, choices.bootstrap, &watch.computing));
                return outcome;
            });
        break;
    }
    case Step::tables: {
        if (!model_ && (choices.family || choices.best_family)) {
            start_one_step_fit(choices);
            break;
        }
        const std::optional<stats::ContinuousModel> model = model_;
        const std::shared_ptr<const stats::ContinuousFit> fit = fit_;
        const std::shared_ptr<const stats::Resamples> resamples =
            choices.bootstrap.resamples > 0 ? resamples_ : nullptr;
        start(*step, "Making the tables...", unknown_end, [model, fit, resamples, choices](Watch&) {
            const norms::NormingLayout& layout = choices.layout;
            Outcome outcome;
            outcome.tables = model ? norms::model_tables(*model, choices.ages, layout.min_score, layout.max_score,
                                                         choices.raw_scores)
                                   : norms::fitted_tables(*fit, choices.model, choices.ages, layout.min_score,
                                                          layout.max_score, resamples.get(), choices.raw_scores);
            return outcome;
        });
        break;
    }
    }
}

// The beta-binomial family, or the choice of the family, as one step: its fit, its resamples and
// its tables.
void ContinuousRunner::start_one_step_fit(const ContinuousChoices& choices)
{
    const std::shared_ptr<const norms::NormingCases> cases = cases_;
    const auto total = static_cast<std::size_t>(choices.bootstrap.resamples);
    const auto percent = [total](const Watch& watch) {
        return total > 0 ? static_cast<int>(std::min<std::size_t>(100, watch.computing.done * 100 / total)) : -1;
    };
    if (choices.family) {
        start(Step::tables, "Fitting the beta-binomial model...", percent, [cases, choices](Watch& watch) {
            Outcome outcome;
            outcome.beta_binomial_tables = norms::fit_beta_binomial_tables(
                cases->sample, {}, norms::beta_binomial_choice(choices), choices.ages, choices.bootstrap,
                &watch.computing);
            return outcome;
        });
        return;
    }
    start(Step::tables, "Choosing the family...", percent, [cases, choices](Watch& watch) {
        const norms::NormingLayout& layout = choices.layout;
        norms::DefaultContinuousTables best =
            norms::fit_default_continuous_tables(cases->sample, choices.model, choices.ages, layout.min_score,
                                                 layout.max_score, choices.bootstrap, &watch.computing);
        Outcome outcome;
        outcome.comparison = best.comparison;
        if (best.beta_binomial)
            outcome.beta_binomial_tables = std::move(best.beta_binomial);
        else
            outcome.tables = std::move(best.taylor);
        return outcome;
    });
}

void ContinuousRunner::start(Step step, const QString& status, std::function<int(const Watch&)> percent,
                             std::function<Outcome(Watch&)> work)
{
    const Key key = key_of(step);
    running_ = {step, key};
    watch_ = std::make_shared<Watch>();
    emit statusChanged(status);
    watcher_.setFuture(QtConcurrent::run([step, key, work = std::move(work), watch = watch_] {
        Outcome outcome;
        try {
            outcome = work(*watch);
        } catch (const stats::Interrupted&) {
            outcome.interrupted = true;
        } catch (const std::exception& failure) {
            outcome.error = failure.what();
        }
        outcome.step = step;
        outcome.key = key;
        return outcome;
    }));
    delayed_progress_.start([percent = std::move(percent), watch = watch_] { return percent(*watch); });
}

void ContinuousRunner::finished()
{
    Outcome outcome = watcher_.result();
    const std::pair<Step, Key> ran = *std::exchange(running_, std::nullopt);
    watch_.reset();
    delayed_progress_.stop();
    emit progressHidden();
    emit statusChanged({});

    const bool wanted = ran.second == key_of(ran.first);
    if (outcome.interrupted) {
        if (stopped_ == ran)
            emit stepCancelled(ran.first);
    } else if (!outcome.error.empty()) {
        if (wanted) {
            stopped_ = ran;
            emit stepFailed(QString::fromStdString(outcome.error), ran.first);
        }
    } else if (wanted) {
        switch (ran.first) {
        case Step::cases:
            cases_ = std::move(outcome.cases);
            cases_key_ = ran.second;
            break;
        case Step::fit:
            fit_ = std::move(outcome.fit);
            fit_key_ = ran.second;
            break;
        case Step::resamples:
            resamples_ = std::move(outcome.resamples);
            resamples_key_ = ran.second;
            break;
        case Step::tables:
            tables_ = std::move(outcome.tables);
            beta_binomial_tables_ = std::move(outcome.beta_binomial_tables);
            comparison_ = std::move(outcome.comparison);
            tables_key_ = ran.second;
            emit tablesReady();
            break;
        }
    }
    start_next();
}

}  // namespace ui
