#include "runs/UAlfaCalc.h"
#include "files/UDMQuellow.h"
#include "ui/UAlfaForm.h"
#include "ui/URainForm.h"
#include "ui/UDialogs.h"
#include "ui/USvgPicture.h"

#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace quellow {

/// Records the messages; file dialogs are never asked for by the calculator.
class TScriptedDialogs final : public TDialogs
{
public:
    QStringList Messages;
    void ShowMessage(const std::string &text) override { Messages << QString::fromStdString(text); }
    bool Confirm(const std::string &) override { return false; }
    QString OpenFileName(const TFileDialogSpec &) override { return {}; }
    QString SaveFileName(const TFileDialogSpec &) override { return {}; }
    void Pause(int) override {}
};

class AlfaFormTest : public QObject
{
    Q_OBJECT

private:
    TScriptedDialogs mDialogs;
    TRainForm *mMain = nullptr;
    TAlfaForm *mForm = nullptr;

    QLineEdit *box(const char *name) const
    {
        auto *edit = mForm->findChild<QLineEdit *>(QString::fromLatin1(name));
        if (!edit)
            edit = mMain->findChild<QLineEdit *>(QString::fromLatin1(name));
        return edit;
    }
    /// Types text into a box and leaves it with the tab key.
    void enter(const char *name, const QString &text, Qt::FocusReason reason = Qt::TabFocusReason)
    {
        QLineEdit *edit = box(name);
        edit->setText(text);
        QFocusEvent leave(QEvent::FocusOut, reason);
        QCoreApplication::sendEvent(edit, &leave);
    }
    void enterAll(const QStringList &values)
    {
        for (int i = 0; i < 6; ++i)
            enter(QStringLiteral("Edit%1").arg(i + 1).toLatin1().constData(), values[i]);
    }
    void calculate() { mForm->findChild<QPushButton *>(QStringLiteral("Button1"))->click(); }

private slots:
    void init()
    {
        ResetAllState();
        SetDialogs(&mDialogs);
        mDialogs.Messages.clear();
        // The main window's input sheet takes what the calculator hands over.
        mMain = new TRainForm;
        for (const char *name : {"A1coeffEdit", "A2CoeffEdit", "B1valueEdit", "B2ValueEdit",
                                 "PorosityEdit", "DivideEdit"})
            mMain->findChild<QLineEdit *>(QString::fromLatin1(name))->setText(QStringLiteral("9"));
        mForm = new TAlfaForm;
        mMain->setAlfaForm(mForm);
    }
    void cleanup()
    {
        delete mForm;
        delete mMain;
        SetDialogs(nullptr);
    }

    void isAWindowOfItsOwn()
    {
        QCOMPARE(mForm->windowTitle(), QStringLiteral("Calculator rection factors drainage systm"));
        QVERIFY(mForm->isWindow());
        QCOMPARE(mForm->windowModality(), Qt::NonModal);
        auto *picture = mForm->findChild<TSvgPicture *>(QStringLiteral("ProfileImage"));
        QVERIFY(picture && picture->isValid());
    }

    void workedExamples_data()
    {
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<QString>("porosity");
        QTest::newRow("series branch") << QStringList{"1", "1", "5", "1", "10", "20"} << " 0.100"
                                       << " 0.495"
                                       << " 10.0";
        QTest::newRow("logarithmic branch")
            << QStringList{"0.5", "0,5", "1", "0.5", "5", "30"} << " 0.044"
            << " 0.084"
            << "  5.0";
    }
    void workedExamples()
    {
        QFETCH(QStringList, values);
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(QString, porosity);
        enterAll(values);
        QCOMPARE(mDialogs.Messages, QStringList{});
        calculate();
        QCOMPARE(mDialogs.Messages,
                 QStringList{"The calculations were done and the values are entered in the input "
                             "tabsheet."});
        QCOMPARE(box("Edit7")->text(), a);
        QCOMPARE(box("Edit8")->text(), b);
        QCOMPARE(box("A1coeffEdit")->text(), a);
        QCOMPARE(box("B1valueEdit")->text(), b);
        QCOMPARE(box("A2CoeffEdit")->text(), QStringLiteral(" 0"));
        QCOMPARE(box("B2ValueEdit")->text(), QStringLiteral(" 0"));
        QCOMPARE(box("PorosityEdit")->text(), porosity);
        QCOMPARE(box("DivideEdit")->text(), QStringLiteral(" 0"));
        QCOMPARE(DMQuellow.Porosity, porosity.toDouble());
        QVERIFY(DMQuellow.Drainage);
        // The coefficients reach the model only when the main window reads its boxes.
        QCOMPARE(ModelValues.A1, 0.0);
    }

