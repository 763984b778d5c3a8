#include "cli/CliCommands.h"
#include "cli/CliShard.h"
#include "files/UFileUtil.h"
#include "files/UOutputNames.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>
#include <regex>
#include <set>

namespace quellow::cli {

namespace {

const char *const mergeUsage =
    "Usage: quellow-cli merge SUMMARY.csv ... -o ALL.csv\n"
    "Joins the summaries of the slices of a batch (--csv with --shard or in a Slurm array task)\n"
    "into the summary one run over all the inputs writes: the rows of run and calibrate in the\n"
    "order of their files' names, those of validate --chain in the order of the chain.\n"
    "Names every input found twice, every missing slice (by the slice in the summaries' names)\n"
    "and the pieces of a broken chain, and then writes nothing.\n"
    "Exit status 0 when ALL.csv was written.\n";

struct TRow
{
    std::string Key;
    std::string Raw;
    std::string Source;
    std::vector<std::string> Fields;
};

/// The rows of a chain in the order of the chain: each pair's validation file is the next
/// pair's calibration file. A chain in pieces is ordered piece by piece, by the name of the
/// first file of each, and ends holds the last file of every piece.
std::vector<TRow> chainOrder(const std::vector<TRow> &rows, std::vector<std::string> &ends)
{
    std::map<std::string, std::size_t> byCalibration;
    std::set<std::string> validations;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        byCalibration.emplace(rows[r].Fields[0], r);
        validations.insert(rows[r].Fields[1]);
    }
    std::vector<std::size_t> starts;
    for (const auto &[calibration, r] : byCalibration)
        if (!validations.contains(calibration))
            starts.push_back(r);
    std::vector<TRow> ordered;
    std::vector<char> taken(rows.size(), 0);
    const auto follow = [&](std::size_t r) {
        while (!taken[r]) {
            taken[r] = 1;
            ordered.push_back(rows[r]);
            const auto next = byCalibration.find(rows[r].Fields[1]);
            if (next == byCalibration.end())
                return true; // an end of the chain
            r = next->second;
        }
        return false;
    };
    for (const std::size_t start : starts)
        if (follow(start))
            ends.push_back(ordered.back().Fields[1]);
    for (std::size_t r = 0; r < rows.size(); ++r) // a chain that comes back to its start
        if (!taken[r])
            follow(r);
    return ordered;
}

/// The missing slices of the summaries named by the slice they hold (NAME-K-of-N.csv).
std::vector<std::string> missingSlices(const std::vector<std::string> &files)
{
    static const std::regex sliceName(R"((.*)-([0-9]{1,7})-of-([0-9]{1,7})(\.[^./]*)?)");
    std::map<std::pair<std::string, std::string>, std::set<int>> found;
    std::map<std::pair<std::string, std::string>, std::string> extension;
    for (const std::string &file : files) {
        std::smatch match;
        if (!std::regex_match(file, match, sliceName))
            continue;
        const std::pair<std::string, std::string> group{match[1], match[3]};
        found[group].insert(std::stoi(match[2]));
        extension[group] = match[4];
    }
    std::vector<std::string> missing;
    for (const auto &[group, indices] : found) {
        const int count = std::stoi(group.second);
        for (int k = 1; k <= count; ++k)
            if (!indices.contains(k))
                missing.push_back("The summary of slice " + std::to_string(k) + " of " +
                                  group.second + " (" +
                                  SliceFileName(group.first + extension[group], {k, count}) +
                                  ") is missing: the inputs of that slice are not in the merge.");
    }
    return missing;
}

} // namespace

int MergeCommand(const TArgs &args)
{
    if (ShowsHelp(args, mergeUsage))
        return 0;
    std::vector<std::string> inputs;
    std::string output;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o" && i + 1 < args.size() && output.empty()) {
            output = args[++i];
        } else if (args[i].empty() || args[i][0] == '-') {
            std::cerr << mergeUsage;
            return 2;
        } else {
            inputs.push_back(args[i]);
        }
    }
    if (inputs.empty() || output.empty()) {
        std::cerr << mergeUsage;
        return 2;
    }
    for (const std::string &input : inputs)
        if (UOutputNames::SamePath(input, output)) {
            std::cerr << "quellow-cli merge: the merged summary \"" << output
                      << "\" would replace the summary it reads.\n";
            return 2;
        }

    std::string header;
    bool chain = false;
    std::vector<TRow> rows;
    for (const std::string &input : inputs) {
        std::string text;
        std::vector<TCsvRecord> records;
        if (readWholeFile(input, text) != TReadStatus::Ok || !SplitCsv(text, records) ||
            records.empty()) {
            std::cerr << "quellow-cli merge: \"" << input << "\" is not a summary that reads.\n";
            return 1;
        }
        if (header.empty()) {
            header = records[0].Raw;
            chain = records[0].Fields[0] == "calibration";
            if (!chain && records[0].Fields[0] != "file") {
                std::cerr << "quellow-cli merge: \"" << input
                          << "\" is not a summary of run, calibrate or validate --chain.\n";
                return 1;
            }
        } else if (records[0].Raw != header) {
            std::cerr << "quellow-cli merge: \"" << input
                      << "\" has other columns than the summaries before it.\n";
            return 1;
        }
        const std::size_t keyFields = chain ? 2 : 1;
        for (std::size_t r = 1; r < records.size(); ++r) {
            if (records[r].Fields.size() < keyFields) {
                std::cerr << "quellow-cli merge: \"" << input
                          << "\" has a row without its input.\n";
                return 1;
            }
            std::string key = records[r].Fields[0];
            if (chain)
                key += " -> " + records[r].Fields[1];
            rows.push_back({key, records[r].Raw, input, records[r].Fields});
        }
    }

    std::vector<std::string> problems = missingSlices(inputs);
    std::map<std::string, std::string> seen;
    for (const TRow &row : rows) {
        const auto [at, fresh] = seen.emplace(row.Key, row.Source);
        if (!fresh)
            problems.push_back("The input \"" + row.Key + "\" is in the merge twice: in \"" +
                               at->second + "\" and in \"" + row.Source + "\".");
    }
    std::vector<std::string> ends;
    if (chain) {
        rows = chainOrder(rows, ends);
    } else {
        std::stable_sort(rows.begin(), rows.end(),
                         [](const TRow &a, const TRow &b) { return a.Key < b.Key; });
    }
    if (ends.size() > 1) {
        std::string list;
        for (const std::string &end : ends)
            list += (list.empty() ? "\"" : ", \"") + end + "\"";
        problems.push_back("The chain breaks into " + std::to_string(ends.size()) +
                           " pieces, which end at " + list +
                           ": the pairs that would join them are missing.");
    }
    if (!problems.empty()) {
        for (const std::string &problem : problems)
            std::cerr << problem << '\n';
        std::cerr << "Nothing was written.\n";
        return 1;
    }
    std::string text = header;
    for (const TRow &row : rows)
        text += row.Raw;
    if (!writeFileAtomically(output, text)) {
        std::cerr << "The summary file \"" << output << "\" could not be written.\n";
        return 1;
    }
    std::cout << "Merged " << rows.size() << " rows of " << inputs.size() << " summaries into "
              << output << ".\n";
    return 0;
}

} // namespace quellow::cli
