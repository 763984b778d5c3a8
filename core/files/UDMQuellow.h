#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quellow {

/// Array types of the data module: dynamic, 0-based; enlarging keeps the existing elements
/// and fills new ones with zero, empty text or false.
using DataArrayR = std::vector<double>;       ///< one real per data row
using DataArrayI = std::vector<std::int32_t>; ///< one integer per data row
using LineSet = std::vector<std::string>;     ///< lines of a text file
using RemoveSet = std::vector<bool>;          ///< one flag per data row

/// The most data rows an input file may hold (the input sheet's rows), and the message that
/// refuses more wherever they come from.
inline constexpr int MaxData = 1500;
inline constexpr const char *MaxDataMessage =
    " The maximum number of data is 1500. Not enough? Split the series into parts of at most "
    "1500 data.";

/// Most time steps one prediction handles.
inline constexpr int MaxPredSteps = 501;

/// The model values beside the data module. The alpha function of a runoff Q (mm/t) is
/// alpha = A1*Q + B1 when Q > Divide, else A2*Q + B2 (per time unit).
struct TModelValues
{
    double A1 = 0;      ///< slope above the runoff division
    double B1 = 0;      ///< constant above the runoff division
    double A2 = 0;      ///< slope at or below the runoff division
    double B2 = 0;      ///< constant at or below the runoff division
    double Divide = 0;  ///< the runoff division (mm/t)
    double RSquare = 0; ///< coefficient of explanation of the last analysis or output file read
};
inline TModelValues ModelValues;

/// The one data module: file names, titles, mode, input series, reservoir parameters,
/// the lines shown on the Output sheet and the graph columns last read back.
/// Plain copyable data; the file operations report through Prompts().
class TDMQuellow
{
public:
    std::string FileName;    ///< full path of the current input file (working folder at start)
    std::string OutFileName; ///< output file last loaded onto the Output sheet
    std::string Title1;      ///< description of the area
    std::string Title2;      ///< particulars and units used
    std::string ModeTag;     ///< " Ana" or " Pre"
    std::string OutTag;      ///< start of line 15 of the output file last scanned
    DataArrayI Serial;
    DataArrayR PlotY5;
    DataArrayR Escape; ///< escape rate per row (mm/t)
    DataArrayR PlotX;
    DataArrayR PlotY1;
    DataArrayR PlotY2;
    DataArrayR PlotY3;
    DataArrayR PlotY4;
    DataArrayR Time;      ///< time at each row, user's time unit
    DataArrayR Rain;      ///< rainfall per row (mm/t)
    DataArrayR Runoff;    ///< measured runoff per row (mm/t), analysis only
    double MaxStor = 0;   ///< maximum dead storage (mm)
    double InitStor = 0;  ///< initial dead storage (mm)
    double MaxEscape = 0; ///< maximum escape rate (mm/t); stands in for a missing row value
    double InitRun = 0;   ///< initial runoff (prediction)
    double InitLevel = 0; ///< initial water level or main storage (prediction)
    double Porosity = 0;  ///< below 1 a fraction, 1 or more a percentage
    LineSet OutLines;     ///< lines of the text file last loaded for the Output sheet
    RemoveSet Remove;     ///< per row: true = left out (incomplete on the sheet)
    std::int32_t NrOfData = 0;
    std::int32_t NrOfLines = 0;
    bool Analysis = false;
    bool Drainage = false;
    bool RunHalted = false;
    bool Quadratic = false;

    /// Sets the length of the per-row input arrays (Serial, Time, Rain, Escape, Runoff, Remove);
    /// enlarging keeps the existing elements and fills new ones with 0 or false.
    void ResizeRows(std::size_t rows);
    /// Takes a series as the rows: NrOfData, Serial (from 1), Time, Rain, Escape, Runoff and
    /// Remove (cleared). Mode, titles and parameters are the caller's.
    void SetSeries(const DataArrayR &time, const DataArrayR &rain, const DataArrayR &escape,
                   const DataArrayR &runoff);

    /// Creation event: FileName := the current working directory.
    void DataModuleCreate();

    /// Reads the input file named by FileName into the fields and the model values.
    /// On any failure the message is shown and the data module stays exactly as it was.
    /// Returns true when the file was taken over.
    bool ReadInputFile();
    /// Writes the input file named by FileName (atomically). Returns true on success.
    bool WriteInputFile();

    /// Loads any text file line by line into OutLines / NrOfLines. Returns true on success;
    /// on failure the message is shown and OutLines / NrOfLines keep their values.
    bool LoadTextFile(const std::string &path);

    /// Reads titles, OutTag and the prediction sub-mode from the file named by OutFileName.
    bool ReadOutputHeader();
    /// Reads the table that graph kind 1..8 needs into the graph columns.
    /// On failure the message is shown and the graph columns are unchanged.
    bool ReadOutputFile(int kind);

    /// Shows "A program error occurred." followed directly by text. The program goes on:
    /// the caller abandons what it was doing.
    void ShowProgramError(const std::string &text);
    /// A yes/no question; true exactly when the answer is Yes.
    bool Confirm(const std::string &text);
};

extern TDMQuellow DMQuellow;

/// Registers a function that puts a unit's module state back to its start values.
/// Units call it from a static initialiser; ResetAllState() calls every registered one.
void RegisterStateReset(void (*reset)());

/// Puts the data module, the model values and every registered unit state back to their
/// start values (a fresh program), as each test does first.
void ResetAllState();

} // namespace quellow
