// quellow-cli calibrate --joint and validate --leave-one-out: what they refuse, the single
// window's identity with calibrate, the files of -o and the independence of the thread count.
#include "files/UTextFields.h"
#include "tests/support/TRecordingPrompts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <vector>

using namespace quellow;
using namespace quellow::test;

namespace {

namespace fs = std::filesystem;

/// The text of the value at path (keys joined by dots, each looked for after the one before):
/// a number, a string with its quotes, or an object or array whole.
std::string jsonValue(const std::string &json, const std::string &path)
{
    std::size_t at = 0;
    for (std::size_t start = 0, dot; start <= path.size(); start = dot + 1) {
        dot = path.find('.', start);
        if (dot == std::string::npos)
            dot = path.size();
        at = json.find("\"" + path.substr(start, dot - start) + "\":", at);
        if (at == std::string::npos)
            return "(no " + path + ")";
        at = json.find(':', at) + 1;
    }
    int depth = 0;
    std::size_t end = at;
    for (; end < json.size(); ++end) {
        const char c = json[end];
        if (c == '{' || c == '[')
            ++depth;
        else if ((c == '}' || c == ']') && depth-- == 0)
            break;
        else if (c == ',' && depth == 0)
            break;
    }
    return json.substr(at, end - at);
}

/// The JSON with every number and string replaced by #, so that only its keys and shape remain.
std::string skeleton(const std::string &json)
{
    return std::regex_replace(json, std::regex(R"((-?[0-9][0-9.e+-]*|"[^"]*")(?=[,\]}]))"), "#");
}

/// json without the seconds it took.
std::string withoutSeconds(const std::string &json)
{
    return std::regex_replace(json, std::regex(R"("seconds":[0-9.e+-]+)"), "\"seconds\":#");
}

std::vector<std::string> crlfLines(const std::string &text)
{
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; (end = text.find("\r\n", start)) != text.npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

std::vector<std::string> names(const std::map<std::string, std::string> &files)
{
    std::vector<std::string> list;
    for (const auto &[name, bytes] : files)
        list.push_back(name);
    return list;
}

class CliJoint : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Copy("windows/gr4j-1991.inp", "a.inp");
        Copy("windows/gr4j-1992.inp", "b.inp");
    }
    void Copy(const std::string &from, const std::string &to)
    {
        fs::create_directories(fs::path(dir.File(to)).parent_path());
        WriteBytes(dir.File(to), ReadBytes(TestData(from)));
    }
    int Cli(const std::string &arguments)
    {
        const TCliResult result = RunCli(dir, arguments);
        out = result.Out;
        err = result.Err;
        return result.Status;
    }
    /// Every file below the folder with its bytes, but what the command printed.
    std::map<std::string, std::string> Listing(const std::string &below = "") const
    {
        std::map<std::string, std::string> files;
        for (const auto &entry : fs::recursive_directory_iterator(dir.File(below))) {
            const std::string name = fs::relative(entry.path(), dir.File(below)).string();
            if (name != "stdout.txt" && name != "stderr.txt")
                files[name] = entry.is_regular_file() ? ReadBytes(entry.path().string()) : "/";
        }
        return files;
    }
    TTempDir dir;
    std::string out, err;
};

} // namespace

// What the joint commands refuse ends them with a message on standard error, nothing on
// standard output, nothing written, and exit status 1 (2 for arguments not understood).
TEST_F(CliJoint, BadRequestsSayWhyAndWriteNothing)
{
    Copy("pred-runoff.inp", "p.inp");
    Copy("windows/gr4j-1992.inp", "sub/a.inp");       // the same stem as a.inp
    Copy("windows/gr4j-1992.inp", "res/a-joint.inp"); // what a.inp's window would write
    const struct
    {
        const char *args;
        int status;
        const char *says; ///< part of the message (empty: the core's own wording)
    } cases[] = {
        {"calibrate --joint -o out", 1, "--joint needs at least one input file"},
        {"calibrate --joint a.inp b.inp --objective rsquare -o out", 1, "nse or kge"},
        {"validate --leave-one-out a.inp b.inp --objective rsquare --csv s.csv", 1, "nse or kge"},
        {"calibrate --joint a.inp b.inp -o a.inp", 1, "\"a.inp\" is no folder"},
        {"calibrate --joint a.inp b.inp --init-storage half -o out", 2,
         "--init-storage is fraction or full."},
        {"validate --leave-one-out a.inp b.inp --rolling 0 --csv s.csv", 2,
         "--rolling needs a whole number of 1 or more."},
        {"validate --leave-one-out a.inp b.inp --joint-size 1 --rolling 1 --csv s.csv", 1,
         "exclude each other"},
        {"validate --leave-one-out a.inp b.inp --csv b.inp", 1, ""},
        {"calibrate --joint a.inp p.inp -o out", 1, ""},
        {"calibrate --joint a.inp b.inp a.inp -o out", 1, ""},
        {"calibrate --joint a.inp b.inp --warmup 360 -o out", 1, ""},
        {"calibrate --joint a.inp sub/a.inp -o out", 1, ""},
        {"calibrate --joint a.inp res/a-joint.inp -o res", 1, "would replace"},
        {"calibrate --joint nothing-here -o out", 1, ""},
    };
    const std::map<std::string, std::string> before = Listing();
    for (const auto &c : cases) {
        EXPECT_EQ(Cli(c.args), c.status) << c.args;
        EXPECT_NE(err.find(c.says), std::string::npos) << c.args << ": " << err;
        EXPECT_FALSE(err.empty()) << c.args;
        EXPECT_EQ(out, "") << c.args;
        const std::map<std::string, std::string> after = Listing();
        EXPECT_TRUE(after == before) << c.args << ": " << names(after).size() << " files now";
    }
}

