#include "cli/CliBatch.h"
#include "files/UFileUtil.h"
#include "runs/USimulation.h"
#include "files/UTextFields.h"
#include "tasks/UTaskPool.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <mutex>

namespace quellow::cli {

namespace fs = std::filesystem;

void TMessageLog::ShowMessage(const std::string &text)
{
    if (mEcho)
        std::cerr << text << '\n';
    Lines.push_back(text);
}

bool TMessageLog::Confirm(const std::string &text)
{
    ShowMessage(text + " (answered No)");
    return false;
}

bool ReadThreads(const std::string &text, int &threads, const std::string &prefix)
{
    int value = 0;
    if (parseInt(text, value) && value >= 1 && value <= 256) {
        threads = value;
        return true;
    }
    std::cerr << prefix << "--threads needs a whole number from 1 to 256.\n";
    return false;
}

bool ParseBatchOptions(const TArgs &args, const std::string &command, TBatchOptions &options)
{
    const std::string prefix = "quellow-cli " + command + ": ";
    TArgs rest = args;
    if (!TakeShardOptions(rest, command, options.Sharding))
        return false;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        const std::string &arg = rest[i];
        const bool hasValue = i + 1 < rest.size();
        if (arg == "--json") {
            options.Json = true;
        } else if (arg == "--threads" && hasValue) {
            if (!ReadThreads(rest[++i], options.Threads, prefix))
                return false;
            options.Batch = true;
        } else if (arg == "--csv" && hasValue) {
            options.CsvFile = rest[++i];
            options.Batch = true;
        } else if (arg.empty() || arg[0] == '-') {
            std::cerr << prefix << (arg.empty() ? "an empty file name" : "unknown option " + arg)
                      << ".\n";
            return false;
        } else {
            options.Inputs.push_back(arg);
        }
    }
    options.Batch = options.Batch || options.Inputs.size() > 1 || options.Sharding.Shard ||
                    options.Sharding.SkipDone;
    return true;
}

