#pragma once

namespace quellow {

class TFinishForm;

/// The application's name, the window captions without any suffix, the font, the decimal
/// separator of the locale. Runs once, right after the QApplication is made.
void setUpApplication();

/// "Finish" (or closing the finish window) ends the event loop with status 0. It does not ask
/// the other windows to close first: the main window refuses that and would show the finish
/// window again.
void endProgramOnFinish(TFinishForm &finish);

} // namespace quellow