// One window given to --joint gives what calibrate gives it, to the last digit: the same
// storages, factor and simulation, the combined objective being that window's NSE. -o writes
// the window as calibrate writes it, and its run as a run of that file gives it.
TEST_F(CliJoint, OneWindowGivesWhatCalibrateGives)
{
    for (const std::string objective : {"kge", "nse"}) {
        const std::string options =
            " --json --evaluations 200 --threads 2 --objective " + objective;
        ASSERT_EQ(Cli("calibrate a.inp" + options), 0) << err;
        const std::string single = out;
        ASSERT_EQ(Cli("calibrate --joint a.inp -o res" + options), 0) << err;
        const std::string joint = out;
        for (const char *key : {"MaxStor", "EscapeFactor"})
            EXPECT_EQ(jsonValue(joint, std::string("calibrated.") + key),
                      jsonValue(single, std::string("calibrated.") + key))
                << key;
        EXPECT_EQ(jsonValue(joint, "calibrated.Objective"),
                  jsonValue(single, "calibrated.Simulation." +
                                        std::string(objective == "nse" ? "NSE" : "KGE")));
        EXPECT_EQ(jsonValue(joint, "windows.InitStor"), jsonValue(single, "calibrated.InitStor"));
        EXPECT_EQ(jsonValue(joint, "windows.Simulation"),
                  jsonValue(single, "calibrated.Simulation"));
        EXPECT_EQ(jsonValue(joint, "evaluations"), jsonValue(single, "evaluations"));
    }

    // The window written holds what the calibrated file holds but for the name on line 7.
    const auto withoutName = [](const std::string &text) {
        return std::regex_replace(text, std::regex(" Filename: [^\r]*"), "");
    };
    EXPECT_EQ(withoutName(ReadBytes(dir.File("res/a-joint.inp"))),
              withoutName(ReadBytes(dir.File("a-calibrated.inp"))));
    const std::map<std::string, std::string> written = Listing("res");
    for (const char *ext : {".out", ".dat"})
        fs::remove(dir.File(std::string("res/a-joint") + ext));
    ASSERT_EQ(Cli("run res/a-joint.inp"), 0) << err;
    EXPECT_TRUE(Listing("res") == written);
}