namespace {

std::string lowerCase(std::string text)
{
    for (char &c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

} // namespace

bool ExpandInputs(const std::vector<std::string> &inputs, std::vector<std::string> &files,
                  std::string_view skipped)
{
    for (const std::string &input : inputs) {
        std::error_code error;
        if (!fs::is_directory(input, error)) {
            files.push_back(input); // a missing file gets its row and message from the job
            continue;
        }
        std::vector<std::string> found;
        for (const fs::directory_entry &entry : fs::directory_iterator(input, error)) {
            // Input files are taken whatever the case of their extension (.inp, .INP).
            const std::string name = lowerCase(entry.path().filename().string());
            if (name.ends_with(".inp") && entry.is_regular_file(error) &&
                (skipped.empty() || !name.ends_with(skipped)))
                found.push_back((fs::path(input) / entry.path().filename()).string());
        }
        if (error || found.empty()) {
            std::cerr << "The folder \"" << input << "\" holds no input files (*.inp).\n";
            return false;
        }
        std::sort(found.begin(), found.end());
        files.insert(files.end(), found.begin(), found.end());
    }
    return true;
}

namespace {

/// The messages of one file as one block, each line naming the file.
void writeBlock(const TFileResult &result)
{
    std::string block;
    for (const std::string &line : result.Messages)
        block += result.File + ": " + line + '\n';
    if (!block.empty()) {
        std::fwrite(block.data(), 1, block.size(), stderr);
        std::fflush(stderr);
    }
}

/// The message of a file whose work an exception in flight stopped.
std::string faultText()
{
    const UTaskPool::TFault fault = UTaskPool::CurrentFault();
    if (fault.OutOfMemory)
        return "The file could not be processed: there is not enough memory.";
    if (!fault.What.empty())
        return "The file could not be processed: " + fault.What;
    return "The file could not be processed: an unknown error stopped it.";
}

TFileResult runGuarded(const TFileJob &job, const std::string &file)
{
    TMessageLog log;
    TFileResult result;
    try {
        result = job(file, log);
    } catch (...) {
        result = TFileResult{};
        log.ShowMessage(faultText());
    }
    result.File = file;
    result.Messages = std::move(log.Lines);
    return result;
}

} // namespace

std::vector<TFileResult> RunFiles(const std::vector<std::string> &files, int threads,
                                  const TFileJob &job)
{
    const std::size_t count = files.size();
    std::vector<TFileResult> results(count);
    std::vector<char> done(count, 0);
    std::size_t written = 0; // blocks are written in the order of the files
    std::mutex mutex;
    UTaskPool::TTaskPool(UTaskPool::ThreadCount(threads, count))
        .forEach(static_cast<int>(count), [&](int i, int) {
            const auto k = static_cast<std::size_t>(i);
            TFileResult result = runGuarded(job, files[k]);
            const std::lock_guard lock(mutex);
            results[k] = std::move(result);
            done[k] = 1;
            while (written < count && done[written])
                writeBlock(results[written++]);
        });
    return results;
}

namespace {

std::string number(double value)
{
    return shortestText(value);
}

std::string optionalNumber(const std::optional<double> &value)
{
    return value ? number(*value) : std::string();
}

std::string joinedMessages(const TFileResult &result)
{
    std::string text;
    for (const std::string &line : result.Messages)
        text += (text.empty() ? "" : " | ") + line;
    return text;
}

std::string statusText(const TFileResult &result)
{
    return result.Ok ? "ok" : "failed";
}

} // namespace

std::string SummaryCsv(const std::vector<TFileResult> &results)
{
    std::string csv = "file,mode,rows,r_square,nse,kge,volume_error,divide,max_storage,"
                      "initial_storage,escape_factor,status,message\r\n";
    for (const TFileResult &r : results) {
        const auto fit = [&](double value) { return r.Fitted ? number(value) : std::string(); };
        csv += csvField(r.File) + ',' + r.Mode + ',' + (r.Mode.empty() ? "" : number(r.Rows)) +
               ',' + fit(r.RSquare) + ',' + fit(r.NSE) + ',' + fit(r.KGE) + ',' +
               fit(r.VolumeError) + ',' + fit(r.Divide) + ',' + optionalNumber(r.MaxStor) + ',' +
               optionalNumber(r.InitStor) + ',' + optionalNumber(r.EscapeFactor) + ',' +
               statusText(r) + ',' + csvField(joinedMessages(r)) + "\r\n";
    }
    return csv;
}

std::string RaisedInitialRunoffText(const TSimulationFit &sim, double firstRunoff)
{
    return USimulation::RaisedInitialRunoffText(sim, firstRunoff);
}

std::string ResultJson(const TFileResult &r)
{
    std::string json =
        "{\"file\":" + jsonText(r.File) + ",\"mode\":" + jsonText(r.Mode) +
        ",\"rows\":" + std::to_string(r.Rows) + ",\"status\":" + jsonText(statusText(r)) +
        ",\"RSquare\":" + JsonFigure(r.Fitted, r.RSquare) +
        ",\"NSE\":" + JsonFigure(r.Fitted, r.NSE) + ",\"KGE\":" + JsonFigure(r.Fitted, r.KGE) +
        ",\"VolumeError\":" + JsonFigure(r.Fitted, r.VolumeError) +
        ",\"Divide\":" + JsonFigure(r.Fitted, r.Divide) +
        ",\"MaxStor\":" + JsonFigure(r.MaxStor.has_value(), r.MaxStor.value_or(0)) +
        ",\"InitStor\":" + JsonFigure(r.InitStor.has_value(), r.InitStor.value_or(0));
    if (r.EscapeFactor)
        json += ",\"EscapeFactor\":" + quellow::jsonNumber(*r.EscapeFactor);
    if (r.Simulation)
        json += ",\"Simulation\":" + SimulationJson(*r.Simulation);
    json += ",\"messages\":[";
    for (std::size_t i = 0; i < r.Messages.size(); ++i)
        json += (i ? "," : "") + jsonText(r.Messages[i]);
    return json + "]}";
}

namespace {

std::string summaryTable(const std::vector<TFileResult> &results)
{
    int width = 4;
    for (const TFileResult &r : results)
        width = std::max(width, static_cast<int>(std::min<std::size_t>(r.File.size(), 60)));
    std::string table =
        printfText("%-*s  %-19s %5s %8s %8s %8s %9s %8s  %s\n", width, "file", "mode", "rows",
                   "R square", "NSE", "KGE", "volume %", "divide", "status");
    int failed = 0;
    for (const TFileResult &r : results) {
        failed += !r.Ok;
        const std::string rows = r.Mode.empty() ? "" : std::to_string(r.Rows);
        if (r.Fitted)
            table += printfText("%-*s  %-19s %5s %8.4f %8.4f %8.4f %9.2f %8.3f  %s\n", width,
                                r.File.c_str(), r.Mode.c_str(), rows.c_str(), r.RSquare, r.NSE,
                                r.KGE, r.VolumeError, r.Divide, statusText(r).c_str());
        else
            table += printfText("%-*s  %-19s %5s %8s %8s %8s %9s %8s  %s\n", width, r.File.c_str(),
                                r.Mode.c_str(), rows.c_str(), "-", "-", "-", "-", "-",
                                statusText(r).c_str());
    }
    return table + printfText("%zu files: %zu succeeded, %d failed\n", results.size(),
                              results.size() - static_cast<std::size_t>(failed), failed);
}

} // namespace

int ReportBatch(const std::vector<TFileResult> &results, const TBatchOptions &options)
{
    if (options.Json) {
        std::string json = "[";
        for (std::size_t i = 0; i < results.size(); ++i)
            json += (i ? ",\n " : "") + ResultJson(results[i]);
        std::cout << json << "]\n";
    } else {
        std::cout << summaryTable(results);
    }
    std::cout.flush();
    bool all = std::all_of(results.begin(), results.end(), [](auto &r) { return r.Ok; });
    if (!options.CsvFile.empty() && !writeFileAtomically(options.CsvFile, SummaryCsv(results))) {
        std::cerr << "The summary file \"" << options.CsvFile << "\" could not be written.\n";
        all = false;
    }
    return all ? 0 : 1;
}

} // namespace quellow::cli
