#include "QuellowVersion.h"
#include "cli/CliCommands.h"
#include "cli/CliLocale.h"
#include "files/UTextFields.h"
#include "tasks/UTaskPool.h"

#include <cstdio>
#include <string>
#include <utility>

namespace {

const char *const usage =
    "Usage: quellow-cli COMMAND [ARGUMENTS]\n"
    "\n"
    "Runs the Quellow rainfall-runoff model without a display.\n"
    "\n"
    "Commands:\n"
    "  run FILE.inp [--json]\n"
    "      Runs the input file (analysis or prediction, as its second line says) and writes\n"
    "      FILE.out beside it; an analysis also writes the trend file FILE.dat.\n"
    "      Every message of the run goes to standard error, one per line, in order.\n"
    "      Exit status 0 when the output file was written, 1 otherwise. --json prints the\n"
    "      figures of the run (R square, NSE, KGE, volume error, divide) as JSON.\n"
    "  run FILE.inp|FOLDER ... [--threads N] [--csv SUMMARY.csv] [--json]\n"
    "      Runs many files (a folder: its *.inp files) on N threads and prints a summary\n"
    "      table (quellow-cli run --help).\n"
    "  chart FILE.out --kind N -o IMAGE.bmp|IMAGE.png [--describe]\n"
    "      Draws chart kind N (1 to 8) of an output file into a 623 x 465 image.\n"
    "      With --describe, prints the chart's layout as one JSON object instead.\n"
    "  alfa KA KB D U P L\n"
    "      The alpha calculator of a drainage system: conductivities above and below the\n"
    "      drains, depth, wet perimeter, drainable porosity and drain spacing.\n"
    "  import FILE.csv --mode analysis|prediction -o OUT.inp [OPTIONS]\n"
    "      Makes an input file from a dated series (quellow-cli import --help).\n"
    "  convert IN.inp -o OUT.inp\n"
    "      Writes any input file the program opens in the current layout.\n"
    "  calibrate FILE.inp [-o OUT.inp] [--objective nse|kge|rsquare] [--json]\n"
    "            [--evaluations N] [--threads N] [--robust-alpha] [--prediction-reservoir]\n"
    "      Calibrates the first reservoir of an analysis file for the simulation's NSE\n"
    "      (default), its KGE or the reconstruction's R square, and writes and runs the\n"
    "      calibrated input file (default FILE-calibrated.inp).\n"
    "  calibrate FILE.inp|FOLDER ... [--threads N] [--evaluations N] [--csv SUMMARY.csv]\n"
    "      Calibrates many files (a folder: its *.inp files) on N threads and prints a\n"
    "      summary table (CSV with --csv, JSON with --json).\n"
    "  calibrate --joint A.inp B.inp ...|FOLDER [--objective nse|kge] [--warmup K]\n"
    "            [--init-storage fraction|full] [--json] [-o DIR] [OPTIONS]\n"
    "      Calibrates one parameter set and alpha function on several windows at once\n"
    "      (quellow-cli calibrate --joint --help).\n"
    "  validate CAL.inp VAL.inp [--objective nse|kge|rsquare] [--no-calibrate] [--json]\n"
    "           [--init-storage cal|full|X] [--warmup K] [--band D] [-o DIR]\n"
    "           [--robust-alpha] [--prediction-reservoir]\n"
    "      Calibrates CAL, simulates VAL with its parameters and alpha function as a\n"
    "      prediction runs it, and scores it beside benchmarks (quellow-cli validate --help).\n"
    "  validate --chain A.inp B.inp C.inp ... [--threads N] [--csv SUMMARY.csv]\n"
    "      Validates each file on the next and prints one summary table.\n"
    "  validate --leave-one-out A.inp B.inp ...|FOLDER [--joint-size K | --rolling K]\n"
    "           [--json] [--csv SUMMARY.csv] [OPTIONS]\n"
    "      Validates each window on the joint calibration of the others, or of the K\n"
    "      windows before it (quellow-cli validate --leave-one-out --help).\n"
    "  --help\n"
    "      Shows this text.\n"
    "  --version\n"
    "      Shows the version.\n";

/// The commands that do the work, by the name given as the first argument.
const std::pair<const char *, int (*)(const quellow::cli::TArgs &)> commands[] = {
    {"run", quellow::cli::RunCommand},           {"chart", quellow::cli::ChartCommand},
    {"alfa", quellow::cli::AlfaCommand},         {"import", quellow::cli::ImportCommand},
    {"convert", quellow::cli::ConvertCommand},   {"calibrate", quellow::cli::CalibrateCommand},
    {"validate", quellow::cli::ValidateCommand},
};

/// The command's exit status. A fault that no command caught (memory that ran out on one of its
/// threads) ends it with a line on standard error and status 1.
int runCommand(int (*run)(const quellow::cli::TArgs &), const quellow::cli::TArgs &args)
{
    try {
        return run(args);
    } catch (...) {
        const quellow::UTaskPool::TFault fault = quellow::UTaskPool::CurrentFault();
        if (fault.OutOfMemory)
            std::fputs("quellow-cli stopped: there is not enough memory.\n", stderr);
        else if (!fault.What.empty())
            std::fprintf(stderr, "quellow-cli stopped: %s\n", fault.What.c_str());
        else
            std::fputs("quellow-cli stopped on an unknown error.\n", stderr);
    }
    return 1;
}

} // namespace

bool quellow::cli::ShowsHelp(const TArgs &args, const char *usage)
{
    if (args.size() != 1 || (args[0] != "--help" && args[0] != "-h"))
        return false;
    std::fputs(usage, stdout);
    return true;
}

int main(int argc, char **argv)
{
    quellow::cli::StartProgram();

    const std::string command = argc > 1 ? argv[1] : "";
    const quellow::cli::TArgs args(argv + (argc > 1 ? 2 : 1), argv + argc);
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(usage, stdout);
        return 0;
    }
    if (command == "--version") {
        std::fputs("quellow-cli " QUELLOW_VERSION "\n", stdout);
        return 0;
    }
    for (const auto &[name, run] : commands)
        if (command == name)
            return runCommand(run, args);
    std::fputs(usage, stderr);
    return 2;
}
