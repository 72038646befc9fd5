#pragma once
// melvane-cd --extract FOLDER [--encoder NAME] [--tracks 1,3-5] DRIVE-or-IMAGE: extracts the disc's
// tracks (the chosen ones, else those its record selects) into FOLDER with the player's worker, names
// and encoder plug-ins (NAME: a plug-in's file name, its name without ".so", or its display name;
// "wav" or none for WAV files). Status texts go to standard error, each finished file's path to
// standard output. Exit status 0 when every track was written, 1 on a failure, 2 on a wrong track list
// or encoder name, 130 when interrupted (the file in progress is kept, closed).

#include <string>

class CCdDriveList;
class CDiscRecord;

// Parses "1,3-5" into `record`'s checked flags (every other track unchecked); false when malformed.
bool ParseTrackList(const std::string &list, CDiscRecord &record);

int RunCdExtract(const CCdDriveList &drives, CDiscRecord record, const std::string &folder,
                 const std::string &encoder, const std::string &tracks);
