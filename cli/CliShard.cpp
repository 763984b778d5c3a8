#include "cli/CliShard.h"
#include "cli/CliBatch.h"
#include "files/UFileUtil.h"
#include "files/UInputFile.h"
#include "files/UOutputNames.h"
#include "files/UTextFields.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <iostream>
#include <map>
#include <numeric>

namespace quellow::cli {

namespace fs = std::filesystem;

bool ParseShard(std::string_view text, TShard &shard)
{
    const std::size_t slash = text.find('/');
    if (slash == std::string_view::npos)
        return false;
    int k = 0, n = 0;
    if (!parseInt(text.substr(0, slash), k) || !parseInt(text.substr(slash + 1), n) || n < 1 ||
        n > 1000000 || k < 1 || k > n)
        return false;
    shard = {k, n};
    return true;
}

bool TakeShardOptions(TArgs &args, const std::string &command, TShardOptions &options)
{
    TArgs rest;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--skip-done") {
            options.SkipDone = true;
        } else if (args[i] == "--shard" && i + 1 < args.size()) {
            TShard shard;
            if (!ParseShard(args[++i], shard)) {
                std::cerr << "quellow-cli " << command
                          << ": --shard needs K/N, whole numbers with 1 <= K <= N.\n";
                return false;
            }
            options.Shard = shard;
        } else {
            rest.push_back(args[i]);
        }
    }
    args = std::move(rest);
    return true;
}

namespace {

bool readNumber(const TEnvironment &environment, const char *name, long long &value)
{
    const char *text = environment(name);
    if (text == nullptr || *text == '\0')
        return false;
    const std::string_view view(text);
    const auto [end, error] = std::from_chars(view.data(), view.data() + view.size(), value);
    return error == std::errc() && end == view.data() + view.size();
}

} // namespace

bool ShardFromSlurm(const std::string &command, TShardOptions &options,
                    const TEnvironment &environment)
{
    long long id = 0, count = 0, min = 0, step = 1;
    if (options.Shard || !readNumber(environment, "SLURM_ARRAY_TASK_ID", id))
        return true;
    const std::string prefix = "quellow-cli " + command + ": ";
    if (!readNumber(environment, "SLURM_ARRAY_TASK_COUNT", count) ||
        !readNumber(environment, "SLURM_ARRAY_TASK_MIN", min)) {
        std::cerr << prefix
                  << "this Slurm array task does not say the array's size "
                     "(SLURM_ARRAY_TASK_COUNT, SLURM_ARRAY_TASK_MIN): give --shard K/N.\n";
        return false;
    }
    if (!readNumber(environment, "SLURM_ARRAY_TASK_STEP", step) || step < 1)
        step = 1;
    const long long offset = id - min;
    if (count < 1 || count > 1000000 || offset < 0 || offset % step != 0 ||
        offset / step >= count) {
        std::cerr << prefix << "the Slurm array task " << id << " (of " << count << " from " << min
                  << ") is not one of evenly spaced task ids: give --shard K/N.\n";
        return false;
    }
    options.Shard = TShard{static_cast<int>(offset / step) + 1, static_cast<int>(count)};
    std::cerr << prefix << "slice " << options.Shard->Index << " of " << count
              << ", as the Slurm array task " << id << " (SLURM_ARRAY_TASK_ID less "
              << "SLURM_ARRAY_TASK_MIN " << min << ", of SLURM_ARRAY_TASK_COUNT " << count
              << ").\n";
    return true;
}

std::string SliceFileName(const std::string &name, const TShard &shard)
{
    const fs::path path(name);
    const std::string count = std::to_string(shard.Count);
    std::string index = std::to_string(shard.Index);
    index.insert(0, count.size() - index.size(), '0');
    const std::string stem = path.stem().string() + "-" + index + "-of-" + count;
    return (path.parent_path() / (stem + path.extension().string())).string();
}

