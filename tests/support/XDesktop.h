#pragma once
// A test's hands on a private X server without a window manager: finds top-level windows by title,
// gives one the keyboard focus, types keys with XTest and saves a window's picture (ImageMagick's
// import). Xlib stays inside the .cpp, so tests need not fight its macros.

#include <string>

class XDesktop {
public:
    explicit XDesktop(const std::string &display);
    ~XDesktop();
    XDesktop(const XDesktop &) = delete;
    XDesktop &operator=(const XDesktop &) = delete;

    bool Open() const { return m_pDisplay != nullptr; }
    // The first mapped window whose title is exactly `title`, waiting up to `timeoutMs`; 0 when none.
    unsigned long WaitForWindow(const std::string &title, int timeoutMs = 8000);
    // Waits until no mapped window has `title`.
    bool WaitUntilGone(const std::string &title, int timeoutMs = 8000);
    void Focus(unsigned long window);
    // Presses a key by its X keysym name ("Tab", "Return", "i"), with Control and/or Shift held.
    void Key(const std::string &keysym, bool control = false, bool shift = false);
    // The key with Alt held (menu mnemonics).
    void AltKey(const std::string &keysym);
    // Types letters, digits, blanks and the characters @ . / : (US layout).
    void Type(const std::string &text);
    // Saves the window's picture as a PNG; false when import failed.
    bool Screenshot(unsigned long window, const std::string &png);

private:
    void *m_pDisplay = nullptr;
    std::string m_strName;
};
