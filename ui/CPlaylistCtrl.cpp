#include "ui/CPlaylistCtrl.h"

#include "core/CMessageBox.h"
#include "playlist/CPlayerDoc.h"
#include "ui/CListAppearance.h"
#include "ui/CPlaylistModel.h"
#include "playlist/PlaylistColumn.h"

#include <QApplication>
#include <QColorDialog>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QUrl>

#include <algorithm>

namespace {

// The wait cursor for the length of a scope (only where a GUI application runs).
class WaitCursor {
public:
    WaitCursor()
    {
        if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        else
            m_bSet = false;
    }
    ~WaitCursor()
    {
        if (m_bSet)
            QGuiApplication::restoreOverrideCursor();
    }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;

private:
    bool m_bSet = true;
};

} // namespace

CPlaylistCtrl::CPlaylistCtrl(CPlayerDoc &doc, CMessageBox &messageBox, QWidget *parent)
    : QTableView(parent), m_doc(doc), m_messageBox(messageBox), m_pModel(new CPlaylistModel(doc, this)),
      m_editor(doc, messageBox)
{
    setModel(m_pModel);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Drags of rows are handled here (startDrag); only file-manager drops use Qt's drop machinery.
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDropIndicatorShown(false);
    setAutoScroll(false);

    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    QHeaderView *header = horizontalHeader();
    header->setSectionsMovable(true);
    header->setSectionsClickable(true);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    header->setMinimumSectionSize(0);
    header->setContextMenuPolicy(Qt::CustomContextMenu);
    header->hideSection(0);
    connect(header, &QHeaderView::sectionClicked, this, &CPlaylistCtrl::SortBy);
    connect(header, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { ShowColumnMenu(horizontalHeader()->mapToGlobal(pos)); });

    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &CPlaylistCtrl::OnSelectionChanged);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current, const QModelIndex &) {
                if (!m_bSyncing && current.isValid())
                    m_doc.UserFocused(current.row());
            });
    connect(&doc, &CPlayerDoc::selectionChanged, this, &CPlaylistCtrl::SyncSelectionFromDoc);
    connect(&doc, &CPlayerDoc::currentRowChanged, this, &CPlaylistCtrl::FocusRow);

    m_scrollTimer.setInterval(kAutoScrollMs);
    connect(&m_scrollTimer, &QTimer::timeout, this, &CPlaylistCtrl::OnAutoScroll);

    // The colour dialog's custom colours start as the button-face colour.
    const QColor face = palette().color(QPalette::Button);
    for (int i = 0; i < QColorDialog::customCount(); ++i)
        QColorDialog::setCustomColor(i, face);

    ApplyColumnLayout();
    ApplyFontAndColours();
}

CPlaylistCtrl::~CPlaylistCtrl() = default;

// --- columns ------------------------------------------------------------------------------------

bool CPlaylistCtrl::IsColumnShown(int column) const
{
    return IsPlaylistColumn(column) && !horizontalHeader()->isSectionHidden(column);
}

void CPlaylistCtrl::ShowColumn(int column)
{
    QHeaderView *header = horizontalHeader();
    header->showSection(column);
    header->moveSection(header->visualIndex(column), header->count() - 1);
    const int stored = m_doc.columnwidth[static_cast<std::size_t>(column)];
    header->resizeSection(column, stored < 16 ? kDefaultWidth : stored);
}

void CPlaylistCtrl::HideColumn(int column)
{
    m_doc.columnwidth[static_cast<std::size_t>(column)] = horizontalHeader()->sectionSize(column);
    horizontalHeader()->hideSection(column);
}

void CPlaylistCtrl::ToggleColumn(int column)
{
    if (!IsPlaylistColumn(column))
        return;
    if (IsColumnShown(column))
        HideColumn(column);
    else
        ShowColumn(column);
}

void CPlaylistCtrl::ApplyColumnLayout()
{
    QHeaderView *header = horizontalHeader();
    for (int id = kFirstPlaylistColumn; id <= kLastPlaylistColumn; ++id)
        header->hideSection(id);
    for (std::int32_t id : m_doc.column) {
        if (id == 0)
            break;
        if (IsPlaylistColumn(id) && header->isSectionHidden(id))
            ShowColumn(id);
    }
}

