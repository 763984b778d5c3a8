#include "ui/UHelpForm.h"

namespace quellow {

namespace {

const char *const helpText =
    " START HELP\n"
    "\n"
    "TIME\n"
    "Use time units such as hour or day, and enter the times in sequence (1, 2, 3 ... or 0.5, "
    "1, 1.5 ...), not as dates. The intervals between the times may vary. Watersheds smaller "
    "than 10000 ha react quickly and need time steps of at most 1 hour.\n"
    "\n"
    "RAINFALL AND RUNOFF\n"
    "Give rainfall and runoff in mm per time interval. When runoff is measured as a "
    "discharge, divide it by the area of the watershed. Two examples for a daily time unit:\n"
    "- a discharge of X m3/hour from an area of Y m2 gives\n"
    "  RunOff = 24 x 1000  X / Y\n"
    "- a discharge of X liter/second from an area of Y m2 gives\n"
    "  RunOff = 60 x 60 x 24 X / (1000  Y)\n"
    "(both in mm/day).\n"
    "\n"
    "PARAMETERS\n"
    "The maximum storage (MST) and the initial storage (IST) of the first reservoir are in "
    "mm; the maximum escape rate (MER) is in mm per time interval.\n"
    "\n"
    "PASTING DATA\n"
    "Data can be copied from a spreadsheet: select the columns of time, rain, escape rate and "
    "(for an analysis) runoff, copy them, right-click the first data cell on the left of the "
    "grid and choose \"paste\". The number of data and the option follow from what was "
    "pasted.\n"
    "\n"
    "CALIBRATION\n"
    "MST, IST and MER serve to calibrate the model. IST is normally below MST, but with very "
    "wet initial conditions IST may exceed MST.\n"
    "\n"
    "An exercise: open the example input file under \"Data\" with \" Open input\" (for "
    "instance Catchment-wet-season.inp; Data/README describes each example), give "
    "\"Save/Run\" and note R square in the graphics (\"View graph\" on the Output tab). Then "
    "change a parameter: the escape rates in the third column of the grid (where they are "
    "constant, change MER from 0.3 to 0.1 or 0.2), or the maximum or initial storage. Save "
    "the input under another name, for instance \"Test1\", and compare the new R square with "
    "the first. Calibration means finding the values that give the highest R square.\n"
    "\n"
    "HINTS\n"
    "- The calculated runoff is generally too high: the escape rate is too low. It is "
    "generally too low: the escape rate is too high.\n"
    "- Only the first calculated values are too high: IST is too small.\n"
    "- The tail of the calculated runoff is too high: MST is too small.\n"
    "- The measured runoff lags behind the calculated runoff: shift the runoff data backward "
    "by one or more time steps (move the runoff column up with respect to the rain).\n"
    "\n"
    "THE MAXIMUM ESCAPE RATE (MER)\n"
    "The escape rate is usually the potential evapotranspiration, possibly increased by "
    "natural drainage to deeper layers. In the option that determines the alfa function from "
    "rainfall and runoff data it must be >= 0. In the prediction option it may be reduced by "
    "upward seepage, and it may even be negative when the seepage exceeds the evaporation.\n";

} // namespace

THelpForm::THelpForm(QWidget *parent)
    : TTextWindow(
          {"HelpForm", "Start help", "HelpMemo", helpText, "#fffbe8", QSize(520, 560), true},
          parent)
{}

} // namespace quellow
