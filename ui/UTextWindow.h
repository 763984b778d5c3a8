#pragma once

#include <QSize>
#include <QWidget>

namespace quellow {

/// What a text window shows: its object and memo names, caption, text and background.
struct TTextWindowLook
{
    const char *Name;
    const char *Caption;
    const char *MemoName;
    const char *Text;
    const char *Background;
    QSize Size;
    bool AlwaysScroll = false; ///< the vertical scroll bar stays on view
};

/// A non-modal window with one text, created at start-up and only shown or hidden; it opens
/// whole on the screen. The start help and the comment window are such windows.
class TTextWindow : public QWidget
{
    Q_OBJECT

public:
    TTextWindow(const TTextWindowLook &look, QWidget *parent);

protected:
    void showEvent(QShowEvent *event) override;
};

} // namespace quellow
