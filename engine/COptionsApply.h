#pragma once
// Applies the choices of a confirmed options sheet, in this order: the module and gapless settings of
// the General page; when the Setup page was opened, the file types whose check changed (associated or
// dissociated), its settings, and - when the function-key monitoring choice changed - the message
// that this waits for the next start; the module settings again on the loaded track; the CD reader
// priority when it changed; one restart of the audio output when the device, the sample rate, the
// buffer length or the 32-bit mixing choice changed (however many of them did); and the tray icon
// when minimise-to-tray changed. When the freedb page was opened, its e-mail address and server are
// written to the registry at once and `autoquery` takes effect for the next unknown disc.
//
// UI thread only.

#include "engine/COptionsChoices.h"

#include <functional>

class CFileAssociations;
class CMessageBox;
class CPlayerCore;
class CRegistry;

class COptionsApply {
public:
    static constexpr const char *kKeyHookRestartMessage =
        "Any change to the background monitoring feature  \nrequires a restart of Melvane to take effect.  ";

    struct Result {
        bool outputRestarted = false;
        bool trayChanged = false;
    };

    // `associations` may be null (no file type rows); `trayChanged` is called when minimizetray changed.
    COptionsApply(CPlayerCore &core, CMessageBox &messageBox, CFileAssociations *associations,
                  std::function<void()> trayChanged = {});

    // Where the freedb values are written (none: they are not).
    void SetRegistry(CRegistry *registry) { m_pRegistry = registry; }

    // The choices as the settings hold them now (the pages' opening state).
    COptionsChoices Current() const;
    Result Apply(const COptionsChoices &choices);

private:
    CPlayerCore &m_core;
    CMessageBox &m_messageBox;
    CFileAssociations *m_pAssociations;
    std::function<void()> m_trayChanged;
    CRegistry *m_pRegistry = nullptr;
};
