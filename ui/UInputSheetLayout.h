#pragma once

#include <QPoint>

namespace quellow::UInputSheetLayout {

constexpr int MinData = 12;
constexpr int FreshRows = 15;
constexpr int ColumnWidth = 64;
constexpr int RowHeight = 20;

// Places on the sheet, in pixels from the tab's left and top edges.
constexpr int HeadingTop = 114;
constexpr int HeadingHeight = 32;
constexpr int GridTop = 148;
constexpr int GridHeight = FreshRows * RowHeight + 4;
constexpr int ButtonTop = GridTop + GridHeight + 10;
/// The size of the Input tab in the main window of the default size: the grid and the titles
/// take what a larger window adds.
constexpr int PageWidth = 671;
constexpr int PageHeight = 515;

/// Where the grid and its neighbours go in one mode.
struct TSheetLayout
{
    int GridLeft;
    int GridWidth;
    int Columns;
    QPoint Star;
    QPoint FirstGroup;
};
constexpr TSheetLayout AnalysisLayout{150, 282, 4, {440, 150}, {440, 172}};
constexpr TSheetLayout PredictionLayout{72, 219, 3, {300, 128}, {300, 148}};

constexpr const char *PasteFailed =
    "An insufficient number of data has been pasted more data are needed.";

} // namespace quellow::UInputSheetLayout
