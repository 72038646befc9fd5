#include "ui/CModalDialogGuard.h"

#include "playlist/CPlayerDoc.h"

CModalDialogGuard::CModalDialogGuard(CPlayerDoc &doc) : m_doc(doc), m_bWasOpen(doc.m_bModalOpen)
{
    m_doc.m_bModalOpen = true;
}

CModalDialogGuard::~CModalDialogGuard() { m_doc.m_bModalOpen = m_bWasOpen; }
