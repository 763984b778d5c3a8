#include "ui/UCommentForm.h"

namespace quellow {

namespace {

const char *const commentText =
    " COMMENT ON THE SHAPE OF THE CURVE\n"
    "\n"
    "Normally the measured runoff rises with the rainfall (or the recharge), at a constant or "
    "at a rising rate. The model then fits the data well.\n"
    "\n"
    "When the fit is poor, or when the relation between rainfall and runoff is flat or even "
    "falls, there are two likely causes:\n"
    "\n"
    "1. The measuring interval is longer than the time of concentration of the watershed. "
    "The runoff then has passed its peak, or has already receded, before the next measurement, "
    "and the rise of the runoff with the rain is missed. The cure is to measure at shorter "
    "intervals.\n"
    "\n"
    "2. The runoff is delayed (a time lag), as happens in large watersheds, where the water "
    "takes a long time to travel to the outlet. Shifting the runoff data backward by one or "
    "more time steps may help (see the hints in the start help). Perhaps a version of the "
    "model that estimates the time lag can help; this program does not estimate it.\n"
    "\n"
    "Otherwise the model cannot explain the anomaly, and the data should be examined for "
    "other influences, such as storage in lakes or reservoirs, irrigation, or errors in the "
    "measurements.\n";

} // namespace

TCommentForm::TCommentForm(QWidget *parent)
    : TTextWindow({"CommentForm", "Comment on shape of the curve", "CommentMemo", commentText,
                   "#eef6ee", QSize(480, 380)},
                  parent)
{}

} // namespace quellow
