#pragma once

#include "cli/CliCommands.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quellow::cli {

/// Slice Index of Count of a batch's inputs (1 <= Index <= Count). Slice K of N holds the inputs
/// i (counted from 0 in their fixed order) with i mod N == K - 1: every input is in one slice,
/// the slices differ by one input at most, and a run of long inputs is dealt out over the slices.
struct TShard
{
    int Index = 1;
    int Count = 1;
};

/// What --shard and --skip-done ask of a batch.
struct TShardOptions
{
    std::optional<TShard> Shard; ///< --shard K/N, or a Slurm array task's slice
    bool SkipDone = false;       ///< --skip-done
};

/// Reads "K/N" (1 <= K <= N <= 1000000); false when it does not read.
bool ParseShard(std::string_view text, TShard &shard);

/// Takes --shard K/N and --skip-done out of args. False (with a line on standard error, prefixed
/// with "quellow-cli COMMAND: ") for a bad value.
bool TakeShardOptions(TArgs &args, const std::string &command, TShardOptions &options);

/// A reader of the environment (getenv, or a test's table).
using TEnvironment = std::function<const char *(const char *)>;

/// Without a shard given, inside a task of a Slurm job array: its slice, from
/// SLURM_ARRAY_TASK_ID less SLURM_ARRAY_TASK_MIN (over SLURM_ARRAY_TASK_STEP) and
/// SLURM_ARRAY_TASK_COUNT, said on standard error. False (with a line) when the array's numbers
/// give no slice (an array of scattered task ids: --shard is needed then).
bool ShardFromSlurm(const std::string &command, TShardOptions &options,
                    const TEnvironment &environment);

/// The summary file of a slice: name with "-K-of-N" before its extension, K as wide as N
/// ("sum.csv", 3 of 12: "sum-03-of-12.csv").
std::string SliceFileName(const std::string &name, const TShard &shard);

/// One record of a CSV text as written: Raw is its text with its line end.
struct TCsvRecord
{
    std::string Raw;
    std::vector<std::string> Fields;
};

/// The records of a CSV text (RFC 4180: quoted fields may hold commas, quotes and line ends).
/// False when a quote is left open or the last record has no line end.
bool SplitCsv(std::string_view text, std::vector<TCsvRecord> &records);

/// The layout of a summary: how many leading fields name an input, which field holds its status
/// and the status of an input done.
struct TSummaryLayout
{
    std::size_t KeyFields = 1;
    std::size_t StatusField = 11;
    std::string_view Done = "ok";
};

/// One input of a batch: its key (the summary's key fields joined by '\n'), the files it reads
/// and the files its work writes (empty: the summary's row is its only output).
struct TBatchUnit
{
    std::string Key;
    std::vector<std::string> Reads;
    std::vector<std::string> Writes;
};

/// The work of a slice: runs the units of the positions given, prints their table, puts their
/// summary (header first, in the order given) in csv and returns the exit status.
using TSliceWork = std::function<int(const std::vector<std::size_t> &units, std::string &csv)>;

/// Runs a batch: with a shard, only its slice of the units in the order given; with
/// --skip-done, leaves each unit that is done: every file it writes is there and newer than what
/// it reads, and when a summary is asked for, the slice's summary is newer too and holds its row
/// with the done status (the row is kept as it stands). Writes the summary (csvFile, with the
/// slice in its name) unless it holds those bytes already. Returns the exit status of work, or 1
/// when the summary could not be written.
int RunSlice(const std::string &command, const std::vector<TBatchUnit> &units,
             const TShardOptions &options, const std::string &csvFile, const TSummaryLayout &layout,
             const TSliceWork &work);

/// The files a run of the input file writes (by the mode its second line names; none when it is
/// not an input file).
std::vector<std::string> RunWrites(const std::string &file);
/// The files a calibration of the analysis file writes: FILE-calibrated.inp and its run's.
std::vector<std::string> CalibrateWrites(const std::string &file);

} // namespace quellow::cli
