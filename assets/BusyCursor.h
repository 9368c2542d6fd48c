#pragma once
// The busy cursor shown while the computer thinks: a small clock whose hand goes
// round, drawn by the piece-image holder and cycled by a timer. Start keeps the
// cursor that was in use and shows the clock over every window of the program;
// Stop puts the kept cursor back. The frames advance whenever events run (the
// search lets pending events run between root moves).
namespace corvane {

class BusyCursor {
public:
    static constexpr int FrameIntervalMs = 120;
    // Shows the clock; a second Start while it shows changes nothing.
    static void Start();
    // Restores the cursor kept by Start; harmless when the clock is not showing.
    static void Stop();
    static bool IsActive();
    // Frame now showing (0..frmPieces::BusyFrames - 1).
    static int Frame();
};

} // namespace corvane
