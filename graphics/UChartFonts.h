#pragma once

#include <QFont>
#include <QString>

namespace quellow::UChartFonts {

/// The chart face: Arial, or a face with Arial's metrics where Arial is missing.
QFont chartFont(int pointSize);

/// The family the font system really gives for chartFont(); the chart layout assumes
/// "Arial" or "Liberation Sans".
QString resolvedFamily();

/// True when resolvedFamily() has Arial's metrics.
bool hasArialMetrics();

} // namespace quellow::UChartFonts
