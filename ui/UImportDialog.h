#pragma once

#include "import/UCsvImport.h"
#include "import/UCsvSeasons.h"
#include "import/UCsvSources.h"
#include "import/UImportPipeline.h"
#include "import/UImportedFile.h"

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
/// keeps the columns chosen. The runoff is converted one way only: by its unit (named by a file
/// or chosen) and the catchment area, in the time unit of the rows taken; "Runoff factor" sets
/// that unit and area while none is in force.
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
    UCsvSources::TRunoffUnit runoffUnit() const { return mRead.Frame.Unit; }
    /// The files read as one frame: the runoff's file and column, its unit and area, and where
    /// they were taken from.
    const UCsvSources::TFrame &frame() const { return mRead.Frame; }
    /// The second file as picked (its whole name); empty when none.
    const QString &secondFileName() const { return mSecondName; }
    /// What the season files hold besides the rows: the sheet's storages and parameters.
    void setFileForm(const UImportedFile::TForm &form) { mForm = form; }

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
    QGroupBox *createSecondFileChoices();
    QHBoxLayout *createSeasonRow();
    void pickSecondFile();
    void fillSecondPreview();
    void showHeaderUnit();
    void pickSeasonsFile();
    /// The seasons of the current choices; false with the reason in error.
    bool splitSeasons(UCsvSeasons::TSeasons &seasons, std::string &error);

    std::string mContent;
    QString mFileName;
    UImportPipeline::TRead mRead; ///< the frame of the files read, and its series
    UImportedFile::TForm mForm;
    QString mSecondName;
    std::string mSecondContent;
    /// The area and the unit in their boxes are those a file names (not the user's own).
    bool mAreaFromFile = false;
    bool mUnitFromFile = false;
    UCsvImport::TImportResult mResult;
    bool mTableOk = false;
    bool mImportOk = false;
    bool mFilling = false;
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
