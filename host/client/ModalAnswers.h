// Answers the modal windows a command brings up, as a user would: a thread timer, whose messages
// the popup menu's and the dialogs' own loops dispatch, finds the menu or dialog of this thread
// and presses its keys and buttons. Used by the client's scripted options and by the tests.
#pragma once

#include <windows.h>
#include <set>
#include <string>
#include <vector>

namespace Client {

class ModalAnswers {
public:
    struct MenuItem {
        std::wstring text;
        UINT id = 0;
        bool separator = false;
    };
    struct SaveDialogSeen {
        bool seen = false;
        std::wstring initialName;
        std::vector<std::wstring> filters;
        bool readOnlyBoxShown = false;
        // The dialog kept the name it was given (it showed a box of its own, whose text is in
        // refusal, or simply stayed open) and, with no answer left, was cancelled.
        bool refused = false;
        std::wstring refusal;
    };
    // A message box of this thread: read from its window, then closed with its OK button.
    struct MessageBoxSeen {
        std::wstring caption;
        std::wstring text;
        HWND owner = nullptr;
    };

    // Starts answering on the calling thread; one at a time per thread.
    ModalAnswers();
    ~ModalAnswers();
    ModalAnswers(const ModalAnswers&) = delete;
    ModalAnswers& operator=(const ModalAnswers&) = delete;

    // The next popup menu: the item with this text is chosen with the arrow keys and Enter; an
    // empty text, or a text the menu lacks, closes the menu with Escape.
    void chooseMenuItem(const std::wstring& text);
    // The next save dialog: filterIndex (1-based; 0 leaves it) chosen, name typed, then OK; or
    // Cancel. Answers queue up: a dialog still open after one (the user would not replace a
    // file) gets the next.
    void answerSaveDialog(const std::wstring& name, int filterIndex, bool cancel = false);
    // Whether to replace an existing file when the save dialog asks.
    void answerOverwrite(bool yes) { overwriteYes_ = yes; }
    // The next open dialog: the text typed into its name field, then OK. A folder's path makes
    // the dialog go there and stay open for the next answer; several names in double quotes
    // choose several files.
    void answerOpenDialog(const std::wstring& text) { answerSaveDialog(text, 0); }

    // What the answers met.
    bool menuSeen = false;
    bool menuItemFound = false;
    std::vector<MenuItem> menuItems;
    SaveDialogSeen saveDialog;
    int overwritePrompts = 0;
    std::vector<MessageBoxSeen> messageBoxes;
    // Any other dialog of this thread that appeared while answering.
    int otherWindows = 0;

private:
    static void CALLBACK onTimer(HWND, UINT, UINT_PTR, DWORD);
    void tick();
    void answerMenu(HWND menuWindow);
    void answerSave(HWND dialog);
    // A save dialog still open after its last answer was pressed.
    void cancelRefused(HWND dialog);
    void recordFilters(HWND types, int count);

    UINT_PTR timer_ = 0;
    bool menuPending_ = false;
    std::wstring menuText_;
    struct SaveAnswer {
        std::wstring name;
        int filter = 0;
        bool cancel = false;
    };
    std::vector<SaveAnswer> saveAnswers_;
    bool overwriteYes_ = true;
    std::set<HWND> known_;
    std::set<HWND> answered_;
};

} // namespace Client