void CPlaylistCtrl::SaveColumnLayout()
{
    QHeaderView *header = horizontalHeader();
    std::size_t n = 0;
    for (int visual = 0; visual < header->count(); ++visual) {
        const int id = header->logicalIndex(visual);
        if (!IsPlaylistColumn(id) || header->isSectionHidden(id))
            continue;
        m_doc.column[n++] = id;
        m_doc.columnwidth[static_cast<std::size_t>(id)] = header->sectionSize(id);
    }
    if (n < m_doc.column.size())
        m_doc.column[n] = 0;
}

// --- font and colours ---------------------------------------------------------------------------

void CPlaylistCtrl::ApplyFontAndColours()
{
    CListAppearance::Apply(*this, m_doc);
}

void CPlaylistCtrl::ChooseFont()
{
    if (!CListAppearance::ChooseFont(m_doc, this))
        return;
    ApplyFontAndColours();
    emit fontAndColoursChanged();
}

void CPlaylistCtrl::ChooseTextColour()
{
    if (!CListAppearance::ChooseTextColour(m_doc, this))
        return;
    ApplyFontAndColours();
    emit fontAndColoursChanged();
}

void CPlaylistCtrl::ChooseBackgroundColour()
{
    if (!CListAppearance::ChooseBackgroundColour(m_doc, this))
        return;
    ApplyFontAndColours();
    emit fontAndColoursChanged();
}

// --- selection and focus ------------------------------------------------------------------------

void CPlaylistCtrl::SyncSelectionFromDoc()
{
    const CPlaylistState &state = m_doc.State();
    QItemSelection selection;
    const int last = CPlaylistModel::kColumnCount - 1;
    for (int row = state.NextSelected(-1); row >= 0;) {
        int end = row;
        while (end + 1 < state.m_nRowCount && state.IsSelected(end + 1))
            ++end;
        selection.select(m_pModel->index(row, 0), m_pModel->index(end, last));
        row = state.NextSelected(end);
    }
    m_bSyncing = true;
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    m_bSyncing = false;
}

void CPlaylistCtrl::OnSelectionChanged(const QItemSelection &selected, const QItemSelection &deselected)
{
    if (m_bSyncing)
        return;
    for (const QItemSelectionRange &range : deselected)
        for (int row = range.top(); row <= range.bottom(); ++row)
            m_doc.UserSelected(row, false);
    for (const QItemSelectionRange &range : selected)
        for (int row = range.top(); row <= range.bottom(); ++row)
            m_doc.UserSelected(row, true);
}

void CPlaylistCtrl::FocusRow(int row)
{
    if (row < 0 || row >= m_pModel->rowCount())
        return;
    const int column = std::max(horizontalHeader()->logicalIndexAt(0), 0);
    const QModelIndex index = m_pModel->index(row, column);
    m_bSyncing = true;
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    m_bSyncing = false;
    scrollTo(index);
}

// --- commands -----------------------------------------------------------------------------------

void CPlaylistCtrl::AddFiles()
{
    const std::vector<std::string> paths = m_editor.AskForFiles();
    if (paths.empty())
        return;
    viewport()->update();
    WaitCursor wait;
    const int chosen = m_editor.AddChosenFiles(paths);
    if (chosen >= 0)
        emit currentEntryChosen(chosen);
}

void CPlaylistCtrl::AddFolder()
{
    const std::string folder = m_editor.AskForFolder();
    if (folder.empty())
        return;
    viewport()->update();
    WaitCursor wait;
    const int chosen = m_editor.AddChosenFolder(folder);
    if (chosen >= 0)
        emit currentEntryChosen(chosen);
}

void CPlaylistCtrl::DropPaths(const std::vector<std::string> &paths)
{
    WaitCursor wait;
    const int chosen = m_editor.DropPaths(paths);
    if (chosen >= 0)
        emit currentEntryChosen(chosen);
}

void CPlaylistCtrl::RemoveSelected()
{
    m_doc.RemoveSelected();
}

void CPlaylistCtrl::Refresh()
{
    WaitCursor wait;
    m_doc.Refresh();
}

void CPlaylistCtrl::SortBy(int column)
{
    if (IsPlaylistColumn(column))
        m_doc.Sort(column);
}

void CPlaylistCtrl::ShowFileInformation(int row)
{
    if (row < 0 || row >= m_doc.EntryCount())
        return;
    switch (m_editor.CheckFileOrOfferRemoval(row)) {
    case CPlaylistEditor::FileCheck::Opens:
        emit fileInfoRequested(row);
        break;
    case CPlaylistEditor::FileCheck::Removed:
        m_nContextRow = std::min(row, m_doc.EntryCount() - 1);
        break;
    case CPlaylistEditor::FileCheck::Kept:
        break;
    }
}

