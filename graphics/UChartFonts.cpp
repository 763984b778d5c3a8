#include "graphics/UChartFonts.h"

#include <QFontInfo>
#include <QStringList>

namespace quellow::UChartFonts {

QFont chartFont(int pointSize)
{
    QFont font(QStringLiteral("Arial"), pointSize, QFont::Normal);
    font.setFamilies(QStringList{QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setStyleStrategy(QFont::NoAntialias);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

QString resolvedFamily()
{
    return QFontInfo(chartFont(10)).family();
}

bool hasArialMetrics()
{
    const QString family = resolvedFamily();
    return family == QLatin1String("Arial") || family == QLatin1String("Liberation Sans");
}

} // namespace quellow::UChartFonts
