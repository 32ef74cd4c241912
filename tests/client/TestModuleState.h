// What the test module saw of its host; read by the client tests through the DLL's second export
// "TestModuleState". Plain data so both sides agree on it without sharing code.
#pragma once

#include <windows.h>
#include "App.h"

struct TestModuleState {
    // Set by the test before initialize.
    int consumeKey = 0; // virtual key the priority-200 handler consumes (0: none)
    // Seen by the module.
    int initializeCalls = 0;
    int commandEvents = 0;    // the toolbar button's event
    int valueEvents = 0;      // "event_update_lastvalue"
    UpdateEventArg lastValue; // its last argument
    int buyRedeemEvents = 0;  // "event_update_buyredeemstate"
    UpdateEventArg lastBuyRedeem;
    int themeEvents = 0; // "event_theme_changed"
    ITheme* lastTheme = nullptr;
    int concernEvents = 0; // "event_ConcernChanged"
    int pickerChanges = 0; // DTN_DATETIMECHANGE reaching the first page
    SYSTEMTIME lastPickerDate{};
    int keyLog[16] = {}; // priorities of the handlers asked, in order
    int keyLogCount = 0;
    HWND pages[2] = {};
    int showCalls[2] = {};
    int hideCalls[2] = {};
    RECT lastMove[2] = {};
};

using TestModuleStateFn = TestModuleState* (*)();