bool SplitCsv(std::string_view text, std::vector<TCsvRecord> &records)
{
    std::size_t i = 0;
    while (i < text.size()) {
        TCsvRecord record;
        record.Fields.emplace_back();
        const std::size_t start = i;
        bool quoted = false, ended = false;
        while (i < text.size() && !ended) {
            const char c = text[i++];
            if (quoted) {
                if (c == '"' && i < text.size() && text[i] == '"')
                    record.Fields.back() += text[i++];
                else if (c == '"')
                    quoted = false;
                else
                    record.Fields.back() += c;
            } else if (c == '"') {
                quoted = true;
            } else if (c == ',') {
                record.Fields.emplace_back();
            } else if (c == '\n' || (c == '\r' && i < text.size() && text[i] == '\n')) {
                i += c == '\r';
                ended = true;
            } else {
                record.Fields.back() += c;
            }
        }
        if (!ended)
            return false;
        record.Raw = std::string(text.substr(start, i - start));
        records.push_back(std::move(record));
    }
    return true;
}

namespace {

/// The key of a record: its first count fields joined by '\n' (empty when it has fewer).
std::string recordKey(const TCsvRecord &record, std::size_t count)
{
    if (record.Fields.size() < count)
        return {};
    std::string key;
    for (std::size_t f = 0; f < count; ++f)
        key += (f ? "\n" : "") + record.Fields[f];
    return key;
}

std::optional<fs::file_time_type> modified(const std::string &path)
{
    std::error_code error;
    if (!fs::is_regular_file(path, error))
        return std::nullopt;
    const fs::file_time_type time = fs::last_write_time(path, error);
    if (error)
        return std::nullopt;
    return time;
}

/// The newest time of the files (nullopt when one is missing).
std::optional<fs::file_time_type> newest(const std::vector<std::string> &files)
{
    fs::file_time_type latest = fs::file_time_type::min();
    for (const std::string &file : files) {
        const auto time = modified(file);
        if (!time)
            return std::nullopt;
        latest = std::max(latest, *time);
    }
    return latest;
}

/// Every file of writes is there and newer than since.
bool writtenSince(const std::vector<std::string> &writes, fs::file_time_type since)
{
    return std::all_of(writes.begin(), writes.end(), [since](const std::string &file) {
        const auto time = modified(file);
        return time && *time > since;
    });
}

/// The rows of a summary file written before, by key (none when it is missing or does not read).
std::map<std::string, std::string> earlierRows(const std::string &file,
                                               const TSummaryLayout &layout)
{
    std::map<std::string, std::string> rows;
    std::string text;
    std::vector<TCsvRecord> records;
    if (readWholeFile(file, text) != TReadStatus::Ok || !SplitCsv(text, records))
        return rows;
    for (std::size_t r = 1; r < records.size(); ++r)
        if (records[r].Fields.size() > layout.StatusField &&
            records[r].Fields[layout.StatusField] == layout.Done)
            rows.emplace(recordKey(records[r], layout.KeyFields), records[r].Raw);
    return rows;
}

} // namespace

