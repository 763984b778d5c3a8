#include "runs/USimulation.h"

#include "runs/UPrediction.h"
#include "runs/URainRun.h"
#include "files/UTextFields.h"

#include <algorithm>
#include <charconv>

namespace quellow::USimulation {

namespace {

/// v with room for rows 1..n (never shrunk).
void sizeFor(std::vector<double> &v, int n)
{
    if (static_cast<int>(v.size()) < n + 1)
        v.resize(static_cast<std::size_t>(n) + 1);
}

} // namespace

void Load(const URainRun::TAnalysisInput &input, TScratch &s)
{
    const int n = static_cast<int>(input.Rows.size());
    for (auto *v :
         {&s.Time, &s.Rain, &s.Escape, &s.Observed, &s.DeadStor, &s.Recharge, &s.Runoff, &s.Steps})
        sizeFor(*v, n);
    for (int i = 1; i <= n; ++i) {
        const URainRun::TAnalysisRow &row = input.Rows[static_cast<std::size_t>(i - 1)];
        s.Time[i] = row.Time;
        s.Rain[i] = row.Rain;
        s.Escape[i] = row.Escape;
        s.Observed[i] = row.Runoff;
    }
    s.Count = n;
}

void Load(const URainRun::TPreparedSeries &series, TScratch &s)
{
    const int n = series.Count;
    for (auto *v :
         {&s.Time, &s.Rain, &s.Escape, &s.Observed, &s.DeadStor, &s.Recharge, &s.Runoff, &s.Steps})
        sizeFor(*v, n);
    std::copy_n(series.StepTime.begin() + 1, n, s.Time.begin() + 1);
    std::copy_n(series.Rain.begin() + 1, n, s.Rain.begin() + 1);
    std::copy_n(series.Runoff.begin() + 1, n, s.Observed.begin() + 1);
    s.Count = n;
}

void LoadEscape(const std::vector<double> &escape, TScratch &s)
{
    std::copy_n(escape.begin() + 1, s.Count, s.Escape.begin() + 1);
}

std::string RaisedInitialRunoffText(const TSimulationFit &sim, double firstRunoff, int digits)
{
    if (!sim.InitialRunoffRaised)
        return {};
    const auto text = [digits](double v) {
        if (digits <= 0)
            return shortestText(v);
        char buffer[32];
        const auto end =
            std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::general, digits);
        return std::string(buffer, end.ptr);
    };
    return "The simulation starts from a runoff of " + text(sim.InitialRunoff) +
           " (1.1 times -B1) instead of the first measured runoff " + text(firstRunoff) +
           ", as a prediction does when -B1 is larger.";
}

void ScaleEscape(const URainRun::TAnalysisInput &input, double factor, TScratch &s)
{
    for (std::size_t k = 0; k < input.Rows.size(); ++k)
        s.Escape[k + 1] = URainRun::AsWritten(factor * input.Rows[k].Escape, 10);
}

TSkill Score(TScratch &s, int firstScored, TScore score)
{
    const int n = s.Count;
    if (score == TScore::None)
        return {};
    const int first = std::max(firstScored, 2);
    if (n < first + 1)
        return {};
    for (int i = first; i <= n; ++i)
        s.Steps[i] = s.Time[i] - s.Time[i - 1];
    const auto count = static_cast<std::size_t>(n - first + 1);
    const double *sim = s.Runoff.data() + first, *obs = s.Observed.data() + first;
    if (score == TScore::Full)
        return Skill(sim, obs, count, s.Steps.data() + first);
    TSkill skill;
    skill.Fit = FitMeasures(sim, obs, count, s.Steps.data() + first);
    skill.Valid = skill.Fit.Valid;
    return skill;
}

namespace {

/// Routes the recharge in s from the first measured runoff (runoff sub-mode).
TSimulationFit route(TScratch &s, const TModelValues &alpha, const TAlphaLimits &limits,
                     int firstScored, TScore score)
{
    TSimulationFit result;
    result.FirstScored = firstScored;
    const int n = s.Count;
    UPrediction::TRouting r;
    r.Count = n;
    r.Time = s.Time.data();
    r.Recharge = s.Recharge.data();
    r.Values = alpha;
    r.Limits = limits;
    r.InitRun = n > 0 ? s.Observed[1] : 0;
    result.InitialRunoff = UPrediction::InitialRunoff(r.InitRun, alpha);
    result.InitialRunoffRaised = result.InitialRunoff != r.InitRun;
    if (n < 2)
        return result;
    UPrediction::Route(r, nullptr, s.Runoff.data(), nullptr);
    result.Made = true;
    result.Skill = Score(s, firstScored, score);
    return result;
}

} // namespace

TSimulationFit Simulate(TScratch &s, double maxStor, double initStor, const TModelValues &alpha,
                        int firstScored, TScore score)
{
    return Simulate(s, maxStor, initStor, alpha, TAlphaLimits{}, firstScored, score);
}

TSimulationFit Simulate(TScratch &s, double maxStor, double initStor, const TModelValues &alpha,
                        const TAlphaLimits &limits, int firstScored, TScore score)
{
    const int n = s.Count;
    TSimulationFit result;
    result.FirstScored = firstScored;
    if (n < 2 || !(maxStor > 0))
        return result;
    const double initRun = s.Observed[1];
    if (!UPrediction::RouteRunoff(n, s.Time.data(), s.Rain.data(), s.Escape.data(), maxStor,
                                  initStor, alpha, initRun, s.DeadStor.data(), s.Recharge.data(),
                                  s.Runoff.data(), limits))
        return result;
    result.InitialRunoff = UPrediction::InitialRunoff(initRun, alpha);
    result.InitialRunoffRaised = result.InitialRunoff != initRun;
    result.Made = true;
    result.Skill = Score(s, firstScored, score);
    return result;
}

TSimulationFit Recession(TScratch &s, const TModelValues &alpha, int firstScored,
                         const TAlphaLimits &limits)
{
    const int n = s.Count;
    for (int i = 2; i <= n; ++i)
        if (!(s.Time[i] - s.Time[i - 1] > 0))
            return {};
    std::fill(s.Recharge.begin(), s.Recharge.begin() + n + 1, 0.0);
    return route(s, alpha, limits, firstScored, TScore::Full);
}

TSkill ConstantSkill(TScratch &s, double c, int firstScored)
{
    std::fill(s.Runoff.begin(), s.Runoff.begin() + s.Count + 1, c);
    return Score(s, firstScored, TScore::Fit);
}

} // namespace quellow::USimulation
