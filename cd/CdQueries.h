#pragma once
// The two drive queries that open and close a device of their own and touch no CCdReader.
// Threads: whichever thread owns the record (the UI thread for the document's records).

#include <cstdint>

class CDiscRecord;
class ICdDeviceOpener;

// Fills the record's artist, disc title and track titles from the disc's CD-Text (drive
// `record.m_cDrive`, only when its m_bCdText flag is set). The record's texts are cleared only once
// CD-Text data is in hand. False when the drive cannot be opened or has no CD-Text.
bool ReadCdText(const ICdDeviceOpener &drives, CDiscRecord &record);

// The media identity of the disc in drive `letter` (computed from its TOC, see docs/cd.md), or 0.
std::uint32_t GetMediaIdentity(const ICdDeviceOpener &drives, char letter);
