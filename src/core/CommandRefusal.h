#pragma once

// Why a command to the board was not carried out; the board and the panel stay as they were.
enum class CommandRefusal {
    SetupOpen, // the setup dialog is open: the poll is stopped
    NoAnswer,  // the board has never answered, so the relay states are not known
    WdtLock,   // "R16" is locked while "WDT" is checked
    Busy,      // the line could not take the command in time
    Closing,   // the panel is ending
};
