#pragma once

#include "import/UCsvImport.h"
#include "import/UCsvSeasons.h"
#include "import/UCsvSources.h"

#include <QDialog>

#include <string>
#include <utility>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace quellow {

/// File > "Import series...": a preview of a dated series file with the columns, the date
/// order, the decimal mark of numbers that read two ways, irregular steps, factors and the
/// period to take, and what the import finds (rows, gaps, the period taken). "Import" is
/// enabled while the choices give a series the mode can take. Typing a missing-value marker
/// keeps the columns chosen; a runoff factor from the catchment area follows the time unit.
class TImportDialog : public QDialog
{
    Q_OBJECT

public:
    /// content is the whole text of the file fileName.
    TImportDialog(const QString &fileName, std::string content, QWidget *parent = nullptr);
    ~TImportDialog() override;

    /// True when the current choices give a series to import.
    bool canImport() const { return mImportOk; }
    /// The series of the current choices (valid when canImport()).
    const UCsvImport::TImportResult &importResult() const { return mResult; }
    /// True for an analysis (date, rain, escape rate and runoff), false for a prediction.
    bool analysisChosen() const;
    /// Holds the choice to an analysis, for a use that needs the measured runoff.
    void holdToAnalysis();
    /// The unit the runoff of the series was converted from (None: taken as it is).
    UCsvSources::TRunoffUnit runoffUnit() const { return mFrame.Unit; }

    /// Takes the series of role (rain, escape rate or runoff) from a second file, content
    /// being its whole text; it is joined on the date and previewed.
    void setSecondFile(int role, const QString &fileName, std::string content);
    /// Writes NAME-YYYY.inp beside output for every complete season without gaps and lists
    /// in the summary the years taken and left out; false when nothing was written.
    bool writeSeasons(const QString &output);

private:
    void createPreview();
    void createChoices();
    QGroupBox *createColumnChoices();
    QGroupBox *createFactorChoices();
    QHBoxLayout *createAreaRow();
    void createButtons();
    QComboBox *columnBox(const char *name);
    QLineEdit *lineEdit(const char *name, const QString &text);

    void readTable();
    void fillPreview();
    void fillColumnBoxes();
    UCsvImport::TImportOptions currentOptions(QString &problem) const;
    void updateImport();
    void setRunoffFactor();
    void showRunoffFactor();
    QGroupBox *createSecondFileChoices();
    QHBoxLayout *createSeasonRow();
    void pickSecondFile();
    void fillSecondPreview();
    void showHeaderUnit();
    void pickSeasonsFile();
    bool splitSeasons(const UCsvImport::TImportOptions &options, UCsvSeasons::TSeasons &seasons,
                      std::string &error) const;
    /// Writes the seasons' files named after output; the message when they are not written.
    std::string writeSeasonFiles(const UCsvImport::TImportOptions &options,
                                 const UCsvSeasons::TSeasons &seasons, const QString &output,
                                 std::vector<std::pair<std::string, std::string>> &files) const;

    std::string mContent;
    QString mFileName;
    UCsvSources::TFrame mFrame;
    QString mSecondName;
    std::string mSecondContent;
    /// The area and the unit in their boxes are those a file names (not the user's own).
    bool mAreaFromFile = false;
    bool mUnitFromFile = false;
    UCsvImport::TCsvTable mTable;
    UCsvImport::TImportResult mResult;
    bool mTableOk = false;
    bool mImportOk = false;
    bool mFilling = false;
    /// The runoff factor comes from the catchment area (until the factor is typed over): it
    /// follows the time unit of the series.
    bool mFactorFromArea = false;
    double mFactorArea = 0;
    bool mFactorCubicMetres = false;
    QString mFactorUnit;

    QLabel *mFileLabel = nullptr;
    QTableWidget *mPreview = nullptr;
    QComboBox *mModeBox = nullptr;
    QComboBox *mColumnBoxes[UCsvImport::RoleCount] = {};
    QComboBox *mDateOrderBox = nullptr;
    QLineEdit *mMissingEdit = nullptr;
    QComboBox *mDecimalBox = nullptr;
    QCheckBox *mIrregularBox = nullptr;
    QLineEdit *mScaleEdits[UCsvImport::RoleCount] = {};
    QLineEdit *mAreaEdit = nullptr;
    QComboBox *mAreaUnitBox = nullptr;
    QPushButton *mFactorButton = nullptr;
    QLineEdit *mFromEdit = nullptr;
    QLineEdit *mToEdit = nullptr;
    QComboBox *mSecondRoleBox = nullptr;
    QLabel *mSecondFileLabel = nullptr;
    QTableWidget *mSecondPreview = nullptr;
    QComboBox *mSecondColumnBox = nullptr;
    QComboBox *mRunoffUnitBox = nullptr;
    QLabel *mUnitSourceLabel = nullptr;
    QLineEdit *mSeasonEdit = nullptr;
    QLineEdit *mSpinupEdit = nullptr;
    QPushButton *mSeasonsButton = nullptr;
    QPlainTextEdit *mSummary = nullptr;
    QPushButton *mImportButton = nullptr;
};

} // namespace quellow
