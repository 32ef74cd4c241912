// The rows of an export made into text by two threads at once, the caller's and one of the
// system's thread pool, in pieces of a few hundred rows that the caller writes in row order.
//
// Making the text is most of an export's time and every piece is made from rows alone, so two
// cores make it at once while the file is written. The other thread only reads the rows: the
// caller pumps no messages until run returns, so nothing can change them meanwhile. A few pieces
// are held at any time, whatever the number of rows.
#pragma once

#include <windows.h>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>
#include "ExportText.h"

class ExportPieces {
public:
    // Appends rows [first, end) to text, with cell as the thread's own room for a cell's text.
    // May throw; runs on either thread, so it must only read what the export reads.
    using Make = std::function<void(int first, int end, ExportText& text, XStringW& cell)>;
    // Writes a finished piece; false stops the export.
    using Write = std::function<bool(const ExportText& text)>;

    // Pieces of pieceRows rows (at least one) of a file with this separator and encoding.
    ExportPieces(int rows, int pieceRows, wchar_t separator, bool utf8);
    ~ExportPieces();
    ExportPieces(const ExportPieces&) = delete;
    ExportPieces& operator=(const ExportPieces&) = delete;

    // Makes every piece and writes each in turn. False when a write failed (the file then has the
    // reason) or a piece could not be made (outOfMemory set); the other thread has ended by then.
    // Without a thread of the pool, the caller makes every piece itself.
    bool run(const Make& make, const Write& write, bool& outOfMemory);

    // The most bytes a piece held, for the export's memory figures.
    size_t largestPiece() const { return largest_; }

private:
    struct Slot {
        explicit Slot(wchar_t separator, bool utf8) : text(separator, utf8) {}
        ExportText text;
        bool ready = false;
    };

    static void CALLBACK helperMain(PTP_CALLBACK_INSTANCE, void* self, PTP_WORK);
    // Makes the pieces the writer has room for, until none is left or the run stops; the
    // helper's whole work. Never throws.
    void helpUntilDone();
    // Takes the next piece to make when its slot is free; -1 when none can be taken now. Called
    // with the lock held.
    int takePiece();
    // Makes a taken piece into its slot and marks it ready; false (and the run stopped) when it
    // could not be made.
    bool makePiece(int piece, XStringW& cell);
    void stop();

    const int rows_;
    const int pieceRows_;
    const int pieces_;
    std::vector<std::unique_ptr<Slot>> slots_;
    const Make* make_ = nullptr;
    PTP_WORK work_ = nullptr;

    SRWLOCK lock_ = SRWLOCK_INIT;
    CONDITION_VARIABLE changed_ = CONDITION_VARIABLE_INIT;
    int taken_ = 0;   // pieces taken by either thread, in order
    int written_ = 0; // pieces written; a piece's slot is free once the piece a slot round before it is
    bool stopped_ = false;
    bool outOfMemory_ = false;
    size_t largest_ = 0;
};
