// The compiled part of the Python module quellow (quellow/_quellow*.so): input windows, the
// analysis, simulation, prediction, calibration and validation of the core, and the fit
// measures. Every call that can take time copies its arguments into core structures first and
// then runs without the interpreter lock, so that Python threads run windows side by side.
// The JSON of a calibration and a validation is the command line's (reports/UReports).
#include "calibration/UCalibrationRun.h"
#include "calibration/UValidation.h"
#include "files/UFileUtil.h"
#include "files/UInputFile.h"
#include "files/UOutputNames.h"
#include "files/UPrompts.h"
#include "files/UTextFields.h"
#include "reports/UReports.h"
#include "runs/UFitMeasures.h"
#include "runs/UPrediction.h"
#include "runs/URainRun.h"
#include "runs/USimulation.h"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace py = pybind11;
using namespace quellow;

namespace {

/// Collects the core's messages of one call; they become the text of its exception.
class TCollected final : public TPrompts
{
public:
    void ShowMessage(const std::string &text) override
    {
        if (!Text.empty())
            Text += '\n';
        Text += text;
    }
    bool Confirm(const std::string &text) override
    {
        ShowMessage(text);
        return false;
    }
    std::string Text;
};

/// An analysis window: the input file's values, and the path it was read from.
struct TWindow
{
    URainRun::TAnalysisInput Input;
    std::string Path;
};

PyObject *quellowError = nullptr;

[[noreturn]] void fail(const std::string &message)
{
    PyErr_SetString(quellowError, message.c_str());
    throw py::error_already_set();
}

py::array_t<double> toArray(const double *values, std::size_t count)
{
    return py::array_t<double>(static_cast<py::ssize_t>(count), values);
}

template <class Field> py::array_t<double> column(const TWindow &w, Field field)
{
    std::vector<double> values;
    values.reserve(w.Input.Rows.size());
    for (const URainRun::TAnalysisRow &row : w.Input.Rows)
        values.push_back(row.*field);
    return toArray(values.data(), values.size());
}

/// A numpy argument as doubles, refused (ValueError) when it is not one-dimensional, has not
/// count values (count < 0: any number) or holds a value that is not finite.
std::vector<double> finiteValues(const py::array_t<double, py::array::forcecast> &array,
                                 const char *name, py::ssize_t count = -1)
{
    if (array.ndim() != 1)
        throw py::value_error(std::string(name) + " must be one-dimensional.");
    if (count >= 0 && array.shape(0) != count)
        throw py::value_error(std::string(name) + " has " + std::to_string(array.shape(0)) +
                              " values; the window has " + std::to_string(count) + " rows.");
    std::vector<double> values(static_cast<std::size_t>(array.shape(0)));
    auto view = array.unchecked<1>();
    for (py::ssize_t i = 0; i < array.shape(0); ++i) {
        values[static_cast<std::size_t>(i)] = view(i);
        if (!std::isfinite(view(i)))
            throw py::value_error(std::string(name) + " holds a value that is not a number (row " +
                                  std::to_string(i + 1) + ").");
    }
    return values;
}

template <class Field>
void setColumn(TWindow &w, Field field, const py::array_t<double, py::array::forcecast> &array,
               const char *name)
{
    const std::vector<double> values =
        finiteValues(array, name, static_cast<py::ssize_t>(w.Input.Rows.size()));
    for (std::size_t i = 0; i < values.size(); ++i)
        w.Input.Rows[i].*field = values[i];
}

double checkedStorage(double value, const char *name)
{
    if (!std::isfinite(value) || value < 0)
        throw py::value_error(std::string(name) + " must be a number of 0 or more (mm).");
    return value;
}

/// A window from the caller's series and parameters (no file).
TWindow makeWindow(const py::array_t<double, py::array::forcecast> &time,
                   const py::array_t<double, py::array::forcecast> &rain,
                   const py::array_t<double, py::array::forcecast> &escape,
                   const py::array_t<double, py::array::forcecast> &runoff, double maxStor,
                   double initStor, const py::object &maxEscape, const std::string &title1,
                   const std::string &title2)
{
    const std::vector<double> t = finiteValues(time, "time");
    const auto n = static_cast<py::ssize_t>(t.size());
    if (n < 2 || n > MaxSteps)
        throw py::value_error("A window has 2 to " + std::to_string(MaxSteps) + " rows; time has " +
                              std::to_string(n) + ".");
    const std::vector<double> r = finiteValues(rain, "rain", n),
                              e = finiteValues(escape, "escape", n),
                              q = finiteValues(runoff, "runoff", n);
    TWindow w;
    w.Input.Title1 = title1;
    w.Input.Title2 = title2;
    w.Input.TimeUnit = w.Input.DepthUnit = "--";
    w.Input.MaxSto = checkedStorage(maxStor, "max_storage");
    w.Input.IniSto = checkedStorage(initStor, "init_storage");
    double largest = 0;
    for (py::ssize_t i = 0; i < n; ++i) {
        const auto k = static_cast<std::size_t>(i);
        w.Input.Rows.push_back({static_cast<int>(i + 1), t[k], r[k], e[k], q[k]});
        largest = std::max(largest, e[k]);
    }
    w.Input.MaxEsc =
        maxEscape.is_none() ? largest : checkedStorage(maxEscape.cast<double>(), "max_escape");
    return w;
}

TWindow readInput(const std::string &path)
{
    TWindow w;
    w.Path = path;
    std::string message;
    bool read = false;
    {
        py::gil_scoped_release release;
        read = UValidation::ReadWindow(path, "input", w.Input, message, "quellow.read_input");
    }
    if (!read)
        fail(message);
    return w;
}

py::dict alphaDict(const TModelValues &a)
{
    py::dict d;
    d["A1"] = a.A1;
    d["B1"] = a.B1;
    d["A2"] = a.A2;
    d["B2"] = a.B2;
    d["Divide"] = a.Divide;
    return d;
}

TModelValues alphaOf(const py::handle &alpha)
{
    TModelValues v;
    if (py::isinstance<py::dict>(alpha)) {
        const py::dict d = alpha.cast<py::dict>();
        for (const char *key : {"A1", "B1", "A2", "B2", "Divide"})
            if (!d.contains(key))
                throw py::value_error(std::string("alpha lacks ") + key + ".");
        v = USimulation::AlphaFunction(d["A1"].cast<double>(), d["B1"].cast<double>(),
                                       d["A2"].cast<double>(), d["B2"].cast<double>(),
                                       d["Divide"].cast<double>());
    } else {
        const std::vector<double> a = alpha.cast<std::vector<double>>();
        if (a.size() != 5)
            throw py::value_error("alpha is A1, B1, A2, B2, Divide: five numbers.");
        v = USimulation::AlphaFunction(a[0], a[1], a[2], a[3], a[4]);
    }
    for (double x : {v.A1, v.B1, v.A2, v.B2, v.Divide})
        if (!std::isfinite(x))
            throw py::value_error("alpha holds a value that is not a number.");
    return v;
}

URainRun::TEvaluateOptions evaluateOptions(bool robust, bool predictionReservoir)
{
    URainRun::TEvaluateOptions o;
    o.Simulate = URainRun::TSimulate::Full;
    o.Final = URainRun::TFinalRun::InMemory;
    o.RobustAlpha = robust;
    o.PredictionReservoir = predictionReservoir;
    return o;
}

py::dict analyse(const TWindow &w, bool robust, bool predictionReservoir)
{
    const URainRun::TAnalysisInput input = w.Input;
    URainRun::TState s;
    URainRun::TEvaluation e;
    {
        py::gil_scoped_release release;
        e = URainRun::Evaluate(input, s, evaluateOptions(robust, predictionReservoir));
    }
    if (e.Stopped)
        fail("The analysis stops: " + URainRun::StopText(e.Stop));
    const std::size_t n = input.Rows.size();
    const py::module_ json = py::module_::import("json");
    py::dict d;
    d["alpha"] = alphaDict(e.Alpha);
    d["RSquare"] = e.RSquare;
    d["NSE"] = e.Fit.NSE;
    d["KGE"] = e.Fit.KGE;
    d["VolumeError"] = e.Fit.VolumeError;
    d["VolumeRatio"] = e.VolumeRatio;
    d["DivideFraction"] = e.DivideFraction;
    d["InitStor"] = e.InitStor;
    d["Simulation"] = json.attr("loads")(UReports::SimulationJson(e.Simulation));
    d["recharge"] = toArray(s.Rech.data() + 1, n);
    d["dead_storage"] = toArray(s.ActSto.data() + 1, n);
    d["reconstructed"] = toArray(s.RunCalc.data() + 1, n);
    d["simulated"] = e.Simulation.Made ? py::object(toArray(s.Simulation.Runoff.data() + 1, n))
                                       : py::object(py::none());
    return d;
}

/// The runoff of the window simulated as a prediction runs it.
py::array_t<double> simulate(const TWindow &w, double maxStor, double initStor, double factor,
                             const py::object &alpha, bool robust, bool predictionReservoir)
{
    if (!std::isfinite(maxStor) || maxStor <= 0)
        throw py::value_error("max_storage must be a number above 0 (mm).");
    checkedStorage(initStor, "init_storage");
    if (initStor > maxStor)
        throw py::value_error("init_storage must not exceed max_storage.");
    if (!std::isfinite(factor) || factor < 0)
        throw py::value_error("escape_factor must be a number of 0 or more.");
    const std::size_t n = w.Input.Rows.size();
    if (n < 2)
        throw py::value_error("A simulation needs at least two rows.");
    if (alpha.is_none()) {
        // The alpha function of the analysis with these parameters, as a calibration
        // evaluates a set.
        URainRun::TAnalysisInput set;
        URainRun::ApplyCalibration(URainRun::AsWritten(w.Input), {maxStor, initStor, factor}, set);
        URainRun::TState s;
        URainRun::TEvaluation e;
        {
            py::gil_scoped_release release;
            e = URainRun::Evaluate(set, s, evaluateOptions(robust, predictionReservoir));
        }
        if (e.Stopped)
            fail("The analysis stops: " + URainRun::StopText(e.Stop));
        if (!e.Simulation.Made)
            fail("The simulation of the window needs time steps of positive length.");
        return toArray(s.Simulation.Runoff.data() + 1, n);
    }
    const TModelValues values = alphaOf(alpha);
    thread_local USimulation::TScratch scratch;
    TSimulationFit fit;
    // The window is copied into the simulation's arrays while the lock keeps other threads
    // from changing it.
    USimulation::Load(w.Input, scratch);
    if (factor != 1)
        USimulation::ScaleEscape(w.Input, factor, scratch);
    {
        py::gil_scoped_release release;
        fit = USimulation::Simulate(scratch, maxStor, UsedInitStor(maxStor, initStor), values, 2,
                                    USimulation::TScore::None);
    }
    if (!fit.Made)
        fail("The simulation of the window needs time steps of positive length.");
    return toArray(scratch.Runoff.data() + 1, n);
}

/// A prediction input file run in memory: its series and the runoff (or water level).
py::dict predictFile(const std::string &path)
{
    UPrediction::TState s;
    TCollected said;
    s.FileName = path;
    s.Messages = &said;
    {
        py::gil_scoped_release release;
        std::vector<std::string> lines;
        if (readTextFile(path, lines) != TReadStatus::Ok) {
            said.ShowMessage(CannotOpenText(path));
            s.PredFailed = true;
        } else {
            UPrediction::ReadPredictionLines(s, lines, path);
            if (!s.PredFailed)
                UPrediction::RoutePrediction(s);
        }
    }
    if (s.PredFailed)
        fail(said.Text.empty() ? "The prediction of " + path + " failed." : said.Text);
    const std::size_t n = static_cast<std::size_t>(s.NrOfPred);
    py::dict d;
    d["time"] = toArray(s.PTime.data() + 1, n);
    d["rain"] = toArray(s.Rain.data() + 1, n);
    d["escape"] = toArray(s.PEscape.data() + 1, n);
    d["dead_storage"] = toArray(s.PDeadStor.data() + 1, n);
    d["recharge"] = toArray(s.PRecharge.data() + 1, n);
    d["alpha"] = toArray(s.PAlpha.data() + 1, n);
    d["runoff"] = toArray(s.RunoffCalc.data() + 1, n);
    d["level"] = toArray(s.PLevel.data() + 1, n);
    d["drainage"] = s.Drainage;
    d["alpha_function"] = alphaDict(s.Values);
    return d;
}

int threadsOf(const py::object &threads)
{
    if (threads.is_none())
        return 0;
    const int t = threads.cast<int>();
    if (t < 1 || t > 256)
        throw py::value_error("threads is a whole number from 1 to 256, or None: one per core.");
    return t;
}

int evaluationsOf(int evaluations)
{
    int value = 0;
    std::string message;
    if (!UCalibration::ReadEvaluations(std::to_string(evaluations), "evaluations", value, message))
        throw py::value_error(message);
    return value;
}

UCalibration::TObjective objectiveOf(const std::string &name)
{
    UCalibration::TObjective objective{};
    if (!UCalibration::ObjectiveFromName(name, objective))
        throw py::value_error("objective is nse, kge or rsquare.");
    return objective;
}

py::object calibrate(const TWindow &w, const std::string &objective, int evaluations,
                     const py::object &threads, bool robust, bool predictionReservoir)
{
    UCalibration::TOptions options;
    options.Objective = objectiveOf(objective);
    options.Evaluations = evaluationsOf(evaluations);
    options.Threads = threadsOf(threads);
    options.RobustAlpha = robust;
    options.PredictionReservoir = predictionReservoir;
    UCalibration::TFileCalibration c;
    c.Input = w.Path.empty() ? std::string() : UOutputNames::AbsolutePath(w.Path);
    TCollected said;
    const URainRun::TAnalysisInput input = w.Input; // no other thread changes it meanwhile
    {
        py::gil_scoped_release release;
        c.Run = UCalibration::CalibrateAnalysis(input, options, &said);
    }
    if (c.Run.Status != UCalibration::TStatus::Calibrated)
        fail(said.Text.empty()
                 ? std::string("The calibration ended: ") + UReports::StatusName(c.Run.Status) + "."
                 : said.Text);
    return py::module_::import("json").attr("loads")(
        UReports::CalibrationJson(c, options.Objective));
}

/// Reads an option as the command line reads its text.
void readOption(UValidation::TOption kind, const py::object &value, const char *name,
                UValidation::TOptions &options)
{
    std::string text;
    if (py::isinstance<py::str>(value))
        text = value.cast<std::string>();
    else if (py::isinstance<py::bool_>(value))
        throw py::value_error(std::string(name) + " is no truth value.");
    else
        text = py::str(value).cast<std::string>();
    std::string message;
    if (!UValidation::ReadOption(kind, text, name, options, message))
        throw py::value_error(message);
}

py::object validate(const TWindow &cal, const TWindow &val, const std::string &objective,
                    bool calibrateCal, const py::object &escapeFactor,
                    const py::object &initStorage, const py::object &warmup, const py::object &band,
                    int evaluations, const py::object &threads, bool robust,
                    bool predictionReservoir)
{
    UValidation::TOptions o;
    o.Objective = objectiveOf(objective);
    o.Calibrate = calibrateCal;
    if (!escapeFactor.is_none()) {
        if (calibrateCal)
            throw py::value_error(
                "escape_factor goes with calibrate=False: a calibration finds the factor.");
        readOption(UValidation::TOption::EscapeFactor, escapeFactor, "escape_factor", o);
    }
    readOption(UValidation::TOption::InitStorage, initStorage, "init_storage", o);
    readOption(UValidation::TOption::Warmup, warmup, "warmup", o);
    if (!band.is_none())
        readOption(UValidation::TOption::Band, band, "band", o);
    o.Evaluations = evaluationsOf(evaluations);
    o.Threads = threadsOf(threads);
    o.RobustAlpha = robust;
    o.PredictionReservoir = predictionReservoir;
    UValidation::TValidation v;
    const TWindow calCopy = cal, valCopy = val; // no other thread changes them meanwhile
    {
        py::gil_scoped_release release;
        v = UValidation::Validate(calCopy.Input, calCopy.Path, valCopy.Input, valCopy.Path, o);
    }
    if (v.Status != UValidation::TStatus::Validated)
        fail(v.Message);
    return py::module_::import("json").attr("loads")(UReports::ValidationJson(v));
}

TFitMeasures fitOf(const py::array_t<double, py::array::forcecast> &simulated,
                   const py::array_t<double, py::array::forcecast> &observed)
{
    const std::vector<double> o = finiteValues(observed, "observed");
    const std::vector<double> s =
        finiteValues(simulated, "simulated", static_cast<py::ssize_t>(o.size()));
    if (o.size() < 2)
        throw py::value_error("A fit needs at least two values.");
    const TFitMeasures f = FitMeasures(s.data(), o.data(), o.size());
    if (!f.Valid)
        throw py::value_error("The observed values do not vary: the fit is not defined.");
    return f;
}

} // namespace

