#include "ui/CCdListCtrl.h"

#include "engine/CPlayerCore.h"
#include "playlist/CPlayerDoc.h"
#include "ui/CListAppearance.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>

CCdListCtrl::CCdListCtrl(CPlayerCore &core, int drive, QWidget *parent)
    : QTableWidget(0, 3, parent), m_cd(core.Cd()), m_engine(core.Engine()), m_doc(core.Doc()), m_nDrive(drive)
{
    setObjectName(QStringLiteral("cdlist%1").arg(drive));
    setHorizontalHeaderLabels({QStringLiteral("Track"), QStringLiteral("Title"), QStringLiteral("Duration")});
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setAutoScroll(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    QHeaderView *header = horizontalHeader();
    header->setSectionsClickable(true);
    header->setHighlightSections(false);
    header->setSectionResizeMode(1, QHeaderView::Stretch);
    header->resizeSection(0, std::max(40, static_cast<int>(m_doc.cdcolumn0)));
    connect(header, &QHeaderView::sectionClicked, this, &CCdListCtrl::SortBy);
    connect(this, &QTableWidget::itemChanged, this, &CCdListCtrl::OnItemChanged);

    m_scrollTimer.setInterval(kAutoScrollMs);
    connect(&m_scrollTimer, &QTimer::timeout, this, &CCdListCtrl::OnAutoScroll);

    ApplyFontAndColours();
    Fill();
}

void CCdListCtrl::ApplyFontAndColours()
{
    CListAppearance::Apply(*this, m_doc);
}

// --- rows ---------------------------------------------------------------------------------------

void CCdListCtrl::Fill()
{
    if (m_nDrive >= 0 && m_nDrive < m_cd.DriveCount())
        m_rows.Fill(m_cd.Record(m_nDrive));
    else
        m_rows.Clear();
    m_played.fill(false);
    ShowRows();
    if (m_rows.Count() > 0)
        SelectAndFocus(0);
}

void CCdListCtrl::ShowRows()
{
    m_bBusy = true;
    setRowCount(m_rows.Count());
    for (int r = 0; r < m_rows.Count(); ++r) {
        for (int c = 0; c < 3; ++c) {
            auto *cell = new QTableWidgetItem(QString::fromStdString(m_rows.Text(r, c)));
            Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
            if (c == 0) {
                flags |= Qt::ItemIsUserCheckable;
                cell->setCheckState(m_rows.At(r).checked ? Qt::Checked : Qt::Unchecked);
            }
            if (c != 1)
                cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            cell->setFlags(flags);
            setItem(r, c, cell);
        }
    }
    m_bBusy = false;
}

void CCdListCtrl::WriteBack()
{
    if (m_nDrive < 0 || m_nDrive >= m_cd.DriveCount())
        return;
    CDiscRecord record = m_cd.Record(m_nDrive);
    m_rows.WriteBack(record);
    m_bBusy = true;
    m_cd.SetRecord(m_nDrive, record);
    m_bBusy = false;
    emit rowsChanged();
}

void CCdListCtrl::OnItemChanged(QTableWidgetItem *item)
{
    if (m_bBusy || !item || item->column() != 0)
        return;
    const bool checked = item->checkState() == Qt::Checked;
    if (m_rows.At(item->row()).checked == checked)
        return;
    m_rows.SetChecked(item->row(), checked);
    WriteBack();
}

void CCdListCtrl::SetRowChecked(int row, bool checked)
{
    if (row < 0 || row >= m_rows.Count())
        return;
    m_rows.SetChecked(row, checked);
    m_bBusy = true;
    item(row, 0)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    m_bBusy = false;
    WriteBack();
}

void CCdListCtrl::SortBy(int column)
{
    const int selected = FirstSelectedRow();
    const int track = selected >= 0 ? m_rows.At(selected).track : 0;
    if (!m_rows.SortBy(column))
        return;
    ShowRows();
    SelectAndFocus(std::max(0, m_rows.RowOfTrack(track)));
    WriteBack();
}

void CCdListCtrl::CheckAll()
{
    if (m_rows.Count() == 0)
        return;
    m_rows.CheckAll();
    ShowRows();
    WriteBack();
}

// --- ICdTrackList --------------------------------------------------------------------------------

bool CCdListCtrl::IsChecked(int row) const
{
    return row >= 0 && row < m_rows.Count() && m_rows.At(row).checked;
}

int CCdListCtrl::TrackNumber(int row) const
{
    return row >= 0 && row < m_rows.Count() ? m_rows.At(row).track : 0;
}

char CCdListCtrl::DriveLetter() const
{
    return m_cd.DriveLetter(m_nDrive);
}

int CCdListCtrl::FirstSelectedRow() const
{
    int first = -1;
    for (const QModelIndex &index : selectionModel()->selectedRows()) {
        if (first < 0 || index.row() < first)
            first = index.row();
    }
    return first;
}

void CCdListCtrl::SelectAndFocus(int row)
{
    if (row < 0 || row >= m_rows.Count())
        return;
    setCurrentCell(row, 0, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollToItem(item(row, 0));
}

bool CCdListCtrl::IsPlayed(int row) const
{
    return row >= 0 && row < kMaxRows && m_played[static_cast<std::size_t>(row)];
}

void CCdListCtrl::SetPlayed(int row, bool played)
{
    if (row >= 0 && row < kMaxRows)
        m_played[static_cast<std::size_t>(row)] = played;
}

char CCdListCtrl::PlayingDrive() const
{
    return m_engine.PlayingCdDrive();
}

int CCdListCtrl::PlayingTrack() const
{
    return m_engine.PlayingCdTrack();
}

// --- menu, keys and mouse -------------------------------------------------------------------------

void CCdListCtrl::ShowMenu(const QPoint &globalPos)
{
    QMenu menu(this);
    for (QAction *action : m_discActions)
        menu.addAction(action);
    if (!m_discActions.isEmpty())
        menu.addSeparator();
    menu.addAction(QStringLiteral("Font &Style..."), this, [this] {
        if (CListAppearance::ChooseFont(m_doc, this))
            emit fontAndColoursChanged();
    });
    menu.addAction(QStringLiteral("Font &Color..."), this, [this] {
        if (CListAppearance::ChooseTextColour(m_doc, this))
            emit fontAndColoursChanged();
    });
    menu.addAction(QStringLiteral("&Background Color..."), this, [this] {
        if (CListAppearance::ChooseBackgroundColour(m_doc, this))
            emit fontAndColoursChanged();
    });
    menu.exec(globalPos);
}

void CCdListCtrl::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && mods == Qt::NoModifier) {
        if (FirstSelectedRow() >= 0)
            emit playRequested(FirstSelectedRow());
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Menu || (event->key() == Qt::Key_F10 && mods == Qt::ShiftModifier)) {
        const QModelIndex current = currentIndex();
        ShowMenu(viewport()->mapToGlobal(current.isValid() ? visualRect(current).bottomLeft() : QPoint(0, 0)));
        event->accept();
        return;
    }
    QTableWidget::keyPressEvent(event);
}

