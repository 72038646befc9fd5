#include "tags/CModuleSong.h"

CModuleSong::Pattern &CModuleSong::BeginPattern(int rows)
{
    Pattern &pattern = patterns.emplace_back();
    pattern.rows = rows;
    pattern.readableRows = 0;
    return pattern;
}

void CModuleSong::AddEvent(const ModuleEvent &event)
{
    patterns.back().events.push_back(event);
}

void CModuleSong::EndRow()
{
    Pattern &pattern = patterns.back();
    pattern.rowStart.push_back(static_cast<std::uint32_t>(pattern.events.size()));
    ++pattern.readableRows;
}

int CModuleSong::AddEmptyPattern(int rows)
{
    Pattern &pattern = patterns.emplace_back();
    pattern.rows = rows;
    pattern.readableRows = rows;
    pattern.rowStart.assign(static_cast<std::size_t>(rows) + 1, 0);
    return static_cast<int>(patterns.size()) - 1;
}
