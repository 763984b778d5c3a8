#include "cli/CliLocale.h"

#include <QLocale>

#include <gtest/gtest.h>

using quellow::cli::LocaleDecimalSeparator;

namespace {

char toolkitSeparator(const QString &name)
{
    return QLocale(name).decimalPoint() == QStringLiteral(",") ? ',' : '.';
}

// quellow-cli does without the toolkit, yet must write the separator the window writes.
TEST(CliLocale, AgreesWithTheToolkitOnEveryLocale)
{
    const QList<QLocale> all =
        QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
    ASSERT_GT(all.size(), 300);
    int commas = 0;
    for (const QLocale &locale : all) {
        const QString name = locale.name();
        const char expected = toolkitSeparator(name);
        commas += expected == ',';
        EXPECT_EQ(LocaleDecimalSeparator(name.toStdString()), expected) << name.toStdString();
        // As the environment names it.
        const QString full = name + QStringLiteral(".UTF-8");
        EXPECT_EQ(LocaleDecimalSeparator(full.toStdString()), expected) << full.toStdString();
    }
    EXPECT_GT(commas, 100);
}

TEST(CliLocale, ReadsTheFormsOfLocaleNames)
{
    for (const char *name : {"C",           "POSIX",
                             "C.UTF-8",     "",
                             "de",          "de_DE.UTF-8@euro",
                             "de-AT",       "de_CH",
                             "sr_RS@latin", "sr_Latn_RS",
                             "fr_US",       "es_XX",
                             "ES_es",       "de_de",
                             "xx_YY",       "no_NO",
                             "in_ID",       "iw_IL",
                             "en_DK.UTF-8", "pt_BR.ISO-8859-1",
                             "es_419",      "nl_BE.UTF-8@euro"})
        EXPECT_EQ(LocaleDecimalSeparator(name), toolkitSeparator(QString::fromLatin1(name)))
            << name;
}

} // namespace
