#pragma once

#include <QFont>
#include <QString>

namespace quellow::UChartFonts {

/// The chart face: Arial, or a face with Arial's metrics where Arial is missing.
QFont ChartFont(int pointSize, bool bold = false);

/// The family the font system really gives for ChartFont(); the chart layout assumes
/// "Arial" or "Liberation Sans".
QString ResolvedFamily();

/// True when ResolvedFamily() has Arial's metrics.
bool HasArialMetrics();

} // namespace quellow::UChartFonts
