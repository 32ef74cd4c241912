#include "ExportPieces.h"

#include <algorithm>

namespace {

// Pieces made and not yet written, at most: one in the making on each thread and two waiting
// for the file, so that neither thread often waits for the other.
constexpr int kSlots = 4;

class Locked {
public:
    explicit Locked(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
    ~Locked() { ReleaseSRWLockExclusive(&lock_); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    SRWLOCK& lock_;
};

} // namespace

ExportPieces::ExportPieces(int rows, int pieceRows, wchar_t separator, bool utf8)
    : rows_(std::max(rows, 0)), pieceRows_(std::max(pieceRows, 1)),
      pieces_(rows_ / pieceRows_ + (rows_ % pieceRows_ ? 1 : 0)) {
    for (int i = 0; i < kSlots; ++i)
        slots_.push_back(std::make_unique<Slot>(separator, utf8));
}

ExportPieces::~ExportPieces() {
    stop();
    if (work_) {
        // A helper not yet started never starts; one at work sees the stop after its piece.
        WaitForThreadpoolWorkCallbacks(work_, TRUE);
        CloseThreadpoolWork(work_);
    }
}

void CALLBACK ExportPieces::helperMain(PTP_CALLBACK_INSTANCE, void* self, PTP_WORK) {
    static_cast<ExportPieces*>(self)->helpUntilDone();
}

void ExportPieces::helpUntilDone() {
    try {
        XStringW cell;
        for (;;) {
            int piece = -1;
            {
                Locked locked(lock_);
                while ((piece = takePiece()) < 0 && !stopped_ && taken_ < pieces_)
                    SleepConditionVariableSRW(&changed_, &lock_, INFINITE, 0);
            }
            if (piece < 0 || !makePiece(piece, cell))
                return;
        }
    } catch (...) {
        // Nothing may leave a thread of the pool; the writer then makes the rest itself.
    }
}

int ExportPieces::takePiece() {
    if (stopped_ || taken_ >= pieces_ || taken_ >= written_ + kSlots)
        return -1;
    return taken_++;
}

bool ExportPieces::makePiece(int piece, XStringW& cell) {
    Slot& slot = *slots_[size_t(piece % kSlots)];
    const int first = piece * pieceRows_;
    try {
        slot.text.clear();
        (*make_)(first, std::min(rows_, first + pieceRows_), slot.text, cell);
    } catch (...) {
        Locked locked(lock_);
        outOfMemory_ = true;
        stopped_ = true;
        WakeAllConditionVariable(&changed_);
        return false;
    }
    Locked locked(lock_);
    slot.ready = true;
    largest_ = std::max(largest_, slot.text.byteCount());
    WakeAllConditionVariable(&changed_);
    return true;
}

void ExportPieces::stop() {
    Locked locked(lock_);
    stopped_ = true;
    WakeAllConditionVariable(&changed_);
}

bool ExportPieces::run(const Make& make, const Write& write, bool& outOfMemory) {
    make_ = &make;
    outOfMemory = false;
    // Without a helper (no pool, or none started) the loop below makes every piece itself.
    if (pieces_ > 1 && (work_ = CreateThreadpoolWork(&ExportPieces::helperMain, this, nullptr)) != nullptr)
        SubmitThreadpoolWork(work_);
    XStringW cell;
    bool written = true;
    for (int next = 0; next < pieces_ && written; ++next) {
        Slot& slot = *slots_[size_t(next % kSlots)];
        {
            // Until the piece to write is ready, the writer makes the next free piece itself, or
            // waits for the helper's.
            Locked locked(lock_);
            while (!slot.ready && !stopped_) {
                const int piece = takePiece();
                if (piece < 0) {
                    SleepConditionVariableSRW(&changed_, &lock_, INFINITE, 0);
                    continue;
                }
                ReleaseSRWLockExclusive(&lock_);
                const bool made = makePiece(piece, cell);
                AcquireSRWLockExclusive(&lock_);
                if (!made)
                    break;
            }
            if (!slot.ready || stopped_)
                break;
        }
        written = write(slot.text);
        Locked locked(lock_);
        slot.ready = false;
        ++written_;
        WakeAllConditionVariable(&changed_);
    }
    stop();
    if (work_) {
        WaitForThreadpoolWorkCallbacks(work_, TRUE);
        CloseThreadpoolWork(work_);
        work_ = nullptr;
    }
    outOfMemory = outOfMemory_;
    return written && !outOfMemory_ && written_ == pieces_;
}
