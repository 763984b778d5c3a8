#pragma once

class QWidget;

namespace quellow::UIntroPages {

/// Fills the Intro tab: IntroMemo on the left, the "Details" group with its four buttons
/// (FirstMemo, SecondMemo, AlphaMemo, HeadMemo) and "Back". showIntroduction() is what the
/// tab's show handler calls.
void buildIntroPage(QWidget *page);
/// Shows IntroMemo and hides the four detail memos of a page built by buildIntroPage.
void showIntroduction(QWidget *page);

/// Fills the Figure tab: the picture of the two reservoirs and RefMemo.
void buildFigurePage(QWidget *page);

} // namespace quellow::UIntroPages