PYBIND11_MODULE(_quellow, m)
{
    m.doc() = "The Quellow core: two reservoirs in series between rainfall and runoff.";
    quellowError = PyErr_NewException("quellow.QuellowError", PyExc_RuntimeError, nullptr);
    m.attr("QuellowError") = py::handle(quellowError);

    py::class_<TWindow>(m, "Input", "An analysis window: the values of an analysis input file.")
        .def(py::init(&makeWindow), py::arg("time"), py::arg("rain"), py::arg("escape"),
             py::arg("runoff"), py::kw_only(), py::arg("max_storage"), py::arg("init_storage"),
             py::arg("max_escape") = py::none(), py::arg("title1") = "", py::arg("title2") = "",
             "A window from series of equal length (time at the end of each step, rain, escape "
             "rate and measured runoff per time unit) and the storages in mm.")
        .def_readonly("path", &TWindow::Path)
        .def_property_readonly("rows", [](const TWindow &w) { return w.Input.Rows.size(); })
        .def_property(
            "title1", [](const TWindow &w) { return w.Input.Title1; },
            [](TWindow &w, const std::string &t) { w.Input.Title1 = t; })
        .def_property(
            "title2", [](const TWindow &w) { return w.Input.Title2; },
            [](TWindow &w, const std::string &t) { w.Input.Title2 = t; })
        .def_property_readonly("time_unit", [](const TWindow &w) { return w.Input.TimeUnit; })
        .def_property_readonly("depth_unit", [](const TWindow &w) { return w.Input.DepthUnit; })
        .def_property(
            "max_storage", [](const TWindow &w) { return w.Input.MaxSto; },
            [](TWindow &w, double v) { w.Input.MaxSto = checkedStorage(v, "max_storage"); })
        .def_property(
            "init_storage", [](const TWindow &w) { return w.Input.IniSto; },
            [](TWindow &w, double v) { w.Input.IniSto = checkedStorage(v, "init_storage"); })
        .def_property(
            "max_escape", [](const TWindow &w) { return w.Input.MaxEsc; },
            [](TWindow &w, double v) { w.Input.MaxEsc = checkedStorage(v, "max_escape"); })
        .def_property(
            "time", [](const TWindow &w) { return column(w, &URainRun::TAnalysisRow::Time); },
            [](TWindow &w, const py::array_t<double, py::array::forcecast> &a) {
                setColumn(w, &URainRun::TAnalysisRow::Time, a, "time");
            })
        .def_property(
            "rain", [](const TWindow &w) { return column(w, &URainRun::TAnalysisRow::Rain); },
            [](TWindow &w, const py::array_t<double, py::array::forcecast> &a) {
                setColumn(w, &URainRun::TAnalysisRow::Rain, a, "rain");
            })
        .def_property(
            "escape", [](const TWindow &w) { return column(w, &URainRun::TAnalysisRow::Escape); },
            [](TWindow &w, const py::array_t<double, py::array::forcecast> &a) {
                setColumn(w, &URainRun::TAnalysisRow::Escape, a, "escape");
            })
        .def_property(
            "runoff", [](const TWindow &w) { return column(w, &URainRun::TAnalysisRow::Runoff); },
            [](TWindow &w, const py::array_t<double, py::array::forcecast> &a) {
                setColumn(w, &URainRun::TAnalysisRow::Runoff, a, "runoff");
            })
        .def("__len__", [](const TWindow &w) { return w.Input.Rows.size(); })
        .def("__repr__", [](const TWindow &w) {
            return "<quellow.Input " + (w.Path.empty() ? std::string("(no file)") : w.Path) + ", " +
                   std::to_string(w.Input.Rows.size()) + " rows>";
        });

    m.attr("_cli_built") = QUELLOW_CLI_BUILT;
    // The box a calibration searches.
    m.attr("MIN_MAX_STORAGE") = UCalibration::MinMaxStor;
    m.attr("MAX_MAX_STORAGE") = UCalibration::MaxMaxStor;
    m.attr("MIN_INIT_STORAGE") = UCalibration::MinInitStor;
    m.attr("MAX_ESCAPE_FACTOR") = UCalibration::MaxFactor;
    // The text of a number in the JSON of quellow-cli, for the test of its round trip.
    m.def("_json_number", [](double value) { return jsonNumber(value); });
    m.def("read_input", &readInput, py::arg("path"),
          "Reads an analysis input file; QuellowError with the core's message when it cannot.");
    m.def("analyse", &analyse, py::arg("inp"), py::arg("robust_alpha") = false,
          py::arg("prediction_reservoir") = false,
          "The analysis of a window: the alpha function, the fits and the series.");
    m.def("simulate", &simulate, py::arg("inp"), py::kw_only(), py::arg("max_storage"),
          py::arg("init_storage"), py::arg("escape_factor") = 1.0, py::arg("alpha") = py::none(),
          py::arg("robust_alpha") = false, py::arg("prediction_reservoir") = false,
          "The window's runoff simulated as a prediction runs it: with the alpha function given "
          "(A1, B1, A2, B2, Divide), or with None the one the analysis with these parameters "
          "finds.");
    m.def("_predict_file", &predictFile, py::arg("path"));
    m.def("calibrate", &calibrate, py::arg("inp"), py::arg("objective") = "nse",
          py::arg("evaluations") = UCalibration::DefaultEvaluations,
          py::arg("threads") = py::none(), py::arg("robust_alpha") = false,
          py::arg("prediction_reservoir") = false,
          "Calibrates the window in memory; the dictionary of a calibration's JSON report.");
    m.def("validate", &validate, py::arg("cal"), py::arg("val"), py::arg("objective") = "nse",
          py::arg("calibrate") = true, py::arg("escape_factor") = py::none(),
          py::arg("init_storage") = "cal", py::arg("warmup") = 0, py::arg("band") = py::none(),
          py::arg("evaluations") = UCalibration::DefaultEvaluations,
          py::arg("threads") = py::none(), py::arg("robust_alpha") = false,
          py::arg("prediction_reservoir") = false,
          "Split-sample validation of cal on val; the dictionary of a validation's JSON report.");
    m.def(
        "nse",
        [](const py::array_t<double, py::array::forcecast> &simulated,
           const py::array_t<double, py::array::forcecast> &observed) {
            return fitOf(simulated, observed).NSE;
        },
        py::arg("simulated"), py::arg("observed"), "Nash-Sutcliffe efficiency.");
    m.def(
        "kge",
        [](const py::array_t<double, py::array::forcecast> &simulated,
           const py::array_t<double, py::array::forcecast> &observed) {
            return fitOf(simulated, observed).KGE;
        },
        py::arg("simulated"), py::arg("observed"), "Kling-Gupta efficiency (2009).");
}
