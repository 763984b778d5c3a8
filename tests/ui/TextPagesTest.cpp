#include "ui/UCommentForm.h"
#include "ui/UHelpForm.h"
#include "ui/UIntroPages.h"
#include "ui/USvgPicture.h"
#include "files/UDMQuellow.h"
#include "runs/UPrediction.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>

#include <cmath>

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace quellow {

namespace {

QPushButton *buttonWithText(QWidget *page, const QString &text)
{
    for (auto *button : page->findChildren<QPushButton *>())
        if (button->text() == text)
            return button;
    return nullptr;
}

QStringList lines(QWidget *parent, const char *memo)
{
    auto *edit = parent->findChild<QPlainTextEdit *>(QString::fromLatin1(memo));
    return edit ? edit->toPlainText().split(QLatin1Char('\n')) : QStringList{};
}

} // namespace

class TextPagesTest : public QObject
{
    Q_OBJECT

private:
    /// Which of the five memos of the Intro tab are shown.
    static QStringList shownMemos(QWidget *page)
    {
        QStringList shown;
        for (const char *name : {"IntroMemo", "FirstMemo", "SecondMemo", "AlphaMemo", "HeadMemo"})
            if (!page->findChild<QWidget *>(QString::fromLatin1(name))->isHidden())
                shown << QString::fromLatin1(name);
        return shown;
    }

private slots:
    void init() { ResetAllState(); }

    void detailButtonsShowOneMemo_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("memo");
        QTest::newRow("first") << "1st (pre) reservoir"
                               << "FirstMemo";
        QTest::newRow("second") << "2nd (main) reservoir"
                                << "SecondMemo";
        QTest::newRow("alpha") << "Alpha (response) function"
                               << "AlphaMemo";
        QTest::newRow("head") << "Water level (head)"
                              << "HeadMemo";
    }
    void detailButtonsShowOneMemo()
    {
        QFETCH(QString, button);
        QFETCH(QString, memo);
        QWidget page;
        UIntroPages::buildIntroPage(&page);
        page.show();
        QCOMPARE(shownMemos(&page), QStringList{"IntroMemo"});
        QPushButton *detail = buttonWithText(&page, button);
        QVERIFY(detail);
        detail->click();
        QCOMPARE(shownMemos(&page), QStringList{memo});
        buttonWithText(&page, QStringLiteral("Back"))->click();
        QCOMPARE(shownMemos(&page), QStringList{"IntroMemo"});
    }

    void showIntroductionHidesTheDetails()
    {
        QWidget page;
        UIntroPages::buildIntroPage(&page);
        buttonWithText(&page, QStringLiteral("2nd (main) reservoir"))->click();
        UIntroPages::showIntroduction(&page);
        QCOMPARE(shownMemos(&page), QStringList{"IntroMemo"});
    }

    void memosHoldTheirFixedLines()
    {
        QWidget page;
        UIntroPages::buildIntroPage(&page);
        const QStringList intro = lines(&page, "IntroMemo");
        QCOMPARE(intro.first(), QStringLiteral("INTRODUCTION TO THE Quellow PROGRAM"));
        QVERIFY(intro.join(QLatin1Char(' ')).contains(QLatin1String("File > Import series")));
        QVERIFY(page.findChild<QPlainTextEdit *>(QStringLiteral("IntroMemo"))->isReadOnly());
        QVERIFY(!page.findChild<QPlainTextEdit *>(QStringLiteral("HeadMemo"))->isReadOnly());

        const QStringList first = lines(&page, "FirstMemo");
        QCOMPARE(first.mid(0, 2), (QStringList{"CONVERSION OF RAINFALL INTO RECHARGE THROUGH THE",
                                               "FIRST RESERVOIR"}));
        for (const char *line : {"StoDef = MaxSto + ActEsc*t - ActSto (mm)",
                                 "ActEsc = R * MaxEsc (mm/t)", "Rech = Rain - StoDef/Delta (mm/t)",
                                 "ActSto2 = ActSto1 +  (Rain - Rech - ActEsc)*Delta"})
            QVERIFY2(first.contains(QString::fromLatin1(line)), line);

        const QStringList second = lines(&page, "SecondMemo");
        QCOMPARE(second.mid(0, 2), (QStringList{"CALCULATING RUNOFF FROM THE SECOND RESERVOIR",
                                                "USING THE RECHARGE COMING FROM THE FIRST"}));
        QVERIFY(second.contains(
            QStringLiteral("Run2 = Run1*Exp(-Alpha*Delta2) + Rech2*[1-Exp(-Alpha*Delta2)]")));

        const QStringList alpha = lines(&page, "AlphaMemo");
        QCOMPARE(alpha.first(),
                 QStringLiteral("DETERMING THE ALPHA FUNCTION FROM RAINFALL-RUNOFF DATA"));
        QVERIFY(alpha.contains(QStringLiteral("Alpha2 = -[Ln(Run1/Run2)]/Delta2")));
        QVERIFY(alpha.contains(
            QStringLiteral("Alpha2=C,  Alpha2 = A*Run1+C,  or  Alpha2 = A*Run1^2+B*Run1+C")));

        const QStringList head = lines(&page, "HeadMemo");
        QCOMPARE(head.first(), QStringLiteral("DETERMINING THE WATER LEVEL (HEAD)"));
        QVERIFY(
            head.contains(QStringLiteral("Head2 = Head1*Exp(-Alpha*Delta2) + "
                                         "[1-Exp(-Alpha*Delta2)]*100*Rech2/(0.8*EffPor*Alpha)")));
        QVERIFY(head.contains(QStringLiteral("Sto2 = Sto1 + Rech2 - Run2")));
    }

    // The head page's equations, step by step, give the levels a prediction computes.
    void headPageReproducesThePrediction()
    {
        QTemporaryDir dir;
        const QString input = dir.filePath(QStringLiteral("drainage.inp"));
        QVERIFY(QFile::copy(
            QStringLiteral(QUELLOW_SOURCE_DIR "/Data/Example-prediction-drainage.inp"), input));
        DMQuellow.FileName = input.toStdString();
        QVERIFY(DMQuellow.ReadInputFile());
        UPrediction::RunPrediction();
        const auto &s = UPrediction::State;
        QVERIFY(!s.PredFailed);
        QVERIFY(DMQuellow.Drainage);
        QVERIFY(s.NrOfPred > 10);
        const double effPor = 100 * s.PPorosity;
        for (int j = 2; j <= s.NrOfPred; ++j) {
            const double alpha = s.PAlpha[j];
            const double e = std::exp(-alpha * (s.PTime[j] - s.PTime[j - 1]));
            const double head =
                s.PLevel[j - 1] * e + (1 - e) * 100 * s.PRecharge[j] / (0.8 * effPor * alpha);
            QVERIFY2(std::abs(head - s.PLevel[j]) <= 1e-9 * (1 + std::abs(head)),
                     qPrintable(QStringLiteral("step %1").arg(j)));
        }
    }

    void figurePage()
    {
        QWidget page;
        UIntroPages::buildFigurePage(&page);
        QCOMPARE(lines(&page, "RefMemo").first(),
                 QStringLiteral("  For the equations used see web page:"));
        auto *picture = page.findChild<TSvgPicture *>(QStringLiteral("FigureImage"));
        QVERIFY(picture && picture->isValid());
    }

    void startHelp()
    {
        THelpForm help;
        QCOMPARE(help.windowTitle(), QStringLiteral("Start help"));
        QVERIFY(help.isWindow());
        const QStringList text = lines(&help, "HelpMemo");
        QCOMPARE(text.first(), QStringLiteral(" START HELP"));
        QVERIFY(text.contains(QStringLiteral("  RunOff = 24 x 1000  X / Y")));
        // Litres per second over m2, per day, in mm: 86400 X / 1000 m3 / Y m2 * 1000 mm/m.
        QVERIFY(text.contains(QStringLiteral("  RunOff = 60 x 60 x 24 X / Y")));
        for (const char *section : {"CALIBRATE", "VALIDATE", "IMPORT SERIES"})
            QVERIFY2(text.contains(QLatin1String(section)), section);
        // Each section, up to the next heading, says what the window does.
        const auto section = [&text](const char *heading) {
            QString body;
            for (qsizetype k = text.indexOf(QLatin1String(heading)) + 1;
                 k > 0 && k < text.size() &&
                 !(text[k].size() > 2 && text[k] == text[k].toUpper() && text[k - 1].isEmpty());
                 ++k)
                body += text[k] + QLatin1Char(' ');
            return body;
        };
        const QString calibration = section("CALIBRATION");
        QVERIFY2(calibration.contains(QLatin1String("by default it maximises another figure: the "
                                                    "NSE of the simulation")),
                 qPrintable(calibration));
        QVERIFY(!calibration.contains(QLatin1String("Calibration means finding")));
        for (const char *told : {"Second file...", "Runoff unit", "Seasons to folder..."})
            QVERIFY2(section("IMPORT SERIES").contains(QLatin1String(told)), told);
        for (const char *told : {"initial storage", "warm-up", "No calibration"})
            QVERIFY2(section("VALIDATE").contains(QLatin1String(told)), told);
        QCOMPARE(
            help.findChild<QPlainTextEdit *>(QStringLiteral("HelpMemo"))->verticalScrollBarPolicy(),
            Qt::ScrollBarAlwaysOn);
    }

    void windowsOpenWholeOnTheScreen()
    {
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        THelpForm help;
        help.resize(520, area.height() + 300);
        help.move(area.left() + 40, area.bottom() - 100);
        help.show();
        QVERIFY2(area.contains(help.geometry()), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                                .arg(help.x())
                                                                .arg(help.y())
                                                                .arg(help.width())
                                                                .arg(help.height())));
        // Room is left for the title bar the window manager adds.
        QVERIFY(help.height() <= area.height() - 40);

        TCommentForm comment;
        comment.move(area.right() - 50, area.top());
        comment.show();
        QVERIFY(area.contains(comment.geometry()));
    }

    void comment()
    {
        TCommentForm comment;
        QCOMPARE(comment.windowTitle(), QStringLiteral("Comment on shape of the curve"));
        QVERIFY(lines(&comment, "CommentMemo")
                    .join(QLatin1Char(' '))
                    .contains(QStringLiteral("a version of the model that estimates the time "
                                             "lag can help")));
        // No text points at a person or an address that is not there.
        QVERIFY(!lines(&comment, "CommentMemo")
                     .join(QLatin1Char(' '))
                     .contains(QStringLiteral("author"), Qt::CaseInsensitive));
    }
};

} // namespace quellow

QTEST_MAIN(quellow::TextPagesTest)
#include "TextPagesTest.moc"
