#pragma once
// A message box that shows nothing: it records each text, button set and icon and gives the answer
// the test chose (Ok unless told otherwise).

#include "core/CMessageBox.h"

#include <string>
#include <vector>

class FakeMessageBox : public CMessageBox {
public:
    FakeMessageBox() = default;
    explicit FakeMessageBox(Answer answer) : m_answer(answer) {}

    Answer Show(const std::string &text, Buttons buttons, Icon icon) override
    {
        m_texts.push_back(text);
        m_buttons.push_back(buttons);
        m_icons.push_back(icon);
        return m_answer;
    }

    std::vector<std::string> m_texts;
    std::vector<Buttons> m_buttons;
    std::vector<Icon> m_icons;
    Answer m_answer = kAnswerOk;
};
