#pragma once
// Reads a text file line by line with bounded memory: a line ends at LF, a CR before the LF is
// dropped, and the last line may lack its LF. A line longer than the limit is read through to its
// end without being kept and reported as overlong, so a hostile or binary file cannot make the
// reader hold more than the limit plus one read block.
//
// Only regular files are opened (non-blocking open, so a FIFO cannot hang the caller).
// Any thread; one reader per thread.

#include "platform/io/CFileDescriptor.h"

#include <cstddef>
#include <string>
#include <vector>

class CLineReader {
public:
    enum class Result { Line, Overlong, End };

    explicit CLineReader(std::size_t maxLineBytes);
    ~CLineReader();
    CLineReader(const CLineReader &) = delete;
    CLineReader &operator=(const CLineReader &) = delete;

    // False when the path does not name a readable regular file.
    bool Open(const std::string &path);
    void Close();

    // The next line in `line` (without LF and its CR); End after the last line or on a read error.
    Result Next(std::string &line);

private:
    bool Fill();

    CFileDescriptor m_fd;
    std::size_t m_nMaxLine;
    std::vector<char> m_buffer;
    std::size_t m_nPos = 0;
    std::size_t m_nEnd = 0;
    bool m_bEof = false;
};
