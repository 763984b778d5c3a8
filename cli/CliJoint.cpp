#include "cli/CliJoint.h"
#include "cli/CliBatch.h"
#include "calibration/UValidation.h"
#include "files/UTextFields.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iostream>

namespace quellow::cli {

namespace {

bool contains(const std::vector<std::string> &names, const std::string &name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

/// A count of windows: a whole number of 1 or more.
bool readWindowCount(const std::string &name, const std::string &text, int &count)
{
    if (parseInt(text, count) && count >= 1)
        return true;
    std::cerr << name << " needs a whole number of 1 or more.\n";
    return false;
}

/// The value of option name into out; false (with a line on standard error) when it does not
/// read. The objective's name is read here; whether it suits is judged after.
bool readValue(const std::string &name, const std::string &text, TJointArgs &out,
               UJointCalibration::TObjective &objective)
{
    UJointCalibration::TOptions &o = out.Options;
    std::string message;
    if (name == "--objective") {
        if (UCalibration::ObjectiveFromName(text, objective))
            return true;
        message = "--objective is nse or kge.";
    } else if (name == "--warmup") {
        UValidation::TOptions read;
        if (UValidation::ReadOption(UValidation::TOption::Warmup, text, name, read, message)) {
            o.Warmup = read.Warmup;
            return true;
        }
    } else if (name == "--init-storage") {
        if (text == "fraction" || text == "full") {
            o.InitStorage = text == "full" ? UJointCalibration::TInitStorage::Full
                                           : UJointCalibration::TInitStorage::Fraction;
            return true;
        }
        message = "--init-storage is fraction or full.";
    } else if (name == "--evaluations") {
        if (UCalibration::ReadEvaluations(text, name, o.Evaluations, message))
            return true;
    } else if (name == "--threads") {
        return ReadThreads(text, o.Threads);
    } else if (name == "--joint-size") {
        return readWindowCount(name, text, out.JointSize);
    } else if (name == "--rolling") {
        return readWindowCount(name, text, out.Rolling);
    } else if (std::string *path = name == "-o"      ? &out.OutputDir
                                   : name == "--csv" ? &out.CsvFile
                                                     : nullptr) {
        *path = text;
        return true;
    }
    if (!message.empty())
        std::cerr << message << '\n';
    return false;
}

} // namespace

int ReadJointArgs(const TArgs &args, const std::string &flag, const std::vector<std::string> &extra,
                  const char *usage, TJointArgs &out)
{
    static const std::vector<std::string> shared = {"--objective", "--warmup", "--init-storage",
                                                    "--evaluations", "--threads"};
    UJointCalibration::TObjective objective = UJointCalibration::TObjective::NSE;
    bool help = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        bool understood = true;
        if (a == "--help" || a == "-h")
            help = true;
        else if (a == "--json")
            out.Json = true;
        else if (a == "--robust-alpha")
            out.Options.RobustAlpha = true;
        else if (a == "--prediction-reservoir")
            out.Options.PredictionReservoir = true;
        else if ((contains(shared, a) || contains(extra, a)) && i + 1 < args.size())
            understood = readValue(a, args[++i], out, objective);
        else if (!a.empty() && a[0] != '-')
            out.Inputs.push_back(a);
        else
            understood = a == flag;
        if (!understood) {
            std::cerr << usage;
            return 2;
        }
    }
    if (help) {
        std::cout << usage;
        return 0;
    }
    if (objective == UJointCalibration::TObjective::RSquare) {
        std::cerr << "The objective of " << flag
                  << " is nse or kge: it scores the simulations of the windows, and the R square "
                     "belongs to one reconstruction.\n";
        return 1;
    }
    out.Options.Objective = objective;
    if (out.Inputs.empty()) {
        std::cerr << flag << " needs at least one input file or a folder of them.\n";
        return 1;
    }
    return -1;
}

bool ReadJointWindows(const std::vector<std::string> &inputs,
                      std::vector<UJointCalibration::TWindow> &windows)
{
    std::vector<std::string> files;
    for (const std::string &input : inputs) {
        std::vector<std::string> found;
        if (!ExpandInputs({input}, found, "-calibrated.inp"))
            return false;
        // A folder's files that an earlier joint calibration wrote there are no windows.
        std::error_code error;
        if (std::filesystem::is_directory(input, error))
            std::erase_if(found, [](const std::string &f) {
                std::string name = std::filesystem::path(f).filename().string();
                for (char &c : name)
                    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
                return name.ends_with("-joint.inp");
            });
        files.insert(files.end(), found.begin(), found.end());
    }
    windows.resize(files.size());
    for (std::size_t k = 0; k < files.size(); ++k) {
        std::string message;
        if (!UJointCalibration::ReadWindow(files[k], windows[k], message)) {
            std::cerr << message << '\n';
            return false;
        }
        windows[k].File = files[k];
    }
    return true;
}

} // namespace quellow::cli
