#pragma once
// The playlist as a table model: one row per shown row of the document, a hidden first column of
// width 0 and empty title, then the 13 columns by id (model column = column id). The document's
// about-to/done signal pairs are forwarded one to one to the begin/end calls, so views update only
// the rows that changed. Cell texts come from CPlaylistCellText.
//
// Threads: user-interface thread only.

#include <QAbstractTableModel>

class CPlayerDoc;

class CPlaylistModel : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int kColumnCount = 14; // hidden column 0 + ids 1 to 13

    explicit CPlaylistModel(CPlayerDoc &doc, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // The entry of `row` changed (edited tags, mixing levels): its cells are read again.
    void RowChanged(int row);

    // "Filename", "Artist", ... as the column headers read; empty for column 0.
    static const char *Title(int column);
    // Menu titles ("Frequency", "Channels", ...) and the order the column menus list the ids in.
    static const char *MenuTitle(int column);
    static const int kMenuOrder[13];
    static Qt::Alignment Alignment(int column);

private:
    CPlayerDoc &m_doc;
};