void CPlaylistCtrl::RefreshRow(int row)
{
    m_pModel->RowChanged(row);
}

// --- menus --------------------------------------------------------------------------------------

void CPlaylistCtrl::ShowColumnMenu(const QPoint &globalPos)
{
    QMenu menu(this);
    for (int id : CPlaylistModel::kMenuOrder) {
        QAction *action = menu.addAction(QString::fromLatin1(CPlaylistModel::MenuTitle(id)));
        action->setCheckable(true);
        action->setChecked(IsColumnShown(id));
        connect(action, &QAction::triggered, this, [this, id] { ToggleColumn(id); });
    }
    menu.exec(globalPos);
}

void CPlaylistCtrl::ShowListMenu(const QPoint &globalPos)
{
    QMenu menu(this);
    menu.addAction(QStringLiteral("Add &File(s)...\tCtrl+A"), this, &CPlaylistCtrl::AddFiles);
    menu.addAction(QStringLiteral("Add Fol&der...\tCtrl+L"), this, &CPlaylistCtrl::AddFolder);
    QAction *remove = menu.addAction(QStringLiteral("&Remove File(s) \tCtrl+R"), this, &CPlaylistCtrl::RemoveSelected);
    remove->setEnabled(m_doc.State().SelectedCount() > 0);
    menu.addAction(QStringLiteral("Refresh"), this, &CPlaylistCtrl::Refresh);
    menu.addSeparator();
    QMenu *columns = menu.addMenu(QStringLiteral("Show Columns"));
    QMenu *sort = menu.addMenu(QStringLiteral("Sort Playlist by"));
    for (int id : CPlaylistModel::kMenuOrder) {
        const QString title = QString::fromLatin1(CPlaylistModel::MenuTitle(id));
        QAction *show = columns->addAction(title, this, [this, id] { ToggleColumn(id); });
        show->setCheckable(true);
        show->setChecked(IsColumnShown(id));
        sort->addAction(title, this, [this, id] { SortBy(id); });
    }
    menu.addSeparator();
    menu.addAction(QStringLiteral("Font &Style..."), this, &CPlaylistCtrl::ChooseFont);
    menu.addAction(QStringLiteral("Font &Color..."), this, &CPlaylistCtrl::ChooseTextColour);
    menu.addAction(QStringLiteral("&Background Color..."), this, &CPlaylistCtrl::ChooseBackgroundColour);
    menu.addSeparator();
    QAction *info = menu.addAction(QStringLiteral("File Information..."), this,
                                   [this] { ShowFileInformation(m_nContextRow); });
    info->setEnabled(m_nContextRow >= 0);
    menu.exec(globalPos);
}

// --- keys and mouse -----------------------------------------------------------------------------

void CPlaylistCtrl::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const bool keypad = event->modifiers() & Qt::KeypadModifier;
    if (key == Qt::Key_Delete || (keypad && (key == Qt::Key_Period || key == Qt::Key_Comma))) {
        RemoveSelected();
    } else if ((key == Qt::Key_Return || key == Qt::Key_Enter) && mods == Qt::NoModifier) {
        if (m_doc.EntryCount() > 0)
            emit playRequested(std::clamp(m_doc.State().m_nCurrent, 0, m_doc.EntryCount() - 1));
    } else if (key == Qt::Key_Menu || (key == Qt::Key_F10 && mods == Qt::ShiftModifier)) {
        const QModelIndex current = currentIndex();
        m_nContextRow = current.isValid() ? current.row() : -1;
        const QRect rect = current.isValid() ? visualRect(current) : QRect();
        ShowListMenu(viewport()->mapToGlobal(current.isValid() ? rect.bottomLeft() : QPoint(0, 0)));
    } else if (key == Qt::Key_Control || key == Qt::Key_Shift) {
        // Swallowed on their own.
    } else if (mods == Qt::ControlModifier && key == Qt::Key_A) {
        AddFiles();
    } else if (mods == Qt::ControlModifier && key == Qt::Key_L) {
        AddFolder();
    } else if (mods == Qt::ControlModifier && key == Qt::Key_R) {
        RemoveSelected();
    } else {
        QTableView::keyPressEvent(event);
        return;
    }
    event->accept();
}

