#pragma once
// Fakes for driving the playlist document without files or windows, and a recorder that rebuilds
// the rows a list view would show purely from the document's change signals.

#include "core/CMessageBox.h"
#include "playlist/CPlayerDoc.h"
#include "playlist/IEntryIdentifier.h"
#include "tests/support/FakeMessageBox.h"

#include <QObject>

#include <map>
#include <mutex>
#include <string>
#include <vector>

// Clears the selection the way the user would, row by row, without a report.
inline void DeselectAll(CPlayerDoc &doc)
{
    for (int row : doc.State().SelectedRows())
        doc.UserSelected(row, false);
}

// Answers from a table of known files; any other path is "not identified".
class FakeIdentifier : public IEntryIdentifier {
public:
    bool Identify(const std::string &path, CPlaylistEntry &entry) override
    {
        ++m_nCalls;
        auto it = m_files.find(path);
        if (it == m_files.end())
            return false;
        entry = it->second;
        entry.m_strPath = path;
        return entry.m_nType != 0;
    }

    // A file of `type` whose title and size are derived from its path, so a copy can be checked.
    void AddFile(const std::string &path, std::int32_t type = kTypeMpeg, std::int32_t duration = 60)
    {
        CPlaylistEntry entry;
        entry.m_strPath = path;
        entry.m_nType = type;
        entry.m_strTitle = "title of " + path;
        entry.m_nDuration = duration;
        entry.m_nSize = static_cast<std::uint32_t>(path.size() * 1000);
        m_files[path] = entry;
    }

    std::map<std::string, CPlaylistEntry> m_files;
    int m_nCalls = 0;
};

// The rows of a list view kept only through the document's signals: each row holds the path the
// view fetched when the row appeared. Also checks that each about-to signal is followed by its done
// signal with the same arguments and that m_nRowCount moves only between them.
class RowRecorder {
public:
    explicit RowRecorder(CPlayerDoc &doc) : m_doc(doc)
    {
        QObject::connect(&doc, &CPlayerDoc::rowsAboutToBeInserted, [this](int first, int last) {
            Begin("insert", first, last);
        });
        QObject::connect(&doc, &CPlayerDoc::rowsInserted, [this](int first, int last) {
            End("insert", first, last);
            for (int row = first; row <= last; ++row)
                m_rows.insert(m_rows.begin() + row, m_doc.EntryAt(row).m_strPath);
        });
        QObject::connect(&doc, &CPlayerDoc::rowsAboutToBeRemoved, [this](int first, int last) {
            Begin("remove", first, last);
        });
        QObject::connect(&doc, &CPlayerDoc::rowsRemoved, [this](int first, int last) {
            End("remove", first, last);
            m_removed.emplace_back(first, last);
            m_rows.erase(m_rows.begin() + first, m_rows.begin() + last + 1);
        });
        QObject::connect(&doc, &CPlayerDoc::rowAboutToBeMoved, [this](int from, int to) {
            Begin("move", from, to);
        });
        QObject::connect(&doc, &CPlayerDoc::rowMoved, [this](int from, int to) {
            End("move", from, to);
            ++m_nMoves;
            std::string path = m_rows[from];
            m_rows.erase(m_rows.begin() + from);
            m_rows.insert(m_rows.begin() + to, path);
        });
        QObject::connect(&doc, &CPlayerDoc::rowsAboutToBeReset, [this]() { Begin("reset", 0, 0); });
        QObject::connect(&doc, &CPlayerDoc::rowsReset, [this]() {
            End("reset", 0, 0);
            ++m_nResets;
            m_rows.clear();
            for (int row = 0; row < m_doc.State().m_nRowCount; ++row)
                m_rows.push_back(m_doc.EntryAt(row).m_strPath);
        });
        QObject::connect(&doc, &CPlayerDoc::playlistEmptied, [this]() { ++m_nEmptied; });
        QObject::connect(&doc, &CPlayerDoc::currentRowChanged, [this](int row) { m_lastCurrent = row; });
    }

    void Begin(const char *kind, int a, int b)
    {
        if (!m_pending.empty())
            m_errors.push_back(std::string("nested ") + kind);
        m_pending = kind;
        m_a = a;
        m_b = b;
        m_rowCountAtBegin = m_doc.State().m_nRowCount;
        if (m_rowCountAtBegin != static_cast<int>(m_rows.size()))
            m_errors.push_back(std::string("row count out of step before ") + kind);
    }

    void End(const char *kind, int a, int b)
    {
        if (m_pending != kind || m_a != a || m_b != b)
            m_errors.push_back(std::string("unmatched end of ") + kind);
        m_pending.clear();
        const int now = m_doc.State().m_nRowCount;
        const std::string k = kind;
        if (k == "insert" && now != m_rowCountAtBegin + (b - a + 1))
            m_errors.push_back("insert changed the row count wrongly");
        if (k == "remove" && now != m_rowCountAtBegin - (b - a + 1))
            m_errors.push_back("remove changed the row count wrongly");
        if (k == "move" && now != m_rowCountAtBegin)
            m_errors.push_back("move changed the row count");
    }

    CPlayerDoc &m_doc;
    std::vector<std::string> m_rows;
    std::vector<std::pair<int, int>> m_removed;
    std::vector<std::string> m_errors;
    std::string m_pending;
    int m_a = 0, m_b = 0, m_rowCountAtBegin = 0;
    int m_nMoves = 0, m_nResets = 0, m_nEmptied = 0, m_lastCurrent = -2;
};
