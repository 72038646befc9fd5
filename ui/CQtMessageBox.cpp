#include "ui/CQtMessageBox.h"

#include <QMessageBox>

CMessageBox::Answer CQtMessageBox::Show(const std::string &text, Buttons buttons, Icon icon)
{
    using SB = QMessageBox::StandardButton;
    QMessageBox::StandardButtons set;
    switch (buttons) {
    case kOkCancel: set = SB::Ok | SB::Cancel; break;
    case kAbortRetryIgnore: set = SB::Abort | SB::Retry | SB::Ignore; break;
    case kYesNoCancel: set = SB::Yes | SB::No | SB::Cancel; break;
    case kYesNo: set = SB::Yes | SB::No; break;
    case kRetryCancel: set = SB::Retry | SB::Cancel; break;
    case kOk:
    default: set = SB::Ok; break;
    }
    QMessageBox::Icon qicon = QMessageBox::NoIcon;
    switch (icon) {
    case kIconError: qicon = QMessageBox::Critical; break;
    case kIconQuestion: qicon = QMessageBox::Question; break;
    case kIconWarning: qicon = QMessageBox::Warning; break;
    case kIconInformation: qicon = QMessageBox::Information; break;
    case kIconNone: break;
    }
    QMessageBox box(qicon, QStringLiteral("Melvane"), QString::fromStdString(text), set, m_pParent);
    const int pressed = box.exec();
    switch (pressed) {
    case SB::Ok: return kAnswerOk;
    case SB::Cancel: return kAnswerCancel;
    case SB::Abort: return kAnswerAbort;
    case SB::Retry: return kAnswerRetry;
    case SB::Ignore: return kAnswerIgnore;
    case SB::Yes: return kAnswerYes;
    case SB::No: return kAnswerNo;
    default: break;
    }
    // Closed without a button: Cancel where the set has one, else the first button.
    if (set & SB::Cancel)
        return kAnswerCancel;
    if (buttons == kAbortRetryIgnore)
        return kAnswerAbort;
    return buttons == kYesNo ? kAnswerYes : kAnswerOk;
}
