#pragma once
// The window implementation of the program's message boxes: a QMessageBox titled "Melvane" showing
// the caller's text exactly as given (trailing blanks included).
//
// Threads: user-interface thread only.

#include "core/CMessageBox.h"

class QWidget;

class CQtMessageBox : public CMessageBox {
public:
    explicit CQtMessageBox(QWidget *parent = nullptr) : m_pParent(parent) {}
    void SetParent(QWidget *parent) { m_pParent = parent; }
    Answer Show(const std::string &text, Buttons buttons = kOk, Icon icon = kIconNone) override;

private:
    QWidget *m_pParent;
};