    void exitChecks_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("Ka negative") << QByteArray("Edit1") << "-1"
                                     << "Ka should be greater than zero";
        QTest::newRow("Ka zero") << QByteArray("Edit1") << "0"
                                 << "";
        QTest::newRow("Kb negative") << QByteArray("Edit2") << "-0,2"
                                     << "Kb should be greater than zero";
        QTest::newRow("D zero") << QByteArray("Edit3") << "0"
                                << "D should be greater than zero";
        QTest::newRow("U negative") << QByteArray("Edit4") << "-1"
                                    << "U should be greater than zero";
        QTest::newRow("P zero") << QByteArray("Edit5") << "0"
                                << "P should be greater than zero";
        QTest::newRow("P half") << QByteArray("Edit5") << "0.5"
                                << "P should be greater than 1%";
        QTest::newRow("P one") << QByteArray("Edit5") << "1"
                               << "";
        QTest::newRow("P thirty") << QByteArray("Edit5") << "30"
                                  << "";
        QTest::newRow("P above thirty") << QByteArray("Edit5") << "31"
                                        << "P should be less than 30%";
        QTest::newRow("L zero") << QByteArray("Edit6") << "0"
                                << "L should be greater than zero";
    }
    void exitChecks()
    {
        QFETCH(QByteArray, name);
        QFETCH(QString, text);
        QFETCH(QString, message);
        enter(name.constData(), text);
        QCOMPARE(mDialogs.Messages, message.isEmpty() ? QStringList{} : QStringList{message});
        // A rejected value leaves an empty box; an accepted one stays.
        QCOMPARE(box(name.constData())->text(), message.isEmpty() ? text : QString());
    }

    void textThatIsNoNumberChangesNothing()
    {
        enter("Edit3", QStringLiteral("5"));
        enter("Edit3", QStringLiteral("five"));
        QCOMPARE(mDialogs.Messages, QStringList{"'five' is not a valid floating point value"});
        QCOMPARE(box("Edit3")->text(), QStringLiteral("five"));
        QCOMPARE(UAlfaCalc::State.Value[UAlfaCalc::D], 5.0);
        // The box does not hold a number: "Calculate" refuses rather than use the old value.
        enterAll({"1", "1", "five", "1", "10", "20"});
        mDialogs.Messages.clear();
        calculate();
        QCOMPARE(mDialogs.Messages, QStringList{"One or more data values are incorrect"});
        QCOMPARE(box("Edit7")->text(), QString());
    }

    void emptyBoxIsNotChecked()
    {
        enter("Edit1", QString());
        enter("Edit1", QStringLiteral("  "));
        QCOMPARE(mDialogs.Messages, QStringList{});
    }

    void refusedCalculationEntersNothing_data()
    {
        QTest::addColumn<QStringList>("values");
        QTest::newRow("P = 30") << QStringList{"1", "1", "5", "1", "30", "20"};
        QTest::newRow("Ka = 0") << QStringList{"0", "1", "5", "1", "10", "20"};
        QTest::newRow("perimeter wider than spacing")
            << QStringList{"1", "1", "5", "30", "10", "20"};
    }
    void refusedCalculationEntersNothing()
    {
        QFETCH(QStringList, values);
        enterAll(values);
        mDialogs.Messages.clear();
        calculate();
        QCOMPARE(mDialogs.Messages, QStringList{"One or more data values are incorrect"});
        QCOMPARE(box("Edit7")->text(), QString());
        QCOMPARE(box("Edit8")->text(), QString());
        for (const char *name : {"A1coeffEdit", "A2CoeffEdit", "B1valueEdit", "B2ValueEdit",
                                 "PorosityEdit", "DivideEdit"})
            QCOMPARE(box(name)->text(), QStringLiteral("9"));
        QVERIFY(!DMQuellow.Drainage);
    }

    void rejectedPorosityIsRefusedByCalculate()
    {
        enterAll({"1", "1", "5", "1", "45", "20"});
        QCOMPARE(mDialogs.Messages, QStringList{"P should be less than 30%"});
        calculate();
        QCOMPARE(mDialogs.Messages.last(), QStringLiteral("One or more data values are incorrect"));
    }

    void anyChangeEmptiesTheResults()
    {
        enterAll({"1", "1", "5", "1", "10", "20"});
        for (int i = 1; i <= 6; ++i) {
            calculate();
            QCOMPARE(box("Edit7")->text(), QStringLiteral(" 0.100"));
            QTest::keyClick(box(QStringLiteral("Edit%1").arg(i).toLatin1().constData()), Qt::Key_0);
            QCOMPARE(box("Edit7")->text(), QString());
            QCOMPARE(box("Edit8")->text(), QString());
            QCOMPARE(UAlfaCalc::State.A, 0.0);
            // Put the value back as it was.
            QTest::keyClick(box(QStringLiteral("Edit%1").arg(i).toLatin1().constData()),
                            Qt::Key_Backspace);
        }
    }

    void calculateChecksAValueTypedWithoutLeavingTheBox()
    {
        enterAll({"1", "1", "5", "1", "10", "20"});
        box("Edit1")->setText(QStringLiteral("-2"));
        calculate();
        QCOMPARE(mDialogs.Messages, QStringList{"Ka should be greater than zero"});
        QCOMPARE(box("Edit1")->text(), QString());
        QCOMPARE(box("A1coeffEdit")->text(), QStringLiteral("9"));
        // A new valid value is used, not the one checked earlier.
        box("Edit1")->setText(QStringLiteral("2"));
        calculate();
        QCOMPARE(box("Edit7")->text(), QStringLiteral(" 0.200"));
    }

    void switchingWindowsIsNotLeavingTheBox()
    {
        enter("Edit5", QStringLiteral("50"), Qt::ActiveWindowFocusReason);
        QCOMPARE(mDialogs.Messages, QStringList{});
        enter("Edit5", QStringLiteral("50"), Qt::MouseFocusReason);
        QCOMPARE(mDialogs.Messages, QStringList{"P should be less than 30%"});
    }
};

} // namespace quellow

QTEST_MAIN(quellow::AlfaFormTest)
#include "AlfaFormTest.moc"