// -o DIR writes each window, its run and the summary, and nothing else; the summary's rows are
// the figures the JSON gives. The JSON has exactly the keys of its layout.
TEST_F(CliJoint, OutputFolderAndJsonOfSeveralWindows)
{
    ASSERT_EQ(Cli("calibrate --joint a.inp b.inp --evaluations 60 --json -o res"), 0) << err;
    EXPECT_EQ(skeleton(out),
              "{\"status\":#,\"objective\":#,\"evaluations\":#,\"calibrated\":{\"MaxStor\":#,"
              "\"FillFraction\":#,\"EscapeFactor\":#,\"A1\":#,\"B1\":#,\"A2\":#,\"B2\":#,"
              "\"Divide\":#,\"Objective\":#},\"windows\":[{\"file\":#,\"rows\":#,\"InitStor\":#,"
              "\"Simulation\":{\"NSE\":#,\"KGE\":#,\"KGEr\":#,\"KGEalpha\":#,\"KGEbeta\":#,"
              "\"LogNSE\":#,\"VolumeError\":#}},{\"file\":#,\"rows\":#,\"InitStor\":#,"
              "\"Simulation\":{\"NSE\":#,\"KGE\":#,\"KGEr\":#,\"KGEalpha\":#,\"KGEbeta\":#,"
              "\"LogNSE\":#,\"VolumeError\":#}}],\"seconds\":#}\n");
    EXPECT_EQ(names(Listing("res")),
              (std::vector<std::string>{"a-joint.dat", "a-joint.inp", "a-joint.out", "b-joint.dat",
                                        "b-joint.inp", "b-joint.out", "joint-summary.csv"}));
    const std::vector<std::string> rows = crlfLines(ReadBytes(dir.File("res/joint-summary.csv")));
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], "file,rows,InitStor,NSE,KGE,LogNSE,VolumeError");
    const std::string b = out.substr(out.find("{\"file\":\"b.inp\""));
    EXPECT_EQ(rows[2], "b.inp," + jsonValue(b, "rows") + "," + jsonValue(b, "InitStor") + "," +
                           jsonValue(b, "NSE") + "," + jsonValue(b, "KGE") + "," +
                           jsonValue(b, "LogNSE") + "," + jsonValue(b, "VolumeError"));
    EXPECT_EQ(rows[3].rfind("all,730,,", 0), 0u) << rows[3];
    // The maximum storage and factor found are those of every window written.
    EXPECT_NE(ReadBytes(dir.File("res/b-joint.inp"))
                  .find(printfText(" Maximum dead storage: %8.2f",
                                   std::stod(jsonValue(out, "calibrated.MaxStor")))),
              std::string::npos);

    // A file that cannot be written (the summary's name taken by a folder) leaves none written.
    fs::create_directories(dir.File("taken/joint-summary.csv"));
    EXPECT_EQ(Cli("calibrate --joint a.inp b.inp --evaluations 60 -o taken"), 1);
    EXPECT_NE(err.find("could not be written in \"taken\""), std::string::npos) << err;
    EXPECT_EQ(out, "");
    EXPECT_EQ(names(Listing("taken")), std::vector<std::string>{"joint-summary.csv"});

    // The table for people names each window and the windows together; the files an earlier
    // joint calibration wrote into the folder are no windows.
    ASSERT_EQ(Cli("calibrate --joint a.inp b.inp --evaluations 60 -o ."), 0) << err;
    ASSERT_EQ(Cli("calibrate --joint . --evaluations 60"), 0) << err;
    EXPECT_NE(out.find("Joint calibration of 2 windows for nse"), std::string::npos) << out;
    EXPECT_NE(out.find("\n./b.inp "), std::string::npos) << out;
    EXPECT_NE(out.find("\nall "), std::string::npos) << out;
}

// Leave-one-out gives the same JSON on one thread and on two; the table ends with the quartiles,
// the CSV has a row per window; a rolling validation skips the first windows without failing.
TEST_F(CliJoint, LeaveOneOutDoesNotDependOnThreads)
{
    Copy("windows/gr4j-1991.inp", "seasons/1991.inp");
    Copy("windows/gr4j-1992.inp", "seasons/1992.inp");
    Copy("windows/hymod-2013.inp", "seasons/1993.inp");
    Copy("windows/gr4j-1991.inp", "seasons/1991-calibrated.inp"); // left out of a folder
    const std::string args = "validate --leave-one-out seasons --evaluations 50 --json --threads ";
    ASSERT_EQ(Cli(args + "1"), 0) << err;
    const std::string one = withoutSeconds(out);
    ASSERT_EQ(Cli(args + "2"), 0) << err;
    EXPECT_EQ(withoutSeconds(out), one);
    const std::string window =
        "{\"file\":#,\"status\":#,\"calibrated_on\":[#,#],\"NSE\":#,\"KGE\":#,\"VolumeError\":#,"
        "\"benchmarks\":{\"start\":{\"NSE\":#,\"KGE\":#,\"VolumeError\":#},\"self\":{\"NSE\":#,"
        "\"KGE\":#,\"VolumeError\":#},\"mean\":{\"NSE\":#,\"KGE\":#,\"VolumeError\":#},"
        "\"recession\":{\"NSE\":#,\"KGE\":#,\"VolumeError\":#}}}";
    EXPECT_EQ(skeleton(out),
              "{\"status\":#,\"windows\":[" + window + "," + window + "," + window +
                  "],\"summary\":{\"NSE\":[#,#,#],\"KGE\":[#,#,#]},\"seconds\":#}\n");
    EXPECT_EQ(jsonValue(out, "calibrated_on"), "[\"seasons/1992.inp\",\"seasons/1993.inp\"]");

    ASSERT_EQ(Cli("validate --leave-one-out seasons --evaluations 50 --rolling 2 --csv s.csv"), 0)
        << err;
    EXPECT_NE(out.find("3 windows, 1 validated: NSE "), std::string::npos) << out;
    const std::vector<std::string> rows = crlfLines(ReadBytes(dir.File("s.csv")));
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0],
              "file,calibrated_on,status,rows,NSE,KGE,LogNSE,VolumeError,start_NSE,start_KGE,"
              "start_VolumeError,self_NSE,self_KGE,self_VolumeError,mean_NSE,mean_KGE,"
              "mean_VolumeError,recession_NSE,recession_KGE,recession_VolumeError,message");
    EXPECT_EQ(rows[1].rfind("seasons/1991.inp,,skipped,,", 0), 0u) << rows[1];
    EXPECT_EQ(rows[3].rfind("seasons/1993.inp,seasons/1991.inp;seasons/1992.inp,validated,", 0), 0u)
        << rows[3];
}
