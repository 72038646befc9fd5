#include "ui/CPlaylistModel.h"

#include "playlist/CPlayerDoc.h"
#include "playlist/CPlaylistCellText.h"
#include "playlist/PlaylistColumn.h"

const int CPlaylistModel::kMenuOrder[13] = {
    kColumnArtist,  kColumnTitle,    kColumnAlbum,    kColumnGenre,    kColumnYear,     kColumnType,    kColumnBitrate,
    kColumnFrequency, kColumnChannels, kColumnDuration, kColumnFilesize, kColumnFilename, kColumnFilepath};

CPlaylistModel::CPlaylistModel(CPlayerDoc &doc, QObject *parent) : QAbstractTableModel(parent), m_doc(doc)
{
    connect(&doc, &CPlayerDoc::rowsAboutToBeInserted, this,
            [this](int first, int last) { beginInsertRows(QModelIndex(), first, last); });
    connect(&doc, &CPlayerDoc::rowsInserted, this, [this](int, int) { endInsertRows(); });
    connect(&doc, &CPlayerDoc::rowsAboutToBeRemoved, this,
            [this](int first, int last) { beginRemoveRows(QModelIndex(), first, last); });
    connect(&doc, &CPlayerDoc::rowsRemoved, this, [this](int, int) { endRemoveRows(); });
    connect(&doc, &CPlayerDoc::rowAboutToBeMoved, this, [this](int from, int to) {
        beginMoveRows(QModelIndex(), from, from, QModelIndex(), to > from ? to + 1 : to);
    });
    connect(&doc, &CPlayerDoc::rowMoved, this, [this](int, int) { endMoveRows(); });
    connect(&doc, &CPlayerDoc::rowsAboutToBeReset, this, [this] { beginResetModel(); });
    connect(&doc, &CPlayerDoc::rowsReset, this, [this] { endResetModel(); });
    connect(&doc, &CPlayerDoc::entryChanged, this, [this](int row) { RowChanged(row); });
}

int CPlaylistModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_doc.State().m_nRowCount;
}

int CPlaylistModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant CPlaylistModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_doc.State().m_nRowCount || index.row() >= m_doc.TotalCount())
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromStdString(CPlaylistCellText::Text(m_doc.EntryAt(index.row()), index.column()));
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Alignment(index.column()));
    return {};
}

QVariant CPlaylistModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromLatin1(Title(section));
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Alignment(section));
    return {};
}

const char *CPlaylistModel::Title(int column)
{
    static const char *const titles[kColumnCount] = {"",     "Filename", "Artist", "Title", "Album",
                                                      "Genre", "Year",     "Type",   "Bitrate", "Freq",
                                                      "Chn",  "Filesize", "Duration", "Filepath"};
    return column >= 0 && column < kColumnCount ? titles[column] : "";
}

const char *CPlaylistModel::MenuTitle(int column)
{
    switch (column) {
    case kColumnFrequency: return "Frequency";
    case kColumnChannels: return "Channels";
    default: return Title(column);
    }
}

Qt::Alignment CPlaylistModel::Alignment(int column)
{
    const bool centred = column >= kColumnYear && column <= kColumnDuration;
    return (centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter;
}

Qt::ItemFlags CPlaylistModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
}

void CPlaylistModel::RowChanged(int row)
{
    if (row >= 0 && row < rowCount())
        emit dataChanged(index(row, 0), index(row, kColumnCount - 1));
}
