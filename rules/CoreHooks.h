#pragma once
// What the headless core (rules and computer player) needs from the user
// interface, and nothing more. The GUI installs its implementation at start-up;
// tools and tests keep the quiet default or install a recorder.
#include <string>

namespace corvane {

class CoreHooks {
public:
    virtual ~CoreHooks() = default;
    // Let pending window events run (the search yields here once per pass).
    virtual void LetEventsRun() {}
    // Progress labels LabPB(0..2) of the main window.
    virtual void SetProgressLabel(int index, const std::string& text) {
        (void)index;
        (void)text;
    }
    // Modal message box titled "ERROR" for an internal consistency failure.
    virtual void ErrorBox(const std::string& text) { (void)text; }
};

// The hooks in force; never null (a quiet default when none was installed).
CoreHooks& Hooks();
// Installs hooks (nullptr restores the quiet default). The caller keeps ownership.
void SetHooks(CoreHooks* hooks);

} // namespace corvane
