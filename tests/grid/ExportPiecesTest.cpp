// Rows made into text on two threads and written in order: whatever thread makes a piece and
// however long it takes, the file is the rows in their order, and a failure stops the export.
#include <gtest/gtest.h>
#include <windows.h>
#include <new>
#include <string>
#include "grid/ExportPieces.h"

namespace {

// Each row as one field holding its number; some pieces take a while, so that the two threads
// finish them out of order.
void makeRows(int first, int end, ExportText& text, XStringW& cell) {
    if (first % 3 == 1)
        Sleep(1);
    for (int row = first; row < end; ++row) {
        cell = XStringW::format(L"%d", row);
        text.field(cell);
        text.endLine();
    }
}

std::wstring expectedRows(int rows) {
    ExportText text(L',');
    XStringW cell;
    makeRows(0, rows, text, cell);
    return text.text();
}

} // namespace

TEST(ExportPieces, EveryRowIsWrittenOnceAndInOrder) {
    const int cases[][2] = {{0, 5}, {1, 5}, {5, 5}, {6, 5}, {997, 7}, {2000, 1}, {3000, 64}};
    for (const auto& c : cases) {
        const int rows = c[0], pieceRows = c[1];
        std::wstring file;
        int writes = 0;
        ExportPieces pieces(rows, pieceRows, L',', false);
        bool outOfMemory = true;
        const bool written = pieces.run(
            makeRows,
            [&](const ExportText& text) {
                ++writes;
                file += text.text();
                return true;
            },
            outOfMemory);
        EXPECT_TRUE(written) << rows << " rows";
        EXPECT_FALSE(outOfMemory);
        EXPECT_EQ(writes, (rows + pieceRows - 1) / pieceRows) << rows << " rows";
        EXPECT_TRUE(file == expectedRows(rows)) << rows << " rows in pieces of " << pieceRows;
    }
}

TEST(ExportPieces, AFailedWriteStopsTheExport) {
    ExportPieces pieces(1000, 10, L',', false);
    int writes = 0;
    bool outOfMemory = true;
    const bool written = pieces.run(
        makeRows, [&](const ExportText&) { return ++writes < 4; }, outOfMemory);
    EXPECT_FALSE(written);
    EXPECT_FALSE(outOfMemory) << "the file has the reason";
    EXPECT_EQ(writes, 4) << "nothing is written after the failure";
}

TEST(ExportPieces, APieceThatCannotBeMadeStopsTheExportOnEitherThread) {
    // The failing piece is made by whichever thread takes it; some of the pieces before it may be
    // written, in order, nothing from it on.
    for (int failing : {0, 1, 2, 37, 99}) {
        std::wstring file;
        ExportPieces pieces(1000, 10, L',', false);
        bool outOfMemory = false;
        const bool written = pieces.run(
            [&](int first, int end, ExportText& text, XStringW& cell) {
                if (first == failing * 10)
                    throw std::bad_alloc();
                makeRows(first, end, text, cell);
            },
            [&](const ExportText& text) {
                file += text.text();
                return true;
            },
            outOfMemory);
        EXPECT_FALSE(written) << "piece " << failing;
        EXPECT_TRUE(outOfMemory) << "piece " << failing;
        const std::wstring before = expectedRows(failing * 10);
        EXPECT_TRUE(file.size() <= before.size() && before.compare(0, file.size(), file) == 0)
            << "piece " << failing;
    }
}