int RunSlice(const std::string &command, const std::vector<TBatchUnit> &units,
             const TShardOptions &options, const std::string &csvFile, const TSummaryLayout &layout,
             const TSliceWork &work)
{
    const std::string prefix = "quellow-cli " + command + ": ";
    std::vector<std::size_t> slice(units.size());
    std::iota(slice.begin(), slice.end(), std::size_t{0});
    std::string summary = csvFile;
    if (options.Shard) {
        const auto count = static_cast<std::size_t>(options.Shard->Count);
        const auto index = static_cast<std::size_t>(options.Shard->Index - 1);
        slice.clear();
        for (std::size_t i = index; i < units.size(); i += count)
            slice.push_back(i);
        if (!summary.empty())
            summary = SliceFileName(csvFile, *options.Shard);
        std::cerr << prefix << "slice " << options.Shard->Index << " of " << options.Shard->Count
                  << ": " << slice.size() << " of " << units.size() << " inputs"
                  << (summary.empty() ? "" : ", summary in " + summary) << ".\n";
    }

    // Each position of the slice: its row kept from the summary written before, or empty.
    std::vector<std::string> kept(slice.size());
    std::vector<std::size_t> todo;
    if (options.SkipDone) {
        std::map<std::string, std::string> rows;
        std::optional<fs::file_time_type> summaryTime;
        if (!summary.empty()) {
            rows = earlierRows(summary, layout);
            summaryTime = modified(summary);
        }
        for (std::size_t p = 0; p < slice.size(); ++p) {
            const TBatchUnit &unit = units[slice[p]];
            const auto read = newest(unit.Reads);
            bool done = read && (!unit.Writes.empty() || !summary.empty()) &&
                        writtenSince(unit.Writes, *read);
            if (done && !summary.empty()) {
                const auto row = rows.find(unit.Key);
                done = summaryTime && *summaryTime > *read && row != rows.end();
                if (done)
                    kept[p] = row->second;
            }
            if (!done)
                todo.push_back(slice[p]);
        }
        std::cerr << prefix << "skipped " << slice.size() - todo.size() << " of " << slice.size()
                  << " inputs: their outputs are complete.\n";
    } else {
        todo = slice;
    }

    std::string csv;
    int status = work(todo, csv);
    if (summary.empty())
        return status;
    std::vector<TCsvRecord> made;
    if (!SplitCsv(csv, made) || made.size() != todo.size() + 1)
        return 1; // the work's own summary is always whole
    std::string text = made[0].Raw;
    std::size_t next = 1;
    for (std::size_t p = 0; p < slice.size(); ++p)
        text += kept[p].empty() ? made[next++].Raw : kept[p];
    std::string before;
    if (options.SkipDone && readWholeFile(summary, before) == TReadStatus::Ok && before == text)
        return status; // nothing changed: the file stays as it was
    if (!writeFileAtomically(summary, text)) {
        std::cerr << "The summary file \"" << summary << "\" could not be written.\n";
        return 1;
    }
    return status;
}

std::vector<std::string> RunWrites(const std::string &file)
{
    std::vector<std::string> lines;
    if (!LoadInputLines(UOutputNames::AbsolutePath(file), lines) || lines.size() < 2)
        return {};
    const TInputMode mode = ModeOfLine(lines[1]);
    if (mode == TInputMode::Unknown)
        return {};
    std::vector<std::string> writes;
    for (const UOutputNames::TNamedFile &output :
         UOutputNames::RunOutputs(UOutputNames::AbsolutePath(file), mode == TInputMode::Analysis))
        writes.push_back(output.Path);
    return writes;
}

std::vector<std::string> CalibrateWrites(const std::string &file)
{
    const std::string calibrated = UOutputNames::CalibratedName(UOutputNames::AbsolutePath(file));
    std::vector<std::string> writes{calibrated};
    for (const UOutputNames::TNamedFile &output : UOutputNames::RunOutputs(calibrated, true))
        writes.push_back(output.Path);
    return writes;
}

int RunBatch(const std::string &command, const std::vector<std::string> &files,
             const TBatchOptions &options, const TFileJob &job,
             std::vector<std::string> (*writes)(const std::string &))
{
    TShardOptions sharding = options.Sharding;
    if (!ShardFromSlurm(command, sharding, [](const char *name) { return std::getenv(name); }))
        return 2;
    std::vector<std::string> ordered = files;
    if (sharding.Shard) // every task takes its slice of one order, however the shell listed them
        std::stable_sort(ordered.begin(), ordered.end());
    std::vector<TBatchUnit> units;
    for (const std::string &file : ordered)
        units.push_back({file, {file}, sharding.SkipDone ? writes(file) : TArgs{}});
    TBatchOptions report = options;
    report.CsvFile.clear();
    const TSliceWork work = [&](const std::vector<std::size_t> &todo, std::string &csv) {
        std::vector<std::string> chosen;
        for (std::size_t i : todo)
            chosen.push_back(units[i].Key);
        const std::vector<TFileResult> results = RunFiles(chosen, options.Threads, job);
        csv = SummaryCsv(results);
        return ReportBatch(results, report);
    };
    return RunSlice(command, units, sharding, options.CsvFile, TSummaryLayout{}, work);
}

} // namespace quellow::cli
