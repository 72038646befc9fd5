#pragma once
// melvane-cd --query [--server URL] DRIVE-or-IMAGE: looks the disc up on the freedb server (the
// player's freedb_server and freedb_email, or the built-in defaults; --server overrides the server),
// reads the first match and prints the entry's texts as KEY=value lines. Exit status 0 when an entry
// was found, 1 otherwise (the status text on standard error).

class CCdDriveList;

int RunCdQuery(const CCdDriveList &drives, char letter, const char *server);
