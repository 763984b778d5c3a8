#pragma once

#include <string>

namespace quellow {

/// What the model may ask of a person. The window implements it with message boxes,
/// quellow-cli with standard error, the tests with a recorder.
class TPrompts
{
public:
    virtual ~TPrompts() = default;
    /// A modal message with an OK button.
    virtual void ShowMessage(const std::string &text) = 0;
    /// A yes/no question; true exactly when the answer is Yes.
    virtual bool Confirm(const std::string &text) = 0;
};

/// The installed prompts; a silent default (messages dropped, questions answered No)
/// until main() installs its own.
TPrompts &Prompts();
/// Installs prompts (nullptr restores the silent default). The caller keeps ownership.
void SetPrompts(TPrompts *prompts);

} // namespace quellow
