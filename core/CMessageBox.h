#pragma once
// Every message box of the program goes through this interface. The caller passes the exact text
// (trailing blanks included), the buttons and the icon, and gets back the button that was pressed.
// The window implementation shows a QMessageBox titled with the program name; tests supply a fake
// that records each text and answers as told.
//
// Threads: user-interface thread only. Show blocks until the user answers.
//
// The numeric values match the classic message-box constants so that code which stores or compares
// them (button sets, answers) reads the same as the program's other texts and tables.

#include <string>

class CMessageBox {
public:
    enum Buttons {
        kOk = 0,
        kOkCancel = 1,
        kAbortRetryIgnore = 2,
        kYesNoCancel = 3,
        kYesNo = 4,
        kRetryCancel = 5,
    };
    enum Icon {
        kIconNone = 0,
        kIconError = 0x10,
        kIconQuestion = 0x20,
        kIconWarning = 0x30,
        kIconInformation = 0x40,
    };
    enum Answer {
        kAnswerOk = 1,
        kAnswerCancel = 2,
        kAnswerAbort = 3,
        kAnswerRetry = 4,
        kAnswerIgnore = 5,
        kAnswerYes = 6,
        kAnswerNo = 7,
    };

    virtual ~CMessageBox() = default;

    // Shows `text` with `buttons` and `icon` and returns the answer. Closing the box without a
    // button counts as Cancel where the set has one, else as the only or first button.
    virtual Answer Show(const std::string &text, Buttons buttons = kOk, Icon icon = kIconNone) = 0;
};
