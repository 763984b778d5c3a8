#pragma once

#include <QString>

class QCheckBox;
class QFormLayout;
class QLineEdit;
class QWidget;

/// The controls that the calibration and validation dialogs share for the options of their
/// searches.
namespace quellow::USearchControls {

/// The "Robust alpha function" check box (object name RobustAlphaCheckBox).
QCheckBox *RobustAlphaBox(QWidget *parent, bool checked);

/// The field of the number of evaluations (object name EvaluationsEdit) with its label, added to
/// form as a row.
QLineEdit *AddEvaluationsRow(QWidget *parent, QFormLayout *form, const QString &value,
                             const QString &toolTip);

} // namespace quellow::USearchControls
