#pragma once

#include "cli/CliCommands.h"
#include "cli/CliShard.h"
#include "runs/UFitMeasures.h"
#include "files/UPrompts.h"
#include "reports/UReports.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quellow::cli {

/// Collects the messages of one file; with echo they also go to standard error as they come.
class TMessageLog final : public TPrompts
{
public:
    explicit TMessageLog(bool echo = false) : mEcho(echo) {}
    void ShowMessage(const std::string &text) override;
    bool Confirm(const std::string &text) override;
    std::vector<std::string> Lines;

private:
    bool mEcho;
};

/// One row of a batch's summary: what a run or a calibration of one file gave.
struct TFileResult
{
    std::string File;    ///< as given on the command line, or folder/name
    std::string Mode;    ///< "analysis", "prediction runoff", "prediction drainage" or empty
    int Rows = 0;        ///< data rows of the file
    bool Ok = false;     ///< the file's outputs were written
    bool Fitted = false; ///< the figures below hold (an analysis that ran)
    double RSquare = 0, NSE = 0, KGE = 0, VolumeError = 0, Divide = 0;
    std::optional<double> MaxStor, InitStor, EscapeFactor;
    /// An analysis: the simulation of its window with the prediction run's routing.
    std::optional<TSimulationFit> Simulation;
    std::vector<std::string> Messages;
};

// The JSON of a simulation's figures and of one figure, as every report prints them.
using UReports::JsonFigure;
using UReports::SimulationJson;

/// The message for a simulation whose initial runoff the prediction's rule raised (empty when
/// it did not): firstRunoff is the first measured runoff.
std::string RaisedInitialRunoffText(const TSimulationFit &simulation, double firstRunoff);

/// The work done on one file; its messages go to the given prompts.
using TFileJob = std::function<TFileResult(const std::string &file, TPrompts &prompts)>;

/// The value of --threads: a whole number from 1 to 256. False, with a line on standard error
/// begun by prefix, when text is none.
bool ReadThreads(const std::string &text, int &threads, const std::string &prefix = {});

/// Options every batch command takes beside its files.
struct TBatchOptions
{
    std::vector<std::string> Inputs; ///< files and folders as given
    int Threads = 0;                 ///< 0: one per core
    std::string CsvFile;             ///< the summary as CSV, when given
    bool Json = false;               ///< the summary as JSON on standard output
    bool Batch = false;              ///< a batch was asked for (several inputs, a folder, --csv)
    TShardOptions Sharding;          ///< --shard K/N, --skip-done
};

/// Takes --threads N, --csv FILE, --json, --shard K/N and --skip-done out of args; the rest are
/// inputs. False (with a
/// line on standard error) for a bad value or an unknown option.
bool ParseBatchOptions(const TArgs &args, const std::string &command, TBatchOptions &options);

/// The files of the inputs: a folder gives its *.inp files, sorted by name, but for those whose
/// name ends in skipped (when given). False (with a line on standard error) when a folder holds
/// none.
bool ExpandInputs(const std::vector<std::string> &inputs, std::vector<std::string> &files,
                  std::string_view skipped = {});

/// Runs job on every file, spread over threads. Each file's messages are written to standard
/// error as one block, in the order of the files, whatever the thread count. A job that throws
/// gives a failed row; the others go on.
std::vector<TFileResult> RunFiles(const std::vector<std::string> &files, int threads,
                                  const TFileJob &job);

/// The summary: a table (or JSON) on standard output and the CSV file when asked for.
/// Returns the exit status: 0 when every file succeeded, 1 otherwise.
int ReportBatch(const std::vector<TFileResult> &results, const TBatchOptions &options);

/// Runs the files as a batch (RunSlice): a slice of them with --shard or in a Slurm array task,
/// leaving those done with --skip-done (writes gives the files the job writes for a file), with
/// the summary of ReportBatch. Returns the exit status.
int RunBatch(const std::string &command, const std::vector<std::string> &files,
             const TBatchOptions &options, const TFileJob &job,
             std::vector<std::string> (*writes)(const std::string &));

/// The CSV text of a summary (RFC 4180: CR LF, quoted fields where needed).
std::string SummaryCsv(const std::vector<TFileResult> &results);
/// One JSON object for a file's row (one line).
std::string ResultJson(const TFileResult &result);

} // namespace quellow::cli
