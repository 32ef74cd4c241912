// Records the grid control's non-virtual operations that this program calls, in order, with their
// arguments: the program's import slots for them are pointed at recorders that log the call and
// then pass it on to the control. The setters leave nothing else to observe (no getters, and the
// order of calls shows nowhere on the screen).
//
// A free function with the object pointer first stands in for a member: on x86-64 the member
// takes `this` as its first argument anyway; on x86 it takes it in ECX (thiscall), which the
// recorders then declare.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "module/host/DataGrid.h"

#if defined(__i386__)
#define AF_MEMBER_CALL __attribute__((thiscall))
#else
#define AF_MEMBER_CALL
#endif

namespace controltest {

// The entry point behind a non-virtual member of a DLL, as this program reaches it.
template <class Member> void* entryOf(Member member) {
    void* address = nullptr;
    std::memcpy(&address, &member, sizeof address);
    // Taking the address may give this program's jump stub (jmp [rip+offset] on x86-64,
    // jmp [slot] on x86) instead of the DLL's function; the import slot holds the latter.
    const auto* code = static_cast<const unsigned char*>(address);
    if (code && code[0] == 0xFF && code[1] == 0x25) {
        int32_t operand = 0;
        std::memcpy(&operand, code + 2, sizeof operand);
#if defined(__i386__)
        const unsigned char* slot = reinterpret_cast<const unsigned char*>(static_cast<uintptr_t>(operand));
#else
        const unsigned char* slot = code + 6 + operand;
#endif
        std::memcpy(&address, slot, sizeof address);
    }
    return address;
}

// Points every import slot of this program that holds `target` at `replacement` while it lives.
class ImportPatch {
public:
    ImportPatch(void* target, void* replacement) {
        auto* base = reinterpret_cast<unsigned char*>(GetModuleHandleW(nullptr));
        auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
        auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        if (!imports.VirtualAddress)
            return;
        for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
             entry->Name; ++entry) {
            for (auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
                 slot->u1.Function; ++slot) {
                if (reinterpret_cast<void*>(slot->u1.Function) != target)
                    continue;
                write(slot, replacement);
                slots_.push_back(slot);
            }
        }
        target_ = target;
    }
    ~ImportPatch() {
        for (IMAGE_THUNK_DATA* slot : slots_)
            write(slot, target_);
    }
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;

    bool installed() const { return !slots_.empty(); }

private:
    static void write(IMAGE_THUNK_DATA* slot, void* value) {
        DWORD old = 0;
        VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old);
        slot->u1.Function = reinterpret_cast<ULONG_PTR>(value);
        VirtualProtect(slot, sizeof *slot, old, &old);
    }

    void* target_ = nullptr;
    std::vector<IMAGE_THUNK_DATA*> slots_;
};

// The calls seen, one text each ("SetBkColor 0x123456", "SetRowHight 23", ...), and the grid
// each was made on.
struct Log {
    std::vector<std::string> calls;
    std::vector<const XDataGrid*> grids;
    void add(const XDataGrid* grid, std::string text) {
        grids.push_back(grid);
        calls.push_back(std::move(text));
    }
};

inline Log& log() {
    static Log instance;
    return instance;
}

inline std::string hex(COLORREF colour) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%06lX", static_cast<unsigned long>(colour));
    return text;
}

using ColourSetter = void (XDataGrid::*)(COLORREF);

struct ColourEntry {
    const char* name;
    ColourSetter setter;
};

// In the order the control declares them.
inline const ColourEntry kColourSetters[] = {
    {"SetBkColor", &XDataGrid::SetBkColor},
    {"SetBdColor", &XDataGrid::SetBdColor},
    {"SetGridColor", &XDataGrid::SetGridColor},
    {"SetHeaderColor", &XDataGrid::SetHeaderColor},
    {"SetHeaderBkColor", &XDataGrid::SetHeaderBkColor},
    {"SetScrollArrowColor", &XDataGrid::SetScrollArrowColor},
    {"SetScrollButtonColor", &XDataGrid::SetScrollButtonColor},
    {"SetScrollFaceColor", &XDataGrid::SetScrollFaceColor},
    {"SetScrollDarkColor", &XDataGrid::SetScrollDarkColor},
    {"SetScrollLightColor", &XDataGrid::SetScrollLightColor},
};
constexpr int kColourSetterCount = 10;

inline void* g_colourTargets[kColourSetterCount];
inline void* g_fontTarget;
inline void* g_linesTarget;
inline void* g_headerHeightTarget;
inline void* g_rowHeightTarget;
inline void* g_refreshTarget;
inline void* g_releaseTarget;

template <int I> void AF_MEMBER_CALL recordColour(XDataGrid* grid, COLORREF colour) {
    log().add(grid, std::string(kColourSetters[I].name) + " " + hex(colour));
    reinterpret_cast<void(AF_MEMBER_CALL*)(XDataGrid*, COLORREF)>(g_colourTargets[I])(grid, colour);
}

