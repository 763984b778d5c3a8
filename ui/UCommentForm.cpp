#include "ui/UCommentForm.h"

namespace quellow {

TCommentForm::TCommentForm(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("CommentForm"));
    setWindowTitle(QStringLiteral("Comment on shape of the curve"));
}

} // namespace quellow
