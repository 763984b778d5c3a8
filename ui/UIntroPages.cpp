#include "ui/UIntroPages.h"

#include "ui/UBaseForm.h"

#include "ui/USvgPicture.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

#include <array>

namespace quellow::UIntroPages {

namespace {

const char *const introText =
    "INTRODUCTION TO THE Quellow PROGRAM\n"
    "The Quellow project\n"
    "\n"
    "Quellow calculates the runoff (discharge) of the rainfall on a watershed over which the "
    "rainfall is evenly spread.\n"
    "\n"
    "The rainfall is first routed through a reservoir from which water escapes at a limited "
    "rate, by evaporation or by subsurface drainage. As long as this first (pre) reservoir is "
    "not full, the rain is stored in it; when it overflows, the overflow is the recharge, also "
    "called the rainfall excess.\n"
    "\n"
    "The recharge is then routed through a second, non-linear reservoir. Its reaction factor "
    "(response factor, alpha) depends on the storage level in the reservoir, and so on the "
    "runoff itself. The outflow of the second reservoir is the runoff.\n"
    "\n"
    "The program can be used in two ways (\"Options\" on the Input tab):\n"
    "\n"
    "1. From recorded rainfall and runoff data it determines the reaction factor, with linear "
    "and quadratic reservoir functions, choosing the one that fits best. With the function "
    "found it reconstructs the runoff, so that the calculated and the measured runoff can be "
    "compared (R square).\n"
    "\n"
    "2. The reservoir function is given, and the program calculates the runoff from the "
    "rainfall, together with the water level of a drained soil or the storage of the main "
    "reservoir.\n"
    "\n"
    "To determine the reservoir function, this standard model needs periods without rainfall "
    "and recharge, in which the runoff recedes freely. Two sibling models go further: QuellowT "
    "has no such requirement, but its calculation takes longer; QuellowQ works with a quadratic "
    "reservoir function.\n"
    "\n"
    "A series with dates, as a gauge or a spreadsheet gives it, is read with File > Import "
    "series. In the first option, \"Calibrate\" on the Input tab searches the storages of the "
    "first reservoir and a factor on the escape rates that fit the measured runoff best, and "
    "\"Validate\" tries them on another period. The start help (\"Start help, units\" on the "
    "Input tab) tells more about each.\n"
    "\n"
    "The buttons under \"Details\" explain each part of the model; \"Back\" returns to this "
    "page. The Figure tab shows the two reservoirs. Enter your own data, or open one of the "
    "examples under \"Data\", on the Input tab.\n"
    "\n"
    "Quellow is made and maintained by the Quellow project.";

const char *const firstText =
    "CONVERSION OF RAINFALL INTO RECHARGE THROUGH THE\n"
    "FIRST RESERVOIR\n"
    "\n"
    "The first reservoir stands for the dead storage of the watershed: the water held by "
    "interception, surface depressions and the root zone, which does not run off but leaves "
    "again by evaporation or by deep drainage.\n"
    "\n"
    "MaxSto = maximum dead storage (mm)\n"
    "ActSto = actual dead storage (mm)\n"
    "IniSto = initial storage: ActSto at the start (mm)\n"
    "MaxEsc = maximum escape rate (mm per time unit)\n"
    "ActEsc = actual escape rate (mm per time unit)\n"
    "Delta  = length of the time step (time units)\n"
    "t      = time elapsed (time units)\n"
    "\n"
    "Water escapes at the maximum rate when the reservoir is full, and ever more slowly as it "
    "empties:\n"
    "\n"
    "ActEsc = R * MaxEsc (mm/t)\n"
    "\n"
    "with R = ActSto/MaxSto, the filling ratio of the reservoir.\n"
    "\n"
    "The storage deficit is the room left in the reservoir, which grows as water escapes:\n"
    "\n"
    "StoDef = MaxSto + ActEsc*t - ActSto (mm)\n"
    "\n"
    "The rain first makes up the deficit; what is left over is the recharge of the second "
    "reservoir:\n"
    "\n"
    "Rech = Rain - StoDef/Delta (mm/t)\n"
    "\n"
    "A negative recharge is set to 0: all the rain of that time step is stored. The storage "
    "at the end of a time step (2) follows from that at its start (1):\n"
    "\n"
    "ActSto2 = ActSto1 +  (Rain - Rech - ActEsc)*Delta\n"
    "\n"
    "The initial storage deficit, MaxSto - IniSto, plays the part of the initial abstraction "
    "of the US-SCS Curve Number method, and StoDef(ini) + EscTot, the initial deficit plus the "
    "total escape during the event, that of its total retention. Unlike the Curve Number "
    "method, the reservoir recovers between storms, so a long series with many storms can be "
    "calculated in one run.\n"
    "\n"
    "MaxSto, IniSto and MaxEsc are the parameters with which the model is calibrated (see "
    "\"Start help, units\" on the Input tab).";

const char *const secondText =
    "CALCULATING RUNOFF FROM THE SECOND RESERVOIR\n"
    "USING THE RECHARGE COMING FROM THE FIRST\n"
    "\n"
    "The recharge from the first reservoir flows into the second (main) reservoir, which "
    "releases it gradually as runoff. Over one time step the runoff changes as:\n"
    "\n"
    "Run2 = Run1*Exp(-Alpha*Delta2) + Rech2*[1-Exp(-Alpha*Delta2)]\n"
    "\n"
    "Run1   = runoff at the start of the time step (mm/t)\n"
    "Run2   = runoff at the end of the time step (mm/t)\n"
    "Rech2  = recharge during the time step (mm/t)\n"
    "Delta2 = length of the time step (time units)\n"
    "Alpha  = reaction factor of the reservoir (per time unit)\n"
    "\n"
    "The equation is applied step by step, starting from the initial runoff RunIni. Each "
    "step the runoff moves from its old value towards the recharge; the larger Alpha*Delta2, "
    "the further it gets. A watershed with a large Alpha reacts quickly and its runoff "
    "follows the recharge closely; with a small Alpha the runoff is damped and spread out "
    "over a longer time.\n"
    "\n"
    "Alpha is not a constant: it depends on the storage in the reservoir and so on the runoff "
    "(see \"Alpha (response) function\").\n"
    "\n"
    "The time step Delta must not be longer than the time of concentration of the watershed, "
    "or the rise of the runoff is missed. For a watershed with a time of concentration of 2 "
    "hours, a time step of about 1 hour is appropriate.";

const char *const alphaText =
    "DETERMING THE ALPHA FUNCTION FROM RAINFALL-RUNOFF DATA\n"
    "\n"
    "In a dry spell there is no recharge (Rech2 = 0) and the runoff equation of the second "
    "reservoir reduces to Run2 = Run1*Exp(-Alpha2*Delta2), which gives the reaction factor "
    "directly:\n"
    "\n"
    "Alpha2 = -[Ln(Run1/Run2)]/Delta2\n"
    "\n"
    "Mind the sign: the ratio in the line above is to be read as Run2/Run1. From Run2 = "
    "Run1*Exp(-Alpha2*Delta2) follows Alpha2 = -[Ln(Run2/Run1)]/Delta2, that is "
    "Ln(Run1/Run2)/Delta2, which is positive while the runoff recedes (Run2 < Run1). The "
    "program calculates it in this way.\n"
    "\n"
    "When there is rain, Alpha2 cannot be separated like this; it is then found by trial and "
    "error, changing it until the runoff equation gives Run2.\n"
    "\n"
    "The values of Alpha2 found are related to the runoff at the start of their time step, "
    "Run1, by regression, as a constant, a linear or a quadratic function:\n"
    "\n"
    "Alpha2=C,  Alpha2 = A*Run1+C,  or  Alpha2 = A*Run1^2+B*Run1+C\n"
    "\n"
    "whichever fits best. With Alpha2 = C the reaction factor does not depend on the runoff, "
    "and the reservoir is called linear.\n"
    "\n"
    "The regression is made separately above and below a runoff divide. The program tries "
    "five divides within the range of the measured runoff and keeps the one with which the "
    "reconstructed runoff comes closest to the measured runoff. In the prediction option the "
    "function is given as Alpha = A1*Runoff + B1 above the divide and Alpha = A2*Runoff + B2 "
    "at or below it.";

const char *const headText =
    "DETERMINING THE WATER LEVEL (HEAD)\n"
    "\n"
    "In the prediction option the program can follow the water level (head) together with "
    "the runoff. Over each time step the head moves towards the level at which the drainage "
    "would carry off the recharge, at the pace of the reaction factor:\n"
    "\n"
    "Head2 = Head1*Exp(-Alpha*Delta2) + "
    "[1-Exp(-Alpha*Delta2)]*100*Rech2/(0.8*EffPor*Alpha)\n"
    "\n"
    "Head1  = water level at the start of the time step (mm)\n"
    "Head2  = water level at the end of the time step (mm)\n"
    "Rech2  = recharge during the time step (mm/t)\n"
    "Alpha  = reaction factor of the time step, from the runoff at its start (1/t)\n"
    "Delta2 = length of the time step (t)\n"
    "EffPor = effective (drainable) porosity of the soil (%)\n"
    "\n"
    "The level rises while the recharge exceeds what the drains carry off, and falls "
    "otherwise; the smaller the porosity, the higher the level. The calculation starts from "
    "the initial water level given with the input. The factor 0.8 converts the water table "
    "midway between the drains into the mean water table of the drainage formula.\n"
    "\n"
    "Without drainage (the runoff option) the program follows the storage of the second "
    "reservoir instead, in mm:\n"
    "\n"
    "Sto2 = Sto1 + Rech2 - Run2\n"
    "\n"
    "In a regular subsurface drainage system with pipes or ditches, the head is the height of "
    "the water table above drain level, midway between the drains. Elsewhere it is the level "
    "of a conceptual reservoir, which need not be found in the field.\n"
    "\n"
    "For a drainage system, the button \"AlfaCalc\" on the Input tab calculates the alpha "
    "function from the drain spacing, the depth and the conductivities of the soil.";

const char *const refText =
    "  For the equations used see web page:\n"
    "  no web page has been published yet. The equations are given on the Intro tab, under "
    "\"Details\".\n"
    "\n"
    "  Rain falls into the first (pre) reservoir, which holds at most MaxSto mm of dead storage "
    "and loses water by escape (evaporation or natural drainage) at a rate that falls as its "
    "actual storage ActSto falls. What overflows is the recharge Rech of the second (main) "
    "reservoir, whose outflow is the runoff Run. The reaction factor alpha of the second "
    "reservoir depends on the runoff.";

struct TMemoSpec
{
    const char *name;
    const char *text;
    const char *colour; ///< background
};

const std::array<TMemoSpec, 4> detailMemos{{
    {"FirstMemo", firstText, "#fff6dc"},
    {"SecondMemo", secondText, "#e6f2ff"},
    {"AlphaMemo", alphaText, "#eaf7e6"},
    {"HeadMemo", headText, "#f4ebfa"},
}};

const std::array<const char *, 4> detailCaptions{"1st (pre) reservoir", "2nd (main) reservoir",
                                                 "Alpha (response) function", "Water level (head)"};

QPlainTextEdit *makeMemo(QWidget *parent, const char *name, const char *text, const char *colour)
{
    auto *memo = new QPlainTextEdit(parent);
    memo->setObjectName(QString::fromLatin1(name));
    memo->setPlainText(QString::fromUtf8(text));
    memo->setStyleSheet(QStringLiteral("QPlainTextEdit { background: %1; color: #1a1a1a; }")
                            .arg(QString::fromLatin1(colour)));
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    return memo;
}

void showOnly(QWidget *page, const char *name)
{
    for (const char *memo : {"IntroMemo", "FirstMemo", "SecondMemo", "AlphaMemo", "HeadMemo"})
        if (auto *widget = page->findChild<QWidget *>(QString::fromLatin1(memo)))
            widget->setVisible(qstrcmp(memo, name) == 0);
}

/// The five memos in one place; one at a time is visible.
QGridLayout *introMemos(QWidget *page)
{
    auto *memos = new QGridLayout;
    auto *intro = makeMemo(page, "IntroMemo", introText, "#fffbe8");
    intro->setReadOnly(true);
    QFont introFont = intro->font();
    introFont.setPointSize(10);
    intro->setFont(introFont);
    memos->addWidget(intro, 0, 0);
    QFont small(QStringLiteral("Arial"));
    small.setStyleHint(QFont::SansSerif);
    small.setPointSize(8);
    for (const TMemoSpec &request : detailMemos) {
        auto *memo = makeMemo(page, request.name, request.text, request.colour);
        memo->setFont(small);
        memo->hide();
        memos->addWidget(memo, 0, 0);
    }
    return memos;
}

/// The "Details" buttons and "Back".
QVBoxLayout *introButtons(QWidget *page)
{
    auto *side = new QVBoxLayout;
    auto *details = new QGroupBox(QStringLiteral("Details"), page);
    details->setObjectName(QStringLiteral("DetailsGroupBox"));
    auto *buttons = new QVBoxLayout(details);
    for (int i = 0; i < 4; ++i) {
        auto *button = new QPushButton(QString::fromLatin1(detailCaptions[i]), details);
        button->setObjectName(QStringLiteral("DetailButton%1").arg(i + 1));
        leaveTextRoom(*button);
        const char *memo = detailMemos[i].name;
        QObject::connect(button, &QPushButton::clicked, page,
                         [page, memo] { showOnly(page, memo); });
        buttons->addWidget(button);
    }
    side->addWidget(details);
    auto *back = new QPushButton(QStringLiteral("Back"), page);
    back->setObjectName(QStringLiteral("BackButton"));
    leaveTextRoom(*back);
    QObject::connect(back, &QPushButton::clicked, page, [page] { showIntroduction(page); });
    side->addWidget(back);
    side->addStretch(1);
    return side;
}

} // namespace

void buildIntroPage(QWidget *page)
{
    auto *layout = new QHBoxLayout(page);
    layout->addLayout(introMemos(page), 1);
    layout->addLayout(introButtons(page));
}

void showIntroduction(QWidget *page)
{
    showOnly(page, "IntroMemo");
}

void buildFigurePage(QWidget *page)
{
    auto *layout = new QVBoxLayout(page);
    auto *picture = new TSvgPicture(QStringLiteral(":/pictures/Reservoirs.svg"), page);
    picture->setObjectName(QStringLiteral("FigureImage"));
    layout->addWidget(picture, 3);
    auto *memo = makeMemo(page, "RefMemo", refText, "#f3f3f3");
    memo->setMaximumHeight(110);
    layout->addWidget(memo, 1);
}

} // namespace quellow::UIntroPages