void CCdListCtrl::mousePressEvent(QMouseEvent *event)
{
    const int row = rowAt(static_cast<int>(event->position().y()));
    if (event->button() == Qt::RightButton) {
        if (row >= 0)
            SelectAndFocus(row);
        event->accept();
        return;
    }
    m_nPressRow = event->button() == Qt::LeftButton ? row : -1;
    QTableWidget::mousePressEvent(event);
}

void CCdListCtrl::startDrag(Qt::DropActions)
{
    // Rows move inside the list only.
    if (m_nPressRow >= 0)
        BeginRowDrag(m_nPressRow);
}

void CCdListCtrl::mouseMoveEvent(QMouseEvent *event)
{
    if (m_bDragging) {
        DragMoveTo(event->position().toPoint());
        event->accept();
        return;
    }
    QTableWidget::mouseMoveEvent(event);
    if (m_bDragging)
        DragMoveTo(event->position().toPoint());
}

void CCdListCtrl::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) {
        ShowMenu(event->globalPosition().toPoint());
        event->accept();
        return;
    }
    if (m_bDragging && event->button() == Qt::LeftButton) {
        EndRowDrag();
        event->accept();
        return;
    }
    QTableWidget::mouseReleaseEvent(event);
}

void CCdListCtrl::mouseDoubleClickEvent(QMouseEvent *event)
{
    const int row = rowAt(static_cast<int>(event->position().y()));
    if (event->button() == Qt::LeftButton && row >= 0) {
        SelectAndFocus(row);
        emit playRequested(row);
        event->accept();
        return;
    }
    QTableWidget::mouseDoubleClickEvent(event);
}

void CCdListCtrl::contextMenuEvent(QContextMenuEvent *event)
{
    // Mouse menus open on the right button's release; only the keyboard reason comes through here.
    if (event->reason() == QContextMenuEvent::Keyboard)
        ShowMenu(event->globalPos());
    event->accept();
}

// --- row dragging --------------------------------------------------------------------------------

void CCdListCtrl::BeginRowDrag(int row)
{
    if (row < 0 || row >= m_rows.Count())
        return;
    m_bDragging = true;
    m_nDragRow = row;
    m_nDropTarget = row;
    m_nScrollStep = 0;
    SelectAndFocus(row);
    m_scrollTimer.start();
}

void CCdListCtrl::DragMoveTo(const QPoint &pos)
{
    if (!m_bDragging)
        return;
    const int height = viewport()->height();
    const int row = pos.y() >= 0 && pos.y() < height ? rowAt(pos.y()) : -1;
    const int step = 1; // the scroll bar counts rows: one row a tick
    if (row >= 0) {
        m_nDropTarget = row;
        m_nScrollStep = 0;
    } else if (pos.y() < 0) {
        m_nDropTarget = -1;
        m_nScrollStep = -step;
    } else if (pos.y() >= height) {
        m_nDropTarget = -1;
        m_nScrollStep = step;
    } else {
        m_nDropTarget = -1; // below the last row: no target
        m_nScrollStep = 0;
    }
}

void CCdListCtrl::OnAutoScroll()
{
    if (m_nScrollStep != 0)
        verticalScrollBar()->setValue(verticalScrollBar()->value() + m_nScrollStep);
}

void CCdListCtrl::EndRowDrag()
{
    if (!m_bDragging)
        return;
    m_bDragging = false;
    m_scrollTimer.stop();
    m_nScrollStep = 0;
    const int from = m_nDragRow;
    const int target = m_nDropTarget;
    m_nDragRow = -1;
    m_nDropTarget = -1;
    if (target < 0 || !m_rows.Move(from, target)) {
        if (from >= 0)
            SelectAndFocus(from);
        return;
    }
    // The random-play mark travels with its row.
    const bool played = IsPlayed(from);
    std::vector<bool> marks(m_played.begin(), m_played.begin() + m_rows.Count());
    marks.erase(marks.begin() + from);
    marks.insert(marks.begin() + target, played);
    std::copy(marks.begin(), marks.end(), m_played.begin());
    ShowRows();
    SelectAndFocus(target);
    WriteBack();
}