void CPlaylistCtrl::mousePressEvent(QMouseEvent *event)
{
    const int row = rowAt(static_cast<int>(event->position().y()));
    if (event->button() == Qt::RightButton) {
        if (row >= 0) {
            if (!m_doc.State().IsSelected(row))
                m_doc.SelectOnly(row);
            else
                m_doc.MakeCurrent(row);
        }
        m_nContextRow = row;
        event->accept();
        return;
    }
    m_nPressRow = event->button() == Qt::LeftButton ? row : -1;
    QTableView::mousePressEvent(event);
}

void CPlaylistCtrl::startDrag(Qt::DropActions)
{
    // Rows move inside the list only; no drag object leaves the control.
    if (m_nPressRow >= 0)
        BeginRowDrag(m_nPressRow);
}

void CPlaylistCtrl::mouseMoveEvent(QMouseEvent *event)
{
    if (m_bDragging) {
        DragMoveTo(event->position().toPoint());
        event->accept();
        return;
    }
    QTableView::mouseMoveEvent(event);
    // The base class starts the drag (startDrag) from inside this move: the move already counts.
    if (m_bDragging)
        DragMoveTo(event->position().toPoint());
}

void CPlaylistCtrl::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) {
        ShowListMenu(event->globalPosition().toPoint());
        event->accept();
        return;
    }
    if (m_bDragging && event->button() == Qt::LeftButton) {
        EndRowDrag();
        event->accept();
        return;
    }
    QTableView::mouseReleaseEvent(event);
}

void CPlaylistCtrl::mouseDoubleClickEvent(QMouseEvent *event)
{
    const int row = rowAt(static_cast<int>(event->position().y()));
    if (event->button() == Qt::LeftButton && row >= 0) {
        m_doc.UserFocused(row);
        emit playRequested(row);
        event->accept();
        return;
    }
    QTableView::mouseDoubleClickEvent(event);
}

void CPlaylistCtrl::contextMenuEvent(QContextMenuEvent *event)
{
    // Mouse menus open on the right button's release; only the keyboard reason comes through here.
    if (event->reason() == QContextMenuEvent::Keyboard) {
        m_nContextRow = currentIndex().isValid() ? currentIndex().row() : -1;
        ShowListMenu(event->globalPos());
    }
    event->accept();
}

// --- row dragging -------------------------------------------------------------------------------

void CPlaylistCtrl::BeginRowDrag(int row)
{
    if (row < 0 || row >= m_pModel->rowCount())
        return;
    m_bDragging = true;
    m_nDropTarget = row;
    m_nScrollStep = 0;
    FocusRow(row);
    m_scrollTimer.start();
}

void CPlaylistCtrl::DragMoveTo(const QPoint &pos)
{
    if (!m_bDragging)
        return;
    const int row = pos.y() >= 0 && pos.y() < viewport()->height() ? rowAt(pos.y()) : -1;
    if (row >= 0) {
        m_nDropTarget = row;
        m_nScrollStep = 0;
        FocusRow(row);
    } else if (pos.y() < 0) {
        m_nDropTarget = -1;
        m_nScrollStep = -kAutoScrollStep;
    } else if (pos.y() >= viewport()->height() || rowAt(pos.y()) < 0) {
        m_nDropTarget = -1;
        m_nScrollStep = kAutoScrollStep;
    } else {
        m_nScrollStep = 0;
    }
}

void CPlaylistCtrl::OnAutoScroll()
{
    if (m_nScrollStep != 0)
        verticalScrollBar()->setValue(verticalScrollBar()->value() + m_nScrollStep);
}

void CPlaylistCtrl::EndRowDrag()
{
    if (!m_bDragging)
        return;
    m_bDragging = false;
    m_scrollTimer.stop();
    m_nScrollStep = 0;
    const int target = m_nDropTarget;
    m_nDropTarget = -1;
    if (target >= 0)
        m_doc.MoveSelected(target);
}

// --- drops from the file manager ----------------------------------------------------------------

void CPlaylistCtrl::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->source() != this && event->mimeData()->hasUrls())
        event->acceptProposedAction();
    else
        event->ignore();
}

void CPlaylistCtrl::dragMoveEvent(QDragMoveEvent *event)
{
    if (event->source() != this && event->mimeData()->hasUrls())
        event->acceptProposedAction();
    else
        event->ignore();
}

void CPlaylistCtrl::dropEvent(QDropEvent *event)
{
    std::vector<std::string> paths;
    for (const QUrl &url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            paths.push_back(url.toLocalFile().toStdString());
    }
    event->acceptProposedAction();
    DropPaths(paths);
}