inline void AF_MEMBER_CALL recordHeaderFont(XDataGrid* grid, const XStringW& face, int size) {
    char text[160];
    std::snprintf(text, sizeof text, "SetHeaderFont %ls %d", face.c_str(), size);
    log().add(grid, text);
    reinterpret_cast<void(AF_MEMBER_CALL*)(XDataGrid*, const XStringW&, int)>(g_fontTarget)(grid, face, size);
}

inline void AF_MEMBER_CALL recordGridLines(XDataGrid* grid, bool horizontal, bool vertical) {
    log().add(grid,
              std::string("SetDrawGridLine ") + (horizontal ? "1" : "0") + " " + (vertical ? "1" : "0"));
    reinterpret_cast<void(AF_MEMBER_CALL*)(XDataGrid*, bool, bool)>(g_linesTarget)(grid, horizontal,
                                                                                   vertical);
}

inline void AF_MEMBER_CALL recordHeaderHeight(XDataGrid* grid, int height) {
    log().add(grid, "SetHeaderRowHight " + std::to_string(height));
    reinterpret_cast<void(AF_MEMBER_CALL*)(XDataGrid*, int)>(g_headerHeightTarget)(grid, height);
}

inline void AF_MEMBER_CALL recordRowHeight(XDataGrid* grid, int height) {
    log().add(grid, "SetRowHight " + std::to_string(height));
    reinterpret_cast<void(AF_MEMBER_CALL*)(XDataGrid*, int)>(g_rowHeightTarget)(grid, height);
}

inline void AF_MEMBER_CALL recordRefresh(XDataGrid* grid, bool resetPosition, bool redraw) {
    log().add(grid, std::string("Refresh ") + (resetPosition ? "1" : "0") + " " + (redraw ? "1" : "0"));
    reinterpret_cast<void(AF_MEMBER_CALL*)(XDataGrid*, bool, bool)>(g_refreshTarget)(grid, resetPosition,
                                                                                     redraw);
}

inline void AF_MEMBER_CALL recordRelease(XDataGrid* grid) {
    log().add(grid, "ReleaseDrawingResource");
    reinterpret_cast<void(AF_MEMBER_CALL*)(XDataGrid*)>(g_releaseTarget)(grid);
}

// Records while it lives; the log starts empty.
class Recorder {
public:
    Recorder() {
        log() = Log();
        patch<0>();
        patch<1>();
        patch<2>();
        patch<3>();
        patch<4>();
        patch<5>();
        patch<6>();
        patch<7>();
        patch<8>();
        patch<9>();
        add(g_fontTarget, entryOf(&XDataGrid::SetHeaderFont), reinterpret_cast<void*>(&recordHeaderFont));
        add(g_linesTarget, entryOf(&XDataGrid::SetDrawGridLine), reinterpret_cast<void*>(&recordGridLines));
        add(g_headerHeightTarget, entryOf(&XDataGrid::SetHeaderRowHight),
            reinterpret_cast<void*>(&recordHeaderHeight));
        add(g_rowHeightTarget, entryOf(&XDataGrid::SetRowHight), reinterpret_cast<void*>(&recordRowHeight));
        add(g_refreshTarget, entryOf(&XDataGrid::Refresh), reinterpret_cast<void*>(&recordRefresh));
        add(g_releaseTarget, entryOf(&XDataGrid::ReleaseDrawingResource),
            reinterpret_cast<void*>(&recordRelease));
    }
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;
    ~Recorder() {
        // Undone in reverse, before the targets are forgotten.
        while (!patches_.empty())
            patches_.pop_back();
    }

    // Only operations this program calls somewhere have an import slot to patch.
    bool appearanceInstalled() const {
        for (size_t i = 0; i < 14; ++i)
            if (!patches_[i]->installed())
                return false;
        return true;
    }
    bool refreshInstalled() const { return patches_[14]->installed(); }
    bool releaseInstalled() const { return patches_[15]->installed(); }
    const std::vector<std::string>& calls() const { return log().calls; }
    // The calls made on one grid only.
    std::vector<std::string> callsOn(const XDataGrid* grid) const {
        std::vector<std::string> out;
        for (size_t i = 0; i < log().calls.size(); ++i)
            if (log().grids[i] == grid)
                out.push_back(log().calls[i]);
        return out;
    }
    void clear() { log() = Log(); }

private:
    template <int I> void patch() {
        add(g_colourTargets[I], entryOf(kColourSetters[I].setter), reinterpret_cast<void*>(&recordColour<I>));
    }
    void add(void*& target, void* entry, void* recorder) {
        target = entry;
        patches_.push_back(std::make_unique<ImportPatch>(entry, recorder));
    }

    std::vector<std::unique_ptr<ImportPatch>> patches_;
};

} // namespace controltest
