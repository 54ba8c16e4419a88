#pragma once

namespace orlix {

// The question asked before Orlix quits while images are being processed.
class QuitConfirmation {
public:
    QuitConfirmation() = delete;

    // Asks in a modal alert, "Quit" first and "Cancel" second; true when the user chose Quit.
    static bool askWhileProcessing();
};

} // namespace orlix
